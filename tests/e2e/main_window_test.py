"""The main window and its password dialogs as a screen reader meets them:
menus and buttons read by name, every control named, commands offered alike
from the menu and the toolbar, and the password dialogs worked with keys."""

from typing import Optional

from desk import Node, Office, Workstation, check, run, unnamed_controls, wait_until

MENU_TITLES = ["File", "View", "Print", "Search", "PhoneList", "Window", "Setup"]
BUTTONS = ["Help", "Take a message", "View messages", "PhoneList", "Scheduler", "To-do list",
           "Toolbar", "Exit"]

# Entries that are there whatever windows this build holds, and whether a
# fresh office offers them.
MENU_ENTRIES = [
    (("File", "DESKpost Fax..."), True),
    (("File", "Exit"), True),
    (("View", "Send log", "New..."), None),
    (("Search", "Send log", "Archive..."), None),
    (("PhoneList", "View List"), None),
    (("Window", "Take"), None),
    (("Window", "Phonelist"), None),
    (("Setup", "Password", "Master..."), True),
    (("Setup", "Run Setup..."), True),
    (("Setup", "About..."), True),
]

# The places that give the same command: a screen reader user finds each
# offered exactly when the others are.
SAME_COMMAND = [
    ("Take", [("Window", "Take")], "Take a message"),
    ("View", [("Window", "View")], "View messages"),
    ("the phone list", [("PhoneList", "View List"), ("Window", "Phonelist")], "PhoneList"),
    ("the scheduler", [("Window", "Scheduler")], "Scheduler"),
    ("the to-do list", [("Window", "To do")], "To-do list"),
    ("Exit", [("File", "Exit")], "Exit"),
]


def check_named(window: Node) -> None:
    missing = unnamed_controls(window)
    check(not missing, f"controls without an accessible name in {window.label()}: {missing}\n"
                       f"{window.dump()}")


def test_main_window_reads_its_menus_and_buttons_by_name(office: Office):
    anne = office.workstation("ANNE")
    main = anne.main_window()
    check(main.name == "DESKpost for ANNE", f"the main window is called {main.name!r}")
    titles = [item.name for item in anne.menu_bar().children() if item.role == "menu item"]
    check(titles == MENU_TITLES, f"the menu bar reads {titles}")
    entries = dict(anne.menu_entries())
    for path, offered in MENU_ENTRIES:
        check(path in entries, f"no menu entry {' > '.join(path)}; there are {list(entries)}")
        if offered is not None:
            check(entries[path] == offered,
                  f"{' > '.join(path)} is {'enabled' if entries[path] else 'disabled'}")
    bar = main.get(role="push button", name="Help").acc.get_parent()
    buttons = [Node(bar.get_child_at_index(i)).name for i in range(bar.get_child_count())]
    check(buttons == BUTTONS, f"the toolbar reads {buttons}")
    check_named(main)


def test_a_command_is_offered_alike_from_menu_and_toolbar(office: Office):
    anne = office.workstation("ANNE")
    main = anne.main_window()
    for what, paths, button in SAME_COMMAND:
        offered = {" > ".join(p): anne.menu_item(*p).enabled for p in paths}
        offered[f"button {button}"] = main.get(role="push button", name=button).enabled
        check(len(set(offered.values())) == 1, f"{what} is offered unevenly: {offered}")


def test_the_floating_toolbar_reads_by_name_and_full_brings_the_whole_window(office: Office):
    anne = office.workstation("ANNE", InitMode=1)
    bar = anne.main_window()
    buttons = bar.find_all(role="push button")
    check(buttons and all(b.name for b in buttons), f"the floating toolbar reads {bar.dump()}")
    check(not anne.menu_bar().showing, "the menu shows on the floating toolbar")
    bar.get(role="push button", name="FULL").press()
    wait_until(lambda: anne.menu_bar().showing, "the full window's menu")
    check_named(anne.main_window())


def test_the_about_box_names_its_controls(office: Office):
    anne = office.workstation("ANNE")
    anne.menu("Setup", "About...")
    about = anne.window(role="dialog")
    check_named(about)
    check(about.find(role="label", name=office.data_dir + "/") is not None,
          f"the about box does not name the data directory: {about.dump()}")
    about.get(role="push button", name="OK").press()
    anne.window_gone(about)


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


def test_a_name_missing_from_the_office_is_said_and_the_program_ends(office: Office):
    nobody = office.workstation("NOBODY", started=False)
    box = nobody.window("Error")
    check_named(box)
    text = box.get(role="label").name
    check(text.startswith("Could not find the name: NOBODY in the DESKpost name list."),
          f"the box reads {text!r}")
    check(box.get(role="push button", name="Run Setup...").enabled, "Run Setup... is not offered")
    box.get(role="push button", name="OK").press()
    code = nobody.wait_exit()
    check(code == 1, f"the program ended with status {code}")
    check("started NOBODY" not in nobody.trace(), f"the trace reads {nobody.trace()!r}")


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


def test_a_persons_password_keeps_the_areas_ticked_for_it(office: Office):
    anne = office.workstation("ANNE")
    set_master_password(anne, "secret")
    anne.menu("Setup", "Password", "User...")
    anne.window(role="dialog").get(role="list", name="Names").row("BOB").press()
    user = anne.window("User Password")
    user.get(role="push button", name="Set Password").press()
    answer_password(anne, "New password:", "bobs")
    answer_password(anne, "Re-enter password:", "bobs")
    note = anne.window(role="alert")
    note.get(role="push button", name="OK").press()
    anne.window_gone(note)
    user.get(role="check box", name="Scheduler").set_checked(True)
    user.get(role="push button", name="OK").press()
    anne.window_gone(user)

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


if __name__ == "__main__":
    run(globals())
