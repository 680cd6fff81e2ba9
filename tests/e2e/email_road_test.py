"""The road of an e-mail, as two people with screen readers walk it: ANNE
writes to BOB and to an address outside the office with a file attached,
BOB's New list shows the e-mail and its view the attachment, and the
gateway's mailbox ("DPMAIL SERVER", name number -3) holds the copy that is
to go outside, with an attachment file of its own."""

import os
import struct

from desk import Office, check, check_named, run, wait_until

RECORD = 512           # every message record, and the header before them
TO, NUMBER, KIND = (11, 21), (6, 4), (1, 1)
ATTACHMENTS = 968      # the e-mail file's attachment table, 27 bytes an entry


def text(data: bytes, field: tuple) -> str:
    raw = data[field[0]:field[0] + field[1]]
    return raw.split(b"\0", 1)[0].decode("cp1252")


def gateway_emails(data_dir: str) -> list:
    """The numbers of the live e-mails addressed to "DPMAIL SERVER"."""
    with open(os.path.join(data_dir, "MESSAGE.DAT"), "rb") as f:
        data = f.read()
    found = []
    for at in range(RECORD, len(data) - RECORD + 1, RECORD):
        r = data[at:at + RECORD]
        if r[0] == 0 and text(r, KIND) == "E" and text(r, TO) == "DPMAIL SERVER":
            found.append(struct.unpack_from("<i", r, NUMBER[0])[0])
    return found


def test_anne_emails_bob_and_an_outside_address_with_an_attachment(office: Office):
    report = os.path.join(office.data_dir, "..", "report.txt")
    with open(report, "w") as f:
        f.write("quarterly figures")
    anne = office.workstation("ANNE")
    bob = office.workstation("BOB")

    anne.main_window().get(role="push button", name="Take a message").press()
    take = anne.window("Take Message")
    take.get(role="push button", name="Email").press()
    mail = anne.window("Take Email")
    check_named(mail)
    mail.get(role="text", name="To:").type("BOB, someone@outside.example")
    mail.get(role="text", name="From:").type("anne@office.example")
    mail.get(role="text", name="Subject:").type("Figures")
    mail.get(role="text", name="Message").type("The report is attached.")

    mail.get(role="push button", name="Attach").press()
    attach = anne.window("Attachments")
    check_named(attach)
    attach.get(role="push button", name="Add").press()
    chooser = anne.window("Attach file")
    chooser.get(role="text", name="File name:").type(os.path.abspath(report))
    # The file dialog goes at once; the file's row is what ANNE waits for.
    chooser.get(role="text", name="File name:").key("Return")
    attach.get(role="list", name="Attachments").row("report.txt")
    attach.get(role="push button", name="OK").press()
    anne.window_gone(attach)
    check(mail.get(role="check box", name="Attachments").has("checked"), mail.dump())
    mail.get(role="push button", name="Send").press()
    wait_until(lambda: mail.get(role="text", name="Subject:").text() == "",
               "the Send E-mail window to clear")
    mail.get(role="push button", name="Close").press()
    anne.window_gone(mail)

    # BOB finds the e-mail in his New list and its attachment in its view.
    bob.wait_trace("alert start level 1")
    bob.main_window().get(role="push button", name="View messages").press()
    listed = bob.window("1 message in New for BOB")
    check_named(listed)
    listed.get(role="table", name="Messages").row("anne@office.example")
    listed.get(role="push button", name="View").press()
    view = bob.window("View Email")
    check_named(view)
    check(view.get(role="text", name="Subject:").text() == "Figures", view.dump())
    check(view.get(role="text", name="Message").text() == "The report is attached.", view.dump())
    shown = view.get(role="check box", name="Attachments")
    check(shown.has("checked"), view.dump())
    shown.press("Toggle")
    attachments = bob.window("Attachments")
    attachments.get(role="list", name="Attachments").row("report.txt (0.0K)")
    attachments.get(role="push button", name="OK").press()
    bob.window_gone(attachments)
    view.get(role="push button", name="Close").press()
    bob.window_gone(view)
    listed.get(role="push button", name="Close").press()
    bob.window_gone(listed)

    # The copy for outside waits in the gateway's mailbox, listing both
    # recipients, with an attachment file of its own.
    numbers = gateway_emails(office.data_dir)
    check(len(numbers) == 1, f"the gateway's mailbox holds {numbers}")
    with open(os.path.join(office.data_dir, "DPE", f"{numbers[0]}.DPE"), "rb") as f:
        header = f.read(2048)
    check(text(header, (1, 256)) == "BOB, someone@outside.example", f"To: {header[1:60]!r}")
    own, stored = text(header, (ATTACHMENTS, 13)), text(header, (ATTACHMENTS + 13, 9))
    check(own == "report.txt", f"the attachment's name {own!r}")
    with open(os.path.join(office.data_dir, "DPE", stored + ".ATT")) as f:
        check(f.read() == "quarterly figures", "the gateway's attachment file")


if __name__ == "__main__":
    run(globals())
