"""Two workstations on one office: a message stored by another workstation
(dpadmin's send stores it as the program's Send does) starts the
addressee's alert and nobody else's."""

from desk import Office, check, run


def test_an_urgent_message_for_anne_starts_her_alert_and_not_bobs(office: Office):
    anne = office.workstation("ANNE")
    bob = office.workstation("BOB")
    office.send("RECEPTION", "ANNE", "--caller", "Mr Smith", "--company", "Smith & Co",
                "--phone", "555-0100", "--text", "About the invoice", "--call-back", "--urgent")
    anne.wait_trace("alert start level 2")
    # BOB's next message is the first thing his alert hears of.
    office.send("RECEPTION", "BOB", "--text", "Lunch at noon?")
    bob.wait_trace("alert start level 1")
    alerts = [line for line in bob.trace().splitlines() if line.startswith("alert")]
    check(alerts == ["alert start level 1"], f"BOB's alerts: {alerts}")
    # The alert takes nobody's keyboard: both windows stay as they were,
    # and each is still worked from the keyboard.
    for station in (anne, bob):
        main = station.main_window()
        check(main.get(role="push button", name="Exit").enabled,
              f"{station.name}'s Exit button is not offered during the alert")


if __name__ == "__main__":
    run(globals())
