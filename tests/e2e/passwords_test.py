"""The password dialogs worked with keys, as a person with a screen reader
works them: the master, phone and user passwords set, a typing cancelled,
the Password popup's entries, a person's areas kept."""

from typing import Optional

from desk import Node, Office, Workstation, check, check_named, run, wait_until


def open_master_password(anne: Workstation) -> Node:
    """Setup > Password > Master... on an office without passwords: the
    warning comes first, Yes opens the dialog."""
    anne.menu("Setup", "Password", "Master...")
    warning = anne.window(role="alert")
    check(warning.find(role="label").name.startswith("IMPORTANT - PLEASE READ!"),
          f"the warning reads {warning.dump()}")
    check_named(warning)
    warning.get(role="push button", name="Yes").press()
    return anne.window("Master Password")


def answer_password(anne: Workstation, prompt: Optional[str], text: str,
                    button: str = "OK") -> None:
    """Types text into GETPASSWORD asking prompt (None: whatever it asks)
    and leaves with button."""
    asked = anne.window("Enter Password")
    check_named(asked)
    asked.get(role="password text", name=prompt).type(text)
    asked.get(role="push button", name=button).press()
    anne.window_gone(asked)


def test_a_password_typed_then_cancelled_sets_nothing(office: Office):
    anne = office.workstation("ANNE")
    dialog = open_master_password(anne)
    check_named(dialog)
    check(not dialog.get(role="push button", name="Disable Passwords").enabled,
          "Disable Passwords is offered with no password set")
    dialog.get(role="push button", name="Set Password").press()
    answer_password(anne, "New password:", "secret", button="Cancel")
    # Back in the dialog, still without a password.
    check(dialog.find(role="push button", name="Set Password") is not None,
          f"after Cancel the dialog reads {dialog.dump()}")
    dialog.get(role="push button", name="OK").press()
    anne.window_gone(dialog)
    # Nothing was stored: the next opening warns again.
    dialog = open_master_password(anne)
    dialog.get(role="push button", name="OK").press()
    anne.window_gone(dialog)


def test_the_password_dialogs_set_master_phone_and_user_passwords(office: Office):
    anne = office.workstation("ANNE")
    dialog = open_master_password(anne)
    dialog.get(role="push button", name="Set Password").press()
    answer_password(anne, "New password:", "secret")
    answer_password(anne, "Re-enter password:", "secret")
    note = anne.window(role="alert")
    check(note.find(role="label", name="Passwords are now enabled.") is not None,
          f"the note reads {note.dump()}")
    note.get(role="push button", name="OK").press()
    anne.window_gone(note)
    dialog.get(role="push button", name="Change Password")
    check(dialog.get(role="push button", name="Disable Passwords").enabled,
          "Disable Passwords is not offered once a password is set")
    dialog.get(role="push button", name="OK").press()
    anne.window_gone(dialog)

    # The phone password: the master password is asked first.
    anne.menu("Setup", "Password", "Phone...")
    asked = anne.window("Enter Password")
    asked.get(role="password text").type("secret")
    asked.get(role="push button", name="OK").press()
    phone = anne.window("Phone Password*")
    check_named(phone)
    phone.get(role="push button", name="OK").press()
    anne.window_gone(phone)

    # A person's password: the person is chosen by typing the name; BOB
    # has no password of his own to ask for.
    anne.menu("Setup", "Password", "User...")
    picker = anne.window(role="dialog")
    check_named(picker)
    names = picker.get(role="list", name="Names")
    rows = [row.name for row in names.children()]
    check(rows == ["ANNE", "BOB", "RECEPTION"], f"the names read {rows}")
    picker.get(role="text", name="Name:").type("BOB")
    wait_until(lambda: [row.name for row in names.rows() if row.has("selected")] == ["BOB"],
               "BOB's row to be selected")
    picker.get(role="push button", name="OK").press()
    anne.window_gone(picker)
    user = anne.window("User Password")
    check_named(user)
    check(user.find(role="label", name="BOB") is not None, f"the dialog reads {user.dump()}")
    boxes = [b.name for b in user.find_all(role="check box")]
    check(boxes == ["Messages", "PhoneList", "Scheduler", "To-do List"],
          f"the areas read {boxes}")
    check(not any(b.enabled for b in user.find_all(role="check box")),
          "areas are offered before BOB has a password")
    user.get(role="push button", name="Cancel").press()
    anne.window_gone(user)

    # A row of the list is opened as a double click opens it: RECEPTION is
    # chosen.
    anne.menu("Setup", "Password", "User...")
    picker = anne.window(role="dialog")
    picker.get(role="list", name="Names").row("RECEPTION").press()
    user = anne.window("User Password")
    check(user.find(role="label", name="RECEPTION") is not None, f"the dialog reads {user.dump()}")
    user.get(role="push button", name="Cancel").press()
    anne.window_gone(user)


