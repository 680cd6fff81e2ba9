"""The road of a phone message through two workstations, as two people
with screen readers walk it: RECEPTION takes a slip for ANNE and sends it,
ANNE's urgent alert starts and View opens the slip, ANNE finds its row in
her New list, opens it and replies, and RECEPTION opens the reply with
ANNE's note."""

from desk import Office, check, check_named, run, wait_until


def test_reception_takes_an_urgent_slip_for_anne_who_reads_and_answers_it(office: Office):
    reception = office.workstation("RECEPTION")
    anne = office.workstation("ANNE")

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
            for field in ("To", "From", "Company", "Phone", "Message")}
    check(read == {"To": "ANNE", "From": "Mr Smith", "Company": "Smith Tools",
                   "Phone": "555-0100", "Message": "The order is ready."}, f"the slip reads {read}")
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
    check(reply.get(role="text", name="To").text() == "RECEPTION", reply.dump())
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
    check(answer.get(role="text", name="From").text() == "Mr Smith", answer.dump())
    answer.get(role="push button", name="Close").press()
    reception.window_gone(answer)
    listed.get(role="push button", name="Close").press()
    reception.window_gone(listed)
    # The send log's "viewed by ANNE" needs RECEPTION's send log option,
    # which only the Options dialog sets: that part of the road comes with it.


if __name__ == "__main__":
    run(globals())
