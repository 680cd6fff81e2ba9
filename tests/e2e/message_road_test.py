"""The road of a phone message through two workstations, as two people
with screen readers walk it: RECEPTION keeps a send log (ticked in the
options), takes a slip for ANNE and sends it, ANNE's urgent alert starts
and View opens the slip, ANNE finds its row in her New list, opens it and
replies, RECEPTION opens the reply with ANNE's note, and RECEPTION's send
log shows the slip viewed by ANNE."""

from desk import Office, Workstation, check, check_named, run, wait_until


def keep_send_log(station: Workstation) -> None:
    """Setup > Options..., the Message page's "Send log" ticked, OK."""
    station.menu("Setup", "Options...")
    options = station.window("DESKpost Options")
    check_named(options)
    options.get(role="page tab", name="Message").press(
        "Press" if "Press" in options.get(role="page tab", name="Message").actions()
        else "Switch")
    send_log = options.get(role="check box", name="Send log",
                           where=lambda n: n.showing)
    send_log.set_checked(True)
    options.get(role="push button", name="OK").press()
    station.window_gone(options)


def test_reception_takes_an_urgent_slip_for_anne_who_reads_and_answers_it(office: Office):
    reception = office.workstation("RECEPTION")
    anne = office.workstation("ANNE")
    keep_send_log(reception)

    reception.main_window().get(role="push button", name="Take a message").press()
    take = reception.window("Take Message")
    check_named(take)
    # The first letter of a name opens the name picker with it.
    take.get(role="text", name="To:").type("A", lands=False)
    picker = reception.window("Name:")
    picker.get(role="text", name="Name:").type("NNE")
    picker.get(role="list", name="Names").row("ANNE")
    wait_until(lambda: [r.name for r in picker.get(role="list").rows() if r.has("selected")]
               == ["ANNE"], "ANNE's row to be selected")
    picker.get(role="push button", name="OK").press()
    reception.window_gone(picker)
    wait_until(lambda: take.get(role="text", name="To:").text() == "ANNE", "To: to read ANNE")
    for field, text in (("From:", "Mr Smith"), ("Company:", "Smith Tools"),
                        ("Phone:", "555-0100"), ("Message", "The order is ready.")):
        take.get(role="text", name=field).type(text)
    take.get(role="check box", name="Call back").set_checked(True)
    take.get(role="check box", name="Urgent").set_checked(True)
    take.get(role="push button", name="Send").press()
    wait_until(lambda: take.get(role="text", name="To:").text() == "", "the Take window to clear")

    anne.wait_trace("alert start level 2")
    view = anne.main_window().get(role="push button", name="View messages")
    wait_until(lambda: view.enabled, "ANNE's View button to be offered")
    view.press()
    # The urgent slip opens by itself in its view window.
    message = anne.window("View Message")
    check_named(message)
    read = {field: message.get(role="text", name=field).text()
            for field in ("To:", "From:", "Company:", "Phone:", "Message")}
    check(read == {"To:": "ANNE", "From:": "Mr Smith", "Company:": "Smith Tools",
                   "Phone:": "555-0100", "Message": "The order is ready."}, f"the slip reads {read}")
    check(message.get(role="check box", name="Call back").has("checked"), message.dump())

    message.get(role="push button", name="Close").press()
    anne.window_gone(message)

    # In ANNE's New list the slip's row is found by its caller and opened.
    anne.menu("View", "New...")
    whose = anne.window("Name:")
    check([r.name for r in whose.get(role="list", name="Names").rows() if r.has("selected")]
          == ["ANNE"], whose.dump())
    whose.get(role="push button", name="OK").press()
    anne.window_gone(whose)
    listed = anne.window("1 message in New for ANNE")
    check_named(listed)
    row = listed.get(role="table", name="Messages").row("Mr Smith")
    if not row.has("selected"):
        row.press("Toggle")
    listed.get(role="push button", name="View").press()
    message = anne.window("View Message")

    # Reply: the slip goes back to its sender with ANNE's note.
    message.get(role="push button", name="Reply").press()
    reply = anne.window("Reply to message sender")
    check_named(reply)
    check(reply.get(role="text", name="To:").text() == "RECEPTION", reply.dump())
    reply.get(role="text", name="Note").type("I will call him at two.")
    reply.get(role="push button", name="OK").press()
    anne.window_gone(reply)
    message.get(role="push button", name="Close").press()
    anne.window_gone(message)
    listed.get(role="push button", name="Close").press()
    anne.window_gone(listed)

    # RECEPTION hears of the reply and opens it from its New list: the
    # slip with ANNE's note attached.
    reception.wait_trace("alert start level 1")
    reception.main_window().get(role="push button", name="View messages").press()
    listed = reception.window("1 message in New for RECEPTION")
    listed.get(role="table", name="Messages").row("Mr Smith")
    listed.get(role="push button", name="View").press()
    answer = reception.window(containing="NOTE ATTACHED")
    check(answer.get(role="text", name="From:").text() == "Mr Smith", answer.dump())
    answer.get(role="push button", name="Close").press()
    reception.window_gone(answer)
    listed.get(role="push button", name="Close").press()
    reception.window_gone(listed)

    # RECEPTION's send log: the slip's row shows when it was viewed, and
    # its view's "Viewed" says by whom.
    reception.menu("View", "Send log", "New...")
    log = reception.window("1 message in Send log for RECEPTION")
    check_named(log)
    table = log.get(role="table", name="Messages")
    row = table.row("ANNE")
    # The row's cells read "*", To, Sent, Viewed and Type.
    cells = [c.name for c in table.rows()]
    viewed = cells[cells.index("ANNE") + 2] if cells.index("ANNE") + 2 < len(cells) else ""
    check(viewed.endswith(("am", "pm")), f"the row's Viewed cell reads {viewed!r} (cells {cells})")
    if not row.has("selected"):
        row.press("Toggle")
    log.get(role="push button", name="View").press()
    sent = reception.window("View Message")
    check_named(sent)
    check(sent.get(role="text", name="To:").text() == "ANNE", sent.dump())
    sent.get(role="push button", name="Viewed").press()
    box = reception.window(role="alert")
    said = " ".join(label.name for label in box.find_all(role="label"))
    check("Message viewed on: " in said and "Machine: ANNE" in said, f"the box says {said!r}")
    box.get(role="push button", name="OK").press()
    reception.window_gone(box)
    sent.get(role="push button", name="Close").press()
    reception.window_gone(sent)
    log.get(role="push button", name="Close").press()
    reception.window_gone(log)


if __name__ == "__main__":
    run(globals())
