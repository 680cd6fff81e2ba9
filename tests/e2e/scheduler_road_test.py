"""The scheduler's road across two workstations, walked as a person with a
screen reader walks it: ANNE opens BOB's protected schedule with his
password and adds a Tuesday meeting repeating weekly for four weeks, with
an alarm five minutes ahead and the update memo; BOB's Scheduler button
blinks, his in-box holds the memo, his week view shows the four meetings,
the alarm window comes when the clock reaches it, and deleting the group
from the third meeting on removes two."""

from desk import Office, check, check_named, run, wait_until
from passwords_test import answer_password, set_master_password, set_user_password


def test_anne_sets_bobs_weekly_meeting_and_bob_is_told_alarmed_and_deletes_two(office: Office):
    office.drive_clock("2027-03-16 09:00:00")  # a Tuesday
    anne = office.workstation("ANNE")
    # BOB's password guards his scheduler.
    set_master_password(anne, "secret")
    set_user_password(anne, "BOB", "bobs", ("Scheduler",))

    # ANNE's schedule, then BOB's through the name picker and his password.
    anne.main_window().get(role="push button", name="Scheduler").press()
    schedule = anne.window("Schedule for:  ANNE")
    check_named(schedule)
    schedule.get(role="push button", name="Name").press()
    picker = anne.window("Name:")
    picker.get(role="list", name="Names").row("BOB").press()
    answer_password(anne, "Password:", "bobs")
    wait_until(lambda: schedule.name == "Schedule for:  BOB", "BOB's schedule to open")

    # The meeting: ten to eleven, the alarm at 9:55, the memo ticked.
    schedule.get(role="push button", name="Add").press()
    entry = anne.window("Schedule Entry")
    check_named(entry)
    check(entry.get(role="check box", name="Send update memo to BOB").has("checked"),
          entry.dump())
    for field, text in (("Description", "Team meeting"), ("Start", "10"), ("End", "11"),
                        ("Alarm", "955")):
        entry.get(role="text", name=field).type(text)
    # Ticking Repeat opens the repeat dialogs, as a click does.
    entry.get(role="check box", name="Repeat").press("Toggle")
    repeat = anne.window(containing="Repeat ")
    repeat.get(role="radio button", name="Weekly").press("Toggle")
    repeat = anne.window("Repeat Weekly")
    check_named(repeat)
    # Every Tuesday: each of the month's Tuesdays ticked, for four weeks.
    for occurrence in ("1st", "2nd", "3rd", "4th", "Last"):
        repeat.get(role="check box", name=occurrence).set_checked(True)
    check(repeat.get(role="check box", name="Tuesday").has("checked"), repeat.dump())
    until = repeat.get(role="text", name="of each month until")
    until.key("ctrl+a", "BackSpace")
    until.type("4-6-27")
    repeat.get(role="push button", name="OK").press()
    anne.window_gone(repeat)
    entry.get(role="push button", name="OK").press()
    anne.window_gone(entry)
    schedule.get(role="tree", name="Entries").row("Team meeting")
    schedule.get(role="push button", name="Close").press()
    anne.window_gone(schedule)

    # BOB: the Scheduler button blinks and says why; the memo waits.
    bob = office.workstation("BOB")
    scheduler = bob.main_window().get(role="push button", name="Scheduler")
    wait_until(lambda: scheduler.description == "Your schedule has been changed.",
               lambda: f"BOB's Scheduler button to tell of the change ({scheduler.description!r})")
    bob.main_window().get(role="push button", name="View messages").press()
    listed = bob.window("1 message in New for BOB")
    listed.get(role="table", name="Messages").row("ANNE")
    listed.get(role="push button", name="View").press()
    memo = bob.window("View Memo")
    text = memo.get(role="text", name="Message").text()
    check(text.startswith("Automatic notification of schedule update:") and
          "Team meeting" in text and "This item also has repeating items." in text,
          f"the memo reads {text!r}")
    memo.get(role="push button", name="Close").press()
    bob.window_gone(memo)
    listed.get(role="push button", name="Close").press()
    bob.window_gone(listed)

    # The clock reaches 9:55: the alarm is due.
    office.set_clock("2027-03-16 09:55:00")
    wait_until(lambda: scheduler.description == "An alarm is due.",
               lambda: f"BOB's Scheduler button to tell of the alarm ({scheduler.description!r})")
    scheduler.press()
    alarm = bob.window("Alarm:  9:55AM")
    shown = [label.name for label in alarm.find_all(role="label")]
    check("Team meeting" in shown and "10:00AM" in shown, f"the alarm reads {shown}")
    alarm.get(role="push button", name="OK").press()
    bob.window_gone(alarm)
    answer_password(bob, "Password:", "bobs")
    schedule = bob.window("Schedule for:  BOB")
    # The week view is a window of its own in the day view's place.
    schedule.get(role="push button", name="Week").press()
    bob.window_gone(schedule)
    schedule = bob.window("Schedule for:  BOB")
    # A meeting each Tuesday for four weeks, and none the fifth.
    week = schedule.get(role="table", name="Week")

    def meetings() -> list:
        return [cell.name.split(",")[0] for cell in week.rows()
                if cell.name.endswith(", Team meeting")]

    def turn(button: str) -> None:
        """One week on or back, waited for (a press while the button
        still shows its last press would be one press)."""
        def title() -> str:
            return schedule.get(role="label", where=lambda n: " - " in n.name).name
        before = title()
        schedule.get(role="push button", name=button).press()
        wait_until(lambda: title() != before, f"the week after {before}")

    found = []
    for _ in range(5):
        found.append(meetings())
        turn("Next week")
    check(found == [["Tue 16"], ["Tue 23"], ["Tue 30"], ["Tue 6"], []], f"the weeks hold {found}")

    # From the third meeting on: two go, two stay.
    for _ in range(3):
        turn("Previous week")
    wait_until(lambda: meetings() == ["Tue 30"], "the week of the third meeting")
    cell = week.row("Tue 30, 10:00am, Team meeting")
    cell.press("Toggle")
    delete = schedule.get(role="push button", name="Delete")
    wait_until(lambda: delete.enabled, "Delete to be offered for the chosen meeting")
    delete.press()
    which = bob.window("Delete Repeating Item")
    check_named(which)
    # The third choice, reached with the arrow keys.
    choices = which.get(role="list", name="Delete Repeating Item")
    choices.key("Down", "Down")
    wait_until(lambda: choices.row("This one and later ones").has("focused"),
               lambda: f"the third choice to be current: {which.dump()}")
    which.get(role="push button", name="OK").press()
    bob.window_gone(which)
    sure = bob.window(role="alert")
    check(sure.find(role="label", name="Are you sure?") is not None, sure.dump())
    sure.get(role="push button", name="Yes").press()
    bob.window_gone(sure)
    wait_until(lambda: meetings() == [], "the third meeting to go")
    turn("Next week")
    check(meetings() == [], f"the fourth week still holds {meetings()}")
    for _ in range(2):
        turn("Previous week")
    check(meetings() == ["Tue 23"], f"the second week holds {meetings()}")
    turn("Previous week")
    check(meetings() == ["Tue 16"], f"the first week holds {meetings()}")
    schedule.get(role="push button", name="Close").press()
    bob.window_gone(schedule)

if __name__ == "__main__":
    run(globals())