def set_master_password(anne: Workstation, text: str) -> None:
    dialog = open_master_password(anne)
    dialog.get(role="push button", name="Set Password").press()
    answer_password(anne, "New password:", text)
    answer_password(anne, "Re-enter password:", text)
    note = anne.window(role="alert")
    note.get(role="push button", name="OK").press()
    anne.window_gone(note)
    dialog.get(role="push button", name="OK").press()
    anne.window_gone(dialog)


def set_user_password(station: Workstation, name: str, text: str, areas: tuple) -> None:
    """Setup > Password > User... for name (who has no password yet): the
    password set and the areas ticked."""
    station.menu("Setup", "Password", "User...")
    station.window(role="dialog").get(role="list", name="Names").row(name).press()
    user = station.window("User Password")
    user.get(role="push button", name="Set Password").press()
    answer_password(station, "New password:", text)
    answer_password(station, "Re-enter password:", text)
    note = station.window(role="alert")
    note.get(role="push button", name="OK").press()
    station.window_gone(note)
    for area in areas:
        user.get(role="check box", name=area).set_checked(True)
    user.get(role="push button", name="OK").press()
    station.window_gone(user)


def test_a_persons_password_keeps_the_areas_ticked_for_it(office: Office):
    anne = office.workstation("ANNE")
    set_master_password(anne, "secret")
    set_user_password(anne, "BOB", "bobs", ("Scheduler",))

    # Opening BOB's password again asks for it, and shows his areas.
    anne.menu("Setup", "Password", "User...")
    anne.window(role="dialog").get(role="list", name="Names").row("BOB").press()
    answer_password(anne, None, "bobs")
    user = anne.window("User Password")
    ticked = [b.name for b in user.find_all(role="check box") if b.has("checked")]
    check(ticked == ["Scheduler"], f"BOB's areas read {ticked}")
    check(user.get(role="push button", name="Change Password").enabled, user.dump())
    user.get(role="push button", name="Cancel").press()
    anne.window_gone(user)


def test_the_password_popup_offers_phone_and_user_only_with_a_master_password(office: Office):
    anne = office.workstation("ANNE")
    main = anne.main_window()

    def popup_offers() -> dict:
        # Opened from the keyboard, as a person opens it: Alt+E, then P.
        main.key("alt+e", "p")
        wait_until(lambda: anne.menu_item("Setup", "Password", "Master...").showing,
                   "the Password popup")
        offered = {name: anne.menu_item("Setup", "Password", name).enabled
                   for name in ("Phone...", "User...")}
        main.key("Escape", "Escape", "Escape")
        wait_until(lambda: not anne.menu_item("Setup", "Password").showing, "the menu to close")
        return offered

    offered = popup_offers()
    check(offered == {"Phone...": False, "User...": False}, f"without a master: {offered}")
    set_master_password(anne, "secret")
    offered = popup_offers()
    check(offered == {"Phone...": True, "User...": True}, f"with a master: {offered}")


if __name__ == "__main__":
    run(globals())
