// dpadmin: the administrator's tool for a DESKpost data directory.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "storage/file.h"
#include "tools/admin.h"

namespace {

constexpr char kUsage[] =
    "usage: dpadmin create DIR [--force]\n"
    "       dpadmin check DIR [TABLE...]\n"
    "       dpadmin reindex DIR TABLE|--all\n"
    "       dpadmin dump DIR TABLE [--all]\n"
    "       dpadmin demo DIR\n"
    "       dpadmin names DIR\n"
    "       dpadmin add-name DIR NAME...\n"
    "       dpadmin rename-name DIR OLD NEW\n"
    "       dpadmin remove-name DIR NAME\n"
    "       dpadmin add-group DIR *GROUP MEMBER...\n"
    "       dpadmin members DIR *GROUP\n"
    "       dpadmin send DIR --from USER --to NAME|*GROUP|\"* - ALL\" [--kind phone|memo|email]\n"
    "                [--caller C] [--company C] [--phone P] [--extension E] [--text T|-]\n"
    "                [--rush] [--call-back] [--returned-call] [--will-call] [--by INITIALS]\n"
    "                [--subject S] [--body B|-] [--attach FILE]... [--email-from ADDR]\n"
    "                [--no-signature] [--urgent] [--cc]\n"
    "       dpadmin messages DIR USER [--folder new|archive|NUMBER|NAME] [--newest-first]\n"
    "       dpadmin flags DIR USER\n"
    "       dpadmin add-entry DIR USER DATE [TIME [END [ALARM]]] TEXT [--every N --until DATE]\n"
    "       dpadmin add-todo DIR USER DATE [--priority P] TEXT\n"
    "       dpadmin todo DIR USER [DATE]\n"
    "       dpadmin schedule DIR USER DATE\n"
    "       dpadmin phonelist DIR [LIST]\n"
    "       dpadmin add-phone DIR LIST --listname NAME [--phone NUMBER] [FIELD OPTIONS]\n"
    "       dpadmin import-phone DIR LIST FILE.csv|FILE.vcf\n"
    "       dpadmin export-phone DIR LIST FILE.csv|FILE.vcf\n"
    "       dpadmin print DIR daily|weekly|monthly NAME DATE [--to DATE] [--ini FILE]\n"
    "                                                          --pdf FILE\n"
    "       dpadmin print DIR phonelist [LIST] [--type phone|mailing|full] [--title T]\n"
    "                --pdf FILE | --text FILE | --csv FILE\n"
    "       dpadmin print DIR labels FORMAT [LIST] [--contact] --pdf FILE | --text FILE\n"
    "       dpadmin print DIR folder USER FOLDER [--sendlog] --pdf FILE | --text FILE\n"
    "       dpadmin export-ics DIR NAME FILE.ics\n"
    "       dpadmin import-ics DIR NAME FILE.ics\n"
    "       dpadmin --help\n";

constexpr char kHelp[] =
    "\n"
    "  create   makes DIR a complete, empty data directory: every table with its\n"
    "           empty indexes, CAT.DAT with the directory version, DP.EXE, the DPE\n"
    "           and SENDLOG directories, an empty DPDESK.CFG and, when it has\n"
    "           none, LABEL.DAT with the delivered label formats. A directory\n"
    "           holding any table, index, e-mail file or flag file of an office\n"
    "           is refused; --force lists them, then makes it afresh, emptying\n"
    "           every table and removing old e-mail files and flag files.\n"
    "  check    compares every index with its record file (all tables, or the\n"
    "           ones named) and checks both files, and the values the\n"
    "           fields of name, message, send-log, schedule, to-do, phone\n"
    "           list, folder, note and CC records hold; prints one line per\n"
    "           problem.\n"
    "  reindex  rebuilds the index files of a table (or of all tables) from the\n"
    "           record file, for \"Index is corrupt, please reindex\". Records\n"
    "           whose keys collide in a unique index are reported and left out.\n"
    "  dump     prints the header, the records (--all: deleted ones too) and the\n"
    "           entries of every index of a table.\n"
    "  demo     creates DIR as a data directory holding a small demo office:\n"
    "           people, a group, messages, a folder and phone list entries.\n"
    "  names    lists the people and groups with their name numbers.\n"
    "  add-name adds people (and \"* - ALL\", when the office has no entry for\n"
    "           everybody yet); rename-name and remove-name change one. Renaming a\n"
    "           person carries their messages, send-log copies, CC lists and the\n"
    "           phone list defaults naming them; the Name= line of their\n"
    "           workstations' DPDESK.INI is changed there. Removing a person\n"
    "           leaves their messages and entries under their old number.\n"
    "  add-group makes *GROUP (if new) and adds the members to it; members\n"
    "           lists them.\n"
    "  send     stores a message from USER as the program's Send does: unique\n"
    "           numbers, a long text kept as a note, the sender's send log when\n"
    "           their option is on, and the recipients' flag files raised.\n"
    "           A group or \"* - ALL\" gets one copy per person; --cc attaches\n"
    "           the CC list. An e-mail --to may list local names and Internet\n"
    "           addresses separated by \",\". A text or body of \"-\" is read\n"
    "           from standard input; line breaks are kept.\n"
    "  messages lists a person's messages of the in-box (new), the archive or\n"
    "           a folder, oldest first unless --newest-first.\n"
    "  flags    shows the value of a person's flag file and what it means.\n"
    "  add-entry  adds an entry to USER's schedule (a person, or \"* COMMON\") on\n"
    "           DATE (month-day-year, 3-15-27), untimed or at TIME with an end and\n"
    "           an alarm (9:30AM; \"\" leaves one out); --every N --until DATE\n"
    "           repeats it every N days.\n"
    "  add-todo adds an item to USER's to-do list on DATE (priority 1 unless given).\n"
    "  todo     prints USER's to-do list for DATE (today, with the open items of\n"
    "           earlier days) as priority, open/done, date and first line.\n"
    "  schedule lists USER's day (a name, or \"* COMMON\" for the office's\n"
    "           schedule) as the day view shows it; DATE is month-day-year, such\n"
    "           as 3-15-27. '/', '|' and '\\' draw the bracket from an entry's start\n"
    "           to its end, '*' marks a line inside another entry's bracket too.\n"
    "  phonelist     prints a phone list (LIST), or every list, one entry a line:\n"
    "                Listname, a tab, Phone 1.\n"
    "  add-phone     adds one entry to LIST; the fields are --listname --company\n"
    "                --street1 --street2 --city --state --zip --country --contact\n"
    "                --phone --ext --phone2 --ext2 --fax --cell --url --email --id\n"
    "                --misc. The same Listname and phone in the list is refused.\n"
    "  import-phone  adds the rows of a CSV file (UTF-8) or the cards of a vCard\n"
    "                file (3.0 or 4.0) to LIST, as the phone list window's\n"
    "                Import... does. A file that begins with BEGIN:VCARD or whose\n"
    "                name ends in .vcf or .vcard is read as vCards, any other as\n"
    "                CSV. The CSV header row names the columns by the entry\n"
    "                dialog's labels, in any order and letter case: Listname,\n"
    "                Company, Street 1, Street 2, City, State, ZIP, Country,\n"
    "                Contact, Phone 1, Ext 1, Phone 2, Ext 2, Fax, Cell / Pager,\n"
    "                URL, E-Mail, ID, Misc info; others are skipped. Rows or cards\n"
    "                that cannot be stored, duplicates and what a card holds that\n"
    "                an entry does not keep are reported with their line numbers;\n"
    "                the rest are added, and a summary line counts them.\n"
    "  export-phone  writes LIST as such a CSV file, every column, or as vCard\n"
    "                3.0 cards when the name ends in .vcf or .vcard; import-phone\n"
    "                reads both back.\n"
    "  print daily|weekly|monthly  prints NAME's (or \"* COMMON\"'s) day, week\n"
    "                (to the week of --to) or month on the data directory's page\n"
    "                templates (daily.wmf, daily2.wmf, weekly.wmf, monthly.wmf)\n"
    "                into a PDF file; a day shows the empty hours 8 to 17, or\n"
    "                PresetStart to PresetEnd of a workstation's --ini file.\n"
    "  print    prints without windows what the program prints, to a PDF file as\n"
    "           the printer would print it, or to a text file as the program\n"
    "           exports it (written beside FILE and renamed when whole):\n"
    "           phonelist  a report of LIST (COMMON unless given), --type phone\n"
    "                      (the default), mailing or full, under --title or the\n"
    "                      list's own; --csv writes it comma-delimited.\n"
    "           labels     LIST's entries as labels of FORMAT, a name from the\n"
    "                      office's LABEL.DAT (quote it: \"3 across, 30 a sheet\");\n"
    "                      --contact puts each entry's contact on its label.\n"
    "           folder     USER's messages in FOLDER (new, archive, a folder's\n"
    "                      name or number) as message slips with their notes;\n"
    "                      --sendlog prints USER's send log (new or archive).\n"
    "  export-ics    writes NAME's schedule (a person, or \"* COMMON\") as an\n"
    "                iCalendar file: one event an entry, in the office's time zone,\n"
    "                alarms as reminders, repeated entries one by one.\n"
    "  import-ics    adds the events of an iCalendar file to NAME's schedule:\n"
    "                all-day events as untimed entries, the first reminder as the\n"
    "                alarm, repeat rules as single entries up to 2037. What the\n"
    "                schedule cannot hold is listed with the reason (exit status\n"
    "                1); entries already there are not added again.\n"
    "\n"
    "TABLE is one of MESSAGE PHONE NAME SCHED TODO CAT LC SENDLOG FOLDER NOTE CC.\n"
    "LIST is COMMON (the office's phone list) or a person's name.\n"
    "Text on the command line is UTF-8; a character the files cannot hold\n"
    "(they keep Windows-1252) is refused.\n"
    "check and reindex hold the table's locks while they work; run them while\n"
    "nobody is changing the table. create --force must never run while anyone\n"
    "uses the directory.\n"
    "\n"
    "Exit status: 0 done and clean; 1 problems found, records left out of an\n"
    "index, or an existing directory refused; 2 bad usage or a file that could\n"
    "not be read or written.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return kExitError;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
  }
  // Dates on the command line are the office's days: its zone first.
  if (command != "create" && command != "demo" && !args.empty() &&
      FileExists(WithSlash(args[0]) + "DP.EXE") && !UseOfficeTimeZone(args[0]))
    return kExitError;
  if (command == "create") return RunCreate(args);
  if (command == "check") return RunCheck(args);
  if (command == "reindex") return RunReindex(args);
  if (command == "dump") return RunDump(args);
  if (command == "demo") return RunDemo(args);
  if (command == "names") return RunNames(args);
  if (command == "add-name") return RunAddName(args);
  if (command == "rename-name") return RunRenameName(args);
  if (command == "remove-name") return RunRemoveName(args);
  if (command == "add-group") return RunAddGroup(args);
  if (command == "members") return RunMembers(args);
  if (command == "send") return RunSend(args);
  if (command == "messages") return RunMessages(args);
  if (command == "flags") return RunFlags(args);
  if (command == "add-entry") return RunAddEntry(args);
  if (command == "add-todo") return RunAddTodo(args);
  if (command == "todo") return RunTodo(args);
  if (command == "schedule") return RunSchedule(args);
  if (command == "phonelist") return RunPhoneList(args);
  if (command == "add-phone") return RunAddPhone(args);
  if (command == "import-phone") return RunImportPhone(args);
  if (command == "export-phone") return RunExportPhone(args);
#ifdef DPADMIN_PRINT
  if (command == "print" && args.size() > 1 && IsSchedulePrintKind(args[1]))
    return AdminPrintSchedule(args);
  if (command == "print") return RunPrint(args);
#endif
  if (command == "export-ics") return RunExportIcs(args);
  if (command == "import-ics") return RunImportIcs(args);
  std::fprintf(stderr, "dpadmin: unknown command: %s\n", command.c_str());
  std::fputs(kUsage, stderr);
  return kExitError;
}
