"""The road of a phone list entry, as a person with a screen reader walks
it: BOB adds an entry to the COMMON list and gives it a category, finds it
again by the quick find and by a search on that category, dials it through
a modem (a pseudo-terminal this test plays as a Hayes modem, behind the
workstation's COM1), and copies it to ANNE's list."""

import os
import select
import threading

from desk import Office, check, check_named, run, wait_until


class HayesModem:
    """A modem on a pseudo-terminal: it echoes each command line and
    answers OK, and keeps the lines it was sent."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        self.device = os.ttyname(self.slave)
        self.commands = []
        self._lock = threading.Lock()
        self._stop_read, self._stop_write = os.pipe()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        line = b""
        while True:
            ready, _, _ = select.select([self.master, self._stop_read], [], [])
            if self._stop_read in ready:
                return
            try:
                data = os.read(self.master, 256)
            except OSError:
                # The program closed its end: wait for the next opening.
                if select.select([self._stop_read], [], [], 0.02)[0]:
                    return
                continue
            for byte in data:
                line += bytes([byte])
                if byte != ord("\r"):
                    continue
                with self._lock:
                    self.commands.append(line.decode("latin-1"))
                os.write(self.master, line + b"\r\nOK\r\n")
                line = b""

    def sent(self):
        with self._lock:
            return list(self.commands)

    def close(self):
        os.write(self._stop_write, b"x")
        self._thread.join()
        for fd in (self.master, self.slave, self._stop_read, self._stop_write):
            os.close(fd)


# The row of the new entry as the list reads it: Listname and Phone 1.
SMITH = "Smith Tools  555-0123"


def selected_rows(listing):
    return [r.name for r in listing.rows() if r.has("selected")]


def test_bob_adds_finds_dials_and_copies_an_entry_to_annes_list(office: Office):
    office.admin("add-phone", office.data_dir, "COMMON", "--listname", "Acme Supplies",
                 "--phone", "555-0001")
    office.admin("add-phone", office.data_dir, "COMMON", "--listname", "Zenith Travel",
                 "--phone", "555-0009")
    modem = HayesModem()
    try:
        bob = office.workstation("BOB", Com1Device=modem.device)
        walk_the_road(office, bob, modem)
    finally:
        modem.close()


def walk_the_road(office: Office, bob, modem: HayesModem):
    bob.menu("PhoneList", "View List")
    phones = bob.window("PhoneList (COMMON)")
    check_named(phones)
    listing = phones.get(role="list", name="PhoneList")

    # A new entry through the entry dialog.
    phones.get(role="push button", name="Add").press()
    entry = bob.window("PhoneList Detail")
    check_named(entry)
    entry.get(role="text", name="Listname:").type("Smith Tools")
    entry.get(role="text", name="Company:").type("Smith Tools Inc.")
    entry.get(role="text", name="Phone 1:").type("555-0123")
    entry.get(role="push button", name="Save").press()
    bob.window_gone(entry)
    listing.row("Smith Tools")
    wait_until(lambda: selected_rows(listing) == [SMITH],
               lambda: f"the new entry's row to be selected (selected: {selected_rows(listing)})")

    # Its category, made in the categories dialog and ticked there.
    phones.get(role="push button", name="Cat").press()
    categories = bob.window("Categories")
    check_named(categories)
    categories.get(role="push button", name="Add").press()
    adding = bob.window("Add new category")
    check_named(adding)
    adding.get(role="text", name="New category:").type("CLIENTS")
    adding.get(role="push button", name="OK").press()
    bob.window_gone(adding)
    categories.get(role="list", name="Categories").row("CLIENTS").press("Press")
    categories.get(role="push button", name="Close").press()
    bob.window_gone(categories)

    # The quick find: another entry first, then the typed start of the name.
    listing.row("Zenith Travel").press("SetFocus")
    wait_until(lambda: any("Zenith" in r for r in selected_rows(listing)),
               "Zenith Travel's row to be selected")
    phones.get(role="text", name="Find:").type("smi")
    wait_until(lambda: selected_rows(listing) == [SMITH],
               lambda: f"the quick find to select Smith Tools (selected: {selected_rows(listing)})")

    # The search by its category finds it alone.
    bob.menu("PhoneList", "Search...")
    criteria = bob.window("PhoneList Search Criteria")
    check_named(criteria)
    criteria.get(role="push button", name="Category list").press()
    choose = bob.window("Categories")
    check_named(choose)
    choose.get(role="list", name="Categories").row("CLIENTS").press("Press")
    choose.get(role="push button", name="OK").press()
    bob.window_gone(choose)
    criteria.get(role="label", name="Selected...")
    criteria.get(role="push button", name="OK").press()
    results = bob.window(containing="Search result:")
    check(results.name == "Search result:   1 found", f"the results read {results.name!r}")
    check_named(results)
    found = results.get(role="list")
    check([r.name for r in found.rows()] == ["      Smith Tools\t555-0123"],
          f"the results list {[r.name for r in found.rows()]}")
    results.get(role="push button", name="Done").press()
    bob.window_gone(results)

    # Dialing: the modem hears the number, the status box says so.
    wait_until(lambda: selected_rows(listing) == [SMITH], "Smith Tools to be still selected")
    phones.get(role="push button", name="Dial").press()
    status = bob.window("Status")
    check(status.find(role="label", name="Dialing...") is not None, status.dump())
    check(modem.sent() == ["ATDT5550123;H0\r"], f"the modem was sent {modem.sent()!r}")
    status.get(role="push button", name="OK").press()
    bob.window_gone(status)

    # Copy to ANNE's list through the name picker.
    phones.get(role="push button", name="Copy").press()
    picker = bob.window("Name:")
    check_named(picker)
    picker.get(role="text", name="Name:").type("ANNE")
    wait_until(lambda: [r.name for r in picker.get(role="list", name="Names").rows()
                        if r.has("selected")] == ["ANNE"], "ANNE's row to be selected")
    picker.get(role="push button", name="OK").press()
    bob.window_gone(picker)
    wait_until(lambda: "Smith Tools\t555-0123" in office.admin("phonelist", office.data_dir,
                                                               "ANNE"),
               lambda: "Smith Tools in ANNE's list (it holds "
                       f"{office.admin('phonelist', office.data_dir, 'ANNE')!r})")
    check("Smith Tools\t555-0123" in office.admin("phonelist", office.data_dir, "COMMON"),
          "the entry stays in COMMON")

    phones.get(role="push button", name="Close").press()
    bob.window_gone(phones)


if __name__ == "__main__":
    run(globals())
