// PHONELIST on a real office: the quick find, the list kept inside the
// current list, the detail pane, the buttons without a selection, Select
// List, Paste, deleting and copying the tagged entries, the context menu
// and the placement, driven by control id with real keys and clicks; and
// its Import... and Export...: files chosen through the scripted desktop,
// CSV and vCards in, refusals and duplicates named by line in the summary,
// files that are no phone list, Cancel in the progress box, another
// workstation holding the table, and exports in each format that read back
// as the list, never leaving half a file behind.
#include "phonelist/phone_list_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <memory>

#include "data/phone/phone_transfer.h"
#include "phone_office.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_transfer_window.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/scripted_desktop.h"

namespace {

std::vector<std::string> Page(const TPhoneListView& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.RowsFilled(); ++i) out.push_back(list.Entry(i).Listname());
  return out;
}

std::string SelectedName(const TPhoneListView& list) {
  PhoneEntry e;
  return list.Selected(&e) ? e.Listname() : std::string("(none)");
}

std::string K(int i) {
  return QString::asprintf("K%02d", i).toStdString();
}

// What the summary dialog showed, when it opened.
struct Summary {
  bool shown = false;
  QString text;
  QString details;
  QStringList unnamed;
};

}  // namespace

class PhoneListWindowTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  std::unique_ptr<ScriptedDesktop> desktop;
  std::unique_ptr<TempDir> files;
  std::unique_ptr<TPhoneListClass> w;

  TPhoneListClass& Open() {
    w = std::make_unique<TPhoneListClass>(nullptr);
    w->OpenModeless();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get())) qWarning("the window did not become active");
    return *w;
  }
  void Type(const QString& text) {
    w->FindField()->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(w->FindField(), Qt::Key_Delete);
    } else {
      QTest::keyClicks(w->FindField(), text);
    }
  }
  QWidget* Box() { return w->List()->ListBox(); }
  void ClickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const int h = w->List()->RowHeight();
    QTest::mouseClick(Box(), Qt::LeftButton, mods, QPoint(40, row * h + h / 2));
  }
  // Entries of COMMON and BOB on either side of ANNE's list, the current one.
  void AnnesListBetweenOthers() {
    for (const char* n : {"Aardvark", "Zebra"}) {
      office->AddEntry(0, n);
      office->AddEntry(office->bob, n);
    }
    PhoneSetCurrentList({office->anne, "ANNE"});
  }
  // A file of the bytes in the test's folder; answers its path.
  QString Write(const std::string& name, const QByteArray& bytes) {
    WriteWholeFile(files->File(name), bytes.toStdString());
    return QString::fromStdString(files->File(name));
  }

  // Imports the file through the window; the summary dialog, when it opens,
  // is read and closed with OK.
  Summary Import(const QString& path) {
    desktop->Answer(path);
    auto seen = std::make_shared<Summary>();
    script->Then([seen](TBaseDialog& d) {
      auto& s = static_cast<PhoneImportSummaryDialog&>(d);
      seen->shown = true;
      seen->text = s.Summary();
      seen->details = s.Details();
      seen->unnamed = Unnamed(&d);
      DialogScript::Press(d, kIdOk);
    });
    Press(w.get(), TPhoneListClass::kIdImport);
    return *seen;
  }
  QStringList Informed() const {
    QStringList out;
    for (const auto& a : prompts->AskedList())
      if (a.kind == "Inform" || a.kind == "Flash") out << a.caption + "|" + a.text;
    return out;
  }

 private slots:
  void init() {
    MakeSet();
    desktop = std::make_unique<ScriptedDesktop>();
    files = std::make_unique<TempDir>();
  }
  void cleanup() {
    w.reset();
    desktop.reset();
    files.reset();
    DropSet();
  }

  void quickFindPositionsOnTheFirstEntryThatStartsWithTheText() {
    const struct {
      const char *typed, *selected;
      const char* firstRow;  // past the list's end: the last row
    } cases[] = {{"", "(none)", "Adams"},
                 {"b", "Baker", "Baker"},  // one letter, other case
                 {"BAKER &", "Baker & Sons", "Baker & Sons"},
                 {"Bz", "(none)", "Carter"},  // between entries
                 {"Young", "Young, Sam", "Young, Sam"},
                 {"Zz", "(none)", "Young, Sam"}};  // past the list's last
    AnnesListBetweenOthers();
    for (const char* n : {"Adams", "Baker", "Baker & Sons", "Carter", "Young, Sam"})
      office->AddEntry(office->anne, n, "555-0100");
    for (int i = 0; i < 16; ++i)
      office->AddEntry(office->anne, "M" + QString::asprintf("%02d", i).toStdString());
    Open();
    QCOMPARE(w->windowTitle(), QString("PhoneList (ANNE)"));
    for (const auto& c : cases) {
      w->FindField()->setFocus();
      Type(c.typed);
      QCOMPARE(SelectedName(*w->List()), std::string(c.selected));
      const auto page = Page(*w->List());
      QVERIFY(!page.empty());
      QCOMPARE(std::string(c.typed) == "Zz" ? page.back() : page.front(), std::string(c.firstRow));
      for (int i = 0; i < w->List()->RowsFilled(); ++i)
        QCOMPARE(w->List()->Entry(i).List(), office->anne);
      // Down moves into the list, onto a row.
      QTest::keyClick(w->FindField(), Qt::Key_Down);
      QVERIFY(Box()->hasFocus());
      QVERIFY(w->List()->SelectedRow() >= 0);
    }
  }

  void pagingAndDeletingStayInTheList() {
    AnnesListBetweenOthers();
    for (int i = 0; i < 40; ++i) office->AddEntry(office->anne, K(i));
    Open();
    const int rows = w->List()->RowsPerPage();
    QVERIFY(rows > 3 && rows < 40);
    QCOMPARE(Page(*w->List()).front(), std::string("K00"));
    Box()->setFocus();
    QTest::keyClick(Box(), Qt::Key_End);
    QCOMPARE(SelectedName(*w->List()), std::string("K39"));
    QCOMPARE(w->List()->RowsFilled(), rows);
    for (int i = 0; i < 5; ++i) QTest::keyClick(Box(), Qt::Key_PageDown);
    QCOMPARE(Page(*w->List()).back(), std::string("K39"));
    QTest::keyClick(Box(), Qt::Key_Home);
    QCOMPARE(SelectedName(*w->List()), std::string("K00"));
    QTest::keyClick(Box(), Qt::Key_Up);
    QTest::keyClick(Box(), Qt::Key_PageUp);
    QCOMPARE(Page(*w->List()).front(), std::string("K00"));
    // Deleting the whole last page shows the new last page.
    QTest::keyClick(Box(), Qt::Key_End);
    ClickRow(0);
    ClickRow(rows - 1, Qt::ShiftModifier);
    QCOMPARE(w->List()->Tags().Count(), rows);
    prompts->Answer(true);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(office->Listnames(office->anne).size(), size_t(40 - rows));
    const std::string last = K(39 - rows);
    QCOMPARE(Page(*w->List()).back(), last);
    QCOMPARE(w->List()->RowsFilled(), rows);
    QCOMPARE(w->List()->SelectedRow(), rows - 1);
    QCOMPARE(SelectedName(*w->List()), last);
    // An empty list shows nothing, whatever lies around it.
    PhoneSetCurrentList({office->bob + 1000, "NOBODY"});
    w->Reload();
    QCOMPARE(w->List()->RowsFilled(), 0);
    QCOMPARE(w->windowTitle(), QString("PhoneList (NOBODY)"));
  }

  void theScrollBarFollowsTheInitialOfTheSelectedEntry() {
    // In index order: digits, letters either case, then what sorts after.
    const std::vector<std::pair<std::string, int>> rows = {
        {"123 Corp", 0}, {"Adams", 1},   {"baker", 2},   {"Mills", 13},
        {"Zulu", 26},    {"zz top", 26}, {"~tilde", 27}, {"\311clair", 27}};
    for (const auto& [name, position] : rows) office->AddEntry(0, name);
    Open();
    QScrollBar* bar = w->List()->ScrollBar();
    for (int row = 0; row < int(rows.size()); ++row) {
      ClickRow(row);
      QCOMPARE(w->List()->Entry(row).Listname(), rows[size_t(row)].first);
      QCOMPARE(bar->value(), rows[size_t(row)].second);
    }
    // A letter's position starts the page at the first entry not before it.
    for (const auto& [position, first] :
         std::vector<std::pair<int, std::string>>{{2, "baker"}, {3, "Mills"}, {27, "\311clair"}}) {
      QVERIFY(w->List()->SeekPosition(position));
      QVERIFY(w->List()->Refresh(0, 0));
      QCOMPARE(Page(*w->List()).front(), first);
    }
  }

  void theDetailPaneShowsTheSelectedEntry() {
    office->AddEntry(0, "Acme Corp", "617-555-1234",
                     {{ph::kCompany, "Acme Corporation"},
                      {ph::kId, "AC1"},
                      {ph::kStreet1, "1 Main St"},
                      {ph::kCity, "Boston"},
                      {ph::kState, "MA"},
                      {ph::kZip, "02110"},
                      {ph::kContact, "John Smith"},
                      {ph::kExt1, "12"},
                      {ph::kFax, "617-555-9999"},
                      {ph::kEmail, "info@acme.example"},
                      {ph::kMisc, "Open 9 to 5\rClosed Sundays"}});
    const int32_t bare = office->AddEntry(0, "Bare");
    Open();
    QVERIFY(!w->PaneShown());
    QVERIFY(!w->Pane()->isVisibleTo(w.get()));
    Press(w.get(), TPhoneListClass::kIdPaneButton);
    QVERIFY(w->Pane()->isVisibleTo(w.get()));
    QCOMPARE(FindControlAs<QPushButton>(w.get(), TPhoneListClass::kIdPaneButton)->text(),
             QString("&<<"));
    ClickRow(0);
    QCOMPARE(w->Pane()->toPlainText(),
             QString("Acme Corp\nAcme Corporation\tAC1\n1 Main St\nBoston MA 02110\n\n"
                     "John Smith\nPh 1:\t617-555-1234 12\nFax:\t617-555-9999\n\n"
                     "info@acme.example\n\nOpen 9 to 5\nClosed Sundays\n"));
    ClickRow(1);
    QCOMPARE(w->Pane()->toPlainText(), QString("Bare\n\n\n\n"));
    QVERIFY(office->DeleteElsewhere(bare));  // while the page still shows it
    ClickRow(0);
    ClickRow(1);
    QCOMPARE(w->Pane()->toPlainText(), QString("Error reading record."));
  }

  void withoutASelectionTheEntryButtonsAreDisabled() {
    Open();
    QCOMPARE(w->List()->RowsFilled(), 0);
    const int ids[] = {TPhoneListClass::kIdDelete, TPhoneListClass::kIdCopy,
                       TPhoneListClass::kIdCat, TPhoneListClass::kIdDial,
                       TPhoneListClass::kIdPaste};
    for (int id : ids)
      QVERIFY2(!FindControl(w.get(), id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(w->Pane()->toPlainText().isEmpty());
    // Info without a selection adds.
    Press(w.get(), TPhoneListClass::kIdInfo);
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("PhoneList Detail"));
    office->AddEntry(0, "Adams");
    w->Reload();
    QCOMPARE(w->List()->SelectedRow(), -1);
    ClickRow(0);
    for (int id : ids) QVERIFY(FindControl(w.get(), id)->isEnabled());
    QCOMPARE(Unnamed(w.get()), QStringList());
    QCOMPARE(w->FindField()->accessibleName(), QString("Find:"));
    // Delete needs the right.
    PhoneSettings().phoneDelete = false;
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(Asked(*prompts),
             QStringList{"DESKpost|You do not have access rights for this action."});
    QCOMPARE(office->Listnames(0).size(), size_t(1));
  }

  void selectListChoosesAPersonsListOrCommon() {
    office->AddEntry(0, "Common entry");
    office->AddEntry(office->anne, "Anne's entry");
    office->Add("*Sales");
    OpenPhoneListWindow(nullptr);
    TPhoneListClass* window = PhoneListWindow();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QString("PhoneList (COMMON)"));
    ChooseName(*script, "ANNE");
    SelectPhoneList(nullptr, true);
    QCOMPARE(window->windowTitle(), QString("PhoneList (ANNE)"));
    QCOMPARE(Page(*window->List()), std::vector<std::string>{"Anne's entry"});
    QCOMPARE(PhoneCurrentList().number, office->anne);
    // A group stands for the common list.
    ChooseName(*script, "*Sales");
    SelectPhoneList(nullptr, true);
    QCOMPARE(window->windowTitle(), QString("PhoneList (COMMON)"));
    QCOMPARE(PhoneCurrentList().number, 0);
    // Cancelled: nothing changes.
    script->Cancel();
    SelectPhoneList(nullptr, true);
    QCOMPARE(window->windowTitle(), QString("PhoneList (COMMON)"));
    ClosePhoneListWindow();
    QVERIFY(!PhoneListWindow());
  }

  void whileAModalChildIsOpenTheOtherEntryPointsDoNothing() {
    for (const char* n : {"A", "B", "C"}) office->AddEntry(0, n);
    OpenPhoneListWindow(nullptr);
    TPhoneListClass* window = PhoneListWindow();
    QVERIFY(window);
    window->List()->Refresh(0, 0);
    bool busy = false;
    script->Then([&](TBaseDialog& entry) {
      busy = window->Busy();
      // Select List and Search... only beep: no picker, no criteria.
      SelectPhoneList(nullptr, true);
      SearchPhoneList(nullptr, 0);
      DialogScript::Press(entry, kIdCancel);
    });
    Press(window, TPhoneListClass::kIdInfo);
    QVERIFY(busy);
    QVERIFY(!window->Busy());
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("PhoneList Detail"));
    // Saved under a new Listname, the entry is shown selected in its place.
    script->Then([](TBaseDialog& entry) {
      auto* e = FindControlAs<QLineEdit>(&entry, TPhoneInfoClass::kIdListname);
      e->selectAll();
      QTest::keyClicks(e, "D");
      DialogScript::Press(entry, TPhoneInfoClass::kIdSave);
    });
    prompts->Answer(1);
    Press(window, TPhoneListClass::kIdInfo);
    QCOMPARE(SelectedName(*window->List()), std::string("D"));
    ClosePhoneListWindow();
  }

  void pasteLeavesTheCapitalisedAddressOnTheClipboard() {
    office->AddEntry(0, "ACME", "",
                     {{ph::kContact, "JOHN SMITH"},
                      {ph::kCompany, "Acme of Boston"},
                      {ph::kStreet1, "1 MAIN ST  "},
                      {ph::kCity, "BOSTON"},
                      {ph::kState, "MA"},
                      {ph::kZip, "02110"}});
    Open();
    ClickRow(0);
    Press(w.get(), TPhoneListClass::kIdPaste);
    QCOMPARE(QApplication::clipboard()->text(),
             QString("John Smith\r\nAcme of Boston\r\n1 Main St\r\nBoston MA 02110\r\n"));
    QVERIFY(!w->isVisible());
    QVERIFY(!w->IsOpen());
    QCOMPARE(Asked(*prompts), QStringList{"|Address copied; paste it with Ctrl+V."});
  }

  void deleteAsksAndDeletesTheTaggedEntriesWithTheirNotes() {
    int32_t note = 0;
    for (const char* n : {"A", "B", "C", "D", "E"}) {
      const int32_t at = office->AddEntry(0, n);
      if (*n == 'B') note = office->GiveNote(at, "a note");
    }
    QVERIFY(note);
    Open();
    ClickRow(1);
    prompts->Answer(false);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Are you sure you want to delete this item?"});
    QCOMPARE(office->Listnames(0).size(), size_t(5));
    prompts->Clear();
    prompts->Answer(true);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(office->Listnames(0), (std::vector<std::string>{"A", "C", "D", "E"}));
    QVERIFY(!office->NoteExists(note));
    QCOMPARE(w->List()->SelectedRow(), 1);
    QCOMPARE(SelectedName(*w->List()), std::string("C"));
    // Several tagged, one of them held by another workstation.
    int32_t held = -1;
    QVERIFY(office->Find(0, "D", "", nullptr, &held));
    LockHolder other(office->PhonePath(), PhoneOffice::LockByte(held));
    QVERIFY(other.Held());
    ClickRow(0);
    ClickRow(2, Qt::ControlModifier);
    ClickRow(3, Qt::ControlModifier);
    prompts->Clear();
    prompts->Answer(true);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(Asked(*prompts),
             (QStringList{"DESKpost|Are you sure you want to delete the selected items?",
                          "DESKpost|Record in use."}));
    QCOMPARE(office->Listnames(0), (std::vector<std::string>{"C", "D"}));
    QCOMPARE(Page(*w->List()), (std::vector<std::string>{"C", "D"}));
    QCOMPARE(prompts->WorkingDepth(), 0);
  }

  void copyAsksAboutDuplicatesAndNoToAllStopsAsking() {
    for (const char* n : {"A", "B", "C", "D"})
      office->AddEntry(0, n, "555-0100", {{ph::kCity, "New"}});
    int32_t oldB = -1;
    for (const char* n : {"B", "C", "D"})
      office->AddEntry(office->anne, n, "555-0100", {{ph::kCity, "Old"}});
    QVERIFY(office->Find(office->anne, "B", "555-0100", nullptr, &oldB));
    Open();
    ClickRow(0);
    for (int row = 1; row < 4; ++row) ClickRow(row, Qt::ControlModifier);
    ChooseName(*script, "ANNE");
    prompts->Answer(kIdYes);
    prompts->Answer(kIdNoToAll);
    Press(w.get(), TPhoneListClass::kIdCopy);
    QCOMPARE(Asked(*prompts),
             (QStringList{"Confirm|B already exists, would you like to overwrite it?",
                          "Confirm|C already exists, would you like to overwrite it?"}));
    auto annesCities = [this] {
      std::vector<std::string> cities;
      for (const char* n : {"A", "B", "C", "D"})
        cities.push_back(office->Text(office->anne, n, "555-0100", ph::kCity));
      return cities;
    };
    QCOMPARE(annesCities(), (std::vector<std::string>{"New", "New", "Old", "Old"}));
    int32_t at = -1;
    QVERIFY(office->Find(office->anne, "B", "555-0100", nullptr, &at));
    QCOMPARE(at, oldB);
    // Yes to All copies over every duplicate without asking again.
    prompts->Clear();
    ChooseName(*script, "ANNE");
    prompts->Answer(kIdYesToAll);
    Press(w.get(), TPhoneListClass::kIdCopy);
    QCOMPARE(Asked(*prompts).size(), 1);
    QCOMPARE(annesCities(), (std::vector<std::string>{"New", "New", "New", "New"}));
    QCOMPARE(office->Listnames(0).size(), size_t(4));
  }

  void theContextMenuSelectsTheRowWhenNothingIsTagged() {
    for (const char* n : {"A", "B", "C"}) office->AddEntry(0, n);
    Open();
    w->List()->Tags().ClearAll();
    std::unique_ptr<QMenu> menu(w->ContextMenu(2));
    QCOMPARE(SelectedName(*w->List()), std::string("C"));
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text() + "=" + a->data().toString();
    QCOMPARE(texts, (QStringList{"&Info=210", "&Category=215", "&Dial=221", "&Paste=231",
                                 "C&opy=232", "D&elete=205"}));
    // With tags, the row under the pointer is left as it is.
    ClickRow(0);
    menu.reset(w->ContextMenu(1));
    QCOMPARE(SelectedName(*w->List()), std::string("A"));
    prompts->Answer(false);
    menu->actions().last()->trigger();
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Are you sure you want to delete this item?"});
  }

  void closingKeepsThePlacementAndThePaneState() {
    QRect savedRect;
    bool savedPane = false;
    int saves = 0;
    PhoneSettings().placement.spare = 1;
    PhoneSettings().placement.rect = QRect(50, 60, 700, 420);
    PhoneSettings().placement.kept = [&](const QRect& r, bool, bool, int pane) {
      savedRect = r;
      savedPane = pane != 0;
      ++saves;
    };
    Open();
    QVERIFY(w->PaneShown());
    Press(w.get(), TPhoneListClass::kIdPaneButton);
    Press(w.get(), TPhoneListClass::kIdClose);
    QCOMPARE(saves, 1);
    QVERIFY(!savedPane);
    QCOMPARE(savedRect.size(), QSize(700, 420));
    QVERIFY(!w->IsOpen());
  }

  void addToPhoneListTakesAMessagesCaller_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("listname");
    const char* rows[][6] = {
        {"company", "Acme", "Mary", "555-0100", "|Entry added.", "Acme"},
        {"there already", "Baker", "", "555-0200", "|Entry already exists.", ""},
        {"nothing to add", "", "", "", "", ""}};
    for (const auto& r : rows)
      QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]) << QString(r[4])
                          << QString(r[5]);
  }
  void addToPhoneListTakesAMessagesCaller() {
    QFETCH(QString, company);
    QFETCH(QString, from);
    QFETCH(QString, phone);
    QFETCH(QString, said);
    QFETCH(QString, listname);
    office->AddEntry(office->anne, "Baker", "555-0200");
    PhoneSetCurrentList({office->anne, "ANNE"});
    OpenPhoneListWindow(nullptr);
    AddToPhoneList(company.toStdString(), from.toStdString(), phone.toStdString(), "12");
    QCOMPARE(Asked(*prompts), said.isEmpty() ? QStringList() : QStringList{said});
    if (!listname.isEmpty()) {
      PhoneRecord r;
      QVERIFY(office->Find(office->anne, listname.toStdString(), phone.toStdString(), &r));
      QCOMPARE(r.Text(ph::kContact), from.toStdString());
      QCOMPARE(r.Text(ph::kExt1), std::string("12"));
      PhoneEntry shown;
      QVERIFY(PhoneListWindow()->List()->Selected(&shown));
      QCOMPARE(shown.Listname(), listname.toStdString());
      PhoneListWindow()->List()->ShowList(office->anne);
      office->AddEntry(office->anne, "Zed");
      PhoneListWindow()->RefreshList();
      QCOMPARE(PhoneListWindow()->List()->RowsFilled(), 3);
    }
    ClosePhoneListWindow();
  }

  // A refusal of each kind the summary names (a row the reader refuses, its
  // reason in UTF-8, a duplicate, a column skipped); the reader's tests hold
  // every reason.
  void importSaysWhatWentInAndWhatWasRefusedByLine_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("told");     // an information box, when no summary
    QTest::addColumn<QString>("summary");  // the summary dialog's sentence
    QTest::addColumn<QStringList>("details");
    QTest::addColumn<QStringList>("listnames");

    QTest::newRow("csv, all good")
        << QByteArray(
               "Listname,Phone 1,Misc info\r\nZed,555-0003,\"two\r\nlines\"\r\nAlpha,555-0001,\r\n")
        << "Import PhoneList|2 entries imported."
        << "" << QStringList() << QStringList{"ACME", "Alpha", "Zed"};
    QTest::newRow("csv with refusals and a duplicate")
        << QByteArray(
               "Listname,Phone 1,Company,Birthday\n"
               "Bravo,1,,\n"
               "acme,555-0100,,\n"
               "Snow \xE2\x98\x83,2,,\n"
               "Charlie,5,,\n")
        << ""
        << "2 entries imported, 2 refused: see details"
        << QStringList{"line 1: unknown column \"Birthday\" skipped",
                       "line 3: refused: duplicate: acme with phone \"555-0100\" is in the list "
                       "already",
                       "line 4: refused: Listname holds \"\xE2\x98\x83\", which Windows-1252 lacks"}
        << QStringList{"ACME", "Bravo", "Charlie"};
    QTest::newRow("vCards, one holding more than an entry keeps")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Delta\r\nTEL;TYPE=WORK:1\r\nTITLE:Boss\r\n"
               "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nFN:Echo\r\nEND:VCARD\r\n")
        << ""
        << "2 entries imported: see details" << QStringList{"line 1: Delta: TITLE was not stored"}
        << QStringList{"ACME", "Delta", "Echo"};
    QTest::newRow("a picture is no phone list")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
        << "Import PhoneList|Nothing was imported: in.csv is not a phone list of CSV or vCard "
           "text (line 1: no Listname column in the header)."
        << "" << QStringList() << QStringList{"ACME"};
    QTest::newRow("a header and nothing else")
        << QByteArray("Listname,Phone 1\r\n\r\n")
        << "Import PhoneList|Nothing was imported: in.csv holds no entries."
        << "" << QStringList() << QStringList{"ACME"};
    QTest::newRow("one vCard") << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Foxtrot\nEND:VCARD\n")
                               << "Import PhoneList|1 entry imported."
                               << "" << QStringList() << QStringList{"ACME", "Foxtrot"};
  }
  void importSaysWhatWentInAndWhatWasRefusedByLine() {
    QFETCH(QByteArray, file);
    QFETCH(QString, told);
    QFETCH(QString, summary);
    QFETCH(QStringList, details);
    QFETCH(QStringList, listnames);
    // Into the list the window shows, ANNE's.
    PhoneSetCurrentList({office->anne, "ANNE"});
    office->AddEntry(office->anne, "ACME", "555-0100");
    const QString path = Write("in.csv", file);
    Open();
    const Summary seen = Import(path);
    QCOMPARE(desktop->Requests().size(), size_t(1));
    QCOMPARE(desktop->Requests()[0].kind, QString("Open"));
    QCOMPARE(desktop->Requests()[0].caption, QString("Import PhoneList"));
    QCOMPARE(Informed(), told.isEmpty() ? QStringList() : QStringList{told});
    QCOMPARE(seen.shown, !summary.isEmpty());
    if (seen.shown) {
      QCOMPARE(seen.text, summary);
      QCOMPARE(seen.details.split('\n'), details);
      QCOMPARE(seen.unnamed, QStringList());
    }
    std::vector<std::string> want;
    for (const QString& n : listnames) want.push_back(n.toStdString());
    QCOMPARE(office->Listnames(office->anne), want);
    QCOMPARE(office->Listnames(0), std::vector<std::string>());
    // The window shows the list as it now is.
    QCOMPARE(w->List()->RowsFilled(), int(want.size()));
  }

  void cancelAndAFileThatCannotBeReadLeaveNothingUnsaid() {
    // Cancel in the progress box after two entries.
    const QString path = Write("four.csv", "Listname\nA\nB\nC\nD\n");
    Open();
    for (int go : {1, 1, 0}) prompts->AnswerProgress(go);
    const Summary seen = Import(path);
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, QString("Import cancelled at line 4. 2 entries imported; the entries from "
                                "line 4 on were not imported: see details"));
    QCOMPARE(seen.details, QString("line 4 and after: not imported (cancelled)"));
    QCOMPARE(office->Listnames(0), (std::vector<std::string>{"A", "B"}));

    // A file gone between the dialog and the reading.
    prompts->Clear();
    desktop->Answer(QString::fromStdString(files->File("gone.csv")));
    Press(w.get(), TPhoneListClass::kIdImport);
    QCOMPARE(Informed(), QStringList{"Import PhoneList|Nothing was imported: gone.csv cannot be "
                                     "read (No such file or directory)."});
    // Cancel in the file dialog does nothing at all.
    prompts->Clear();
    Press(w.get(), TPhoneListClass::kIdImport);
    QCOMPARE(prompts->AskedList().size(), size_t(0));
  }

  void anotherWorkstationHoldingTheTableStopsTheImportAndSaysWhere() {
    const QString path = Write("two.csv", "Listname\nA\nB\n");
    Open();
    FastTicks ticks;
    // The table's header byte, which every append takes.
    LockHolder other(office->PhonePath(), 0);
    QVERIFY(other.Held());
    const Summary seen = Import(path);
    other.Release();
    QVERIFY(seen.shown);
    QVERIFY2(seen.text.startsWith("Import stopped at line 2: "), qPrintable(seen.text));
    QVERIFY2(seen.text.endsWith("0 entries imported; the entries from line 2 on were not "
                                "imported: see details"),
             qPrintable(seen.text));
    QVERIFY(seen.details.startsWith("line 2 and after: not imported ("));
    QCOMPARE(office->Listnames(0), std::vector<std::string>());
  }

  // Each format reads back as the list; a file that cannot be written is
  // named with the reason and leaves nothing behind.
  void exportWritesTheListInTheChosenFormatOrSaysWhyNot() {
    office->AddEntry(0, "Smith, Jo", "555-1", {{ph::kMisc, "a\rb"}, {ph::kCity, "K\xF6ln"}});
    office->AddEntry(0, "Zed", "");
    office->AddEntry(office->anne, "Not mine", "");
    const QString path = Write("out", "an older file");
    Open();
    const char* const formats[][2] = {{"COMMON.csv", "Listname,Company,"},  // by the choice
                                      {"COMMON.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\n"},
                                      {"COMMON.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\n"}};
    for (int choice = 0; choice < 3; ++choice) {
      prompts->Clear();
      prompts->Answer(choice);
      desktop->Answer(path);
      Press(w.get(), TPhoneListClass::kIdExport);
      QCOMPARE(desktop->Requests().size(), size_t(choice + 1));
      QCOMPARE(desktop->Requests().back().kind, QString("Save"));
      const QString suggested = desktop->Requests().back().detail;
      QVERIFY2(suggested.endsWith(QString("/") + formats[choice][0]), qPrintable(suggested));
      QCOMPARE(Informed(), QStringList{"|2 entries exported to out."});
      const std::string text = ReadWholeFile(path.toStdString());
      QVERIFY2(text.rfind(formats[choice][1], 0) == 0, text.c_str());
      QVERIFY(!QFile::exists(path + ".tmp"));
      // What was written reads back as the list.
      PhoneImportPlan back = PhoneImportRead(text, office->bob);
      QCOMPARE(back.rows.size(), size_t(2));
      QCOMPARE(back.rows[0].record.Listname(), std::string("Smith, Jo"));
      QCOMPARE(back.rows[0].record.Text(ph::kMisc), std::string("a\rb"));
      QCOMPARE(back.rows[0].record.Text(ph::kCity), std::string("K\xF6ln"));
      QCOMPARE(back.rows[1].record.Listname(), std::string("Zed"));
    }
    // Root passes every mode: the kernel's own read-only tree then.
    const bool root = geteuid() == 0;
    if (!root) mkdir(files->File("shut").c_str(), 0555);
    mkdir(files->File("adir").c_str(), 0755);
    const std::pair<std::string, const char*> failures[] = {
        {files->File("gone/list.csv"), "No such file or directory"},
        {root ? "/sys/list.csv" : files->File("shut/list.csv"), "Permission denied"},
        {files->File("adir"), "Is a directory"}};
    for (const auto& [file, reason] : failures) {
      const QString full = QString::fromStdString(file);
      prompts->Clear();
      prompts->Answer(0);
      desktop->Answer(full);
      Press(w.get(), TPhoneListClass::kIdExport);
      QCOMPARE(Informed(),
               QStringList{QString("Export PhoneList|The PhoneList was not exported: %1 cannot be "
                                   "written (%2).")
                               .arg(full, reason)});
      QVERIFY(!QFile::exists(full + ".tmp"));
      QCOMPARE(QFile::exists(full), full.endsWith("adir"));
    }
    // Cancel in the format choice or the file dialog writes nothing.
    prompts->Clear();
    prompts->Answer(-1);
    Press(w.get(), TPhoneListClass::kIdExport);
    prompts->Answer(1);
    Press(w.get(), TPhoneListClass::kIdExport);
    QCOMPARE(Informed(), QStringList());
  }
};

QTEST_MAIN(PhoneListWindowTest)
#include "phone_list_window_test.moc"
