// PHONELIST on a real office: the quick find, the list kept inside the
// current list, the detail pane, the buttons without a selection, Select
// List, Paste, deleting and copying the tagged entries, the context menu
// and the placement, driven by control id with real keys and clicks.
#include "phonelist/phone_list_window.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <memory>

#include "phone_office.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_list_view.h"
#include "toolkit/live_windows.h"
#include "toolkit/names/name_picker.h"

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

}  // namespace

class PhoneListWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
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

 private slots:
  void init() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
  }
  void cleanup() {
    w.reset();
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void quickFindPositionsOnTheFirstEntryThatStartsWithTheText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("firstRow");  // the last row past the list's end
    const char* rows[][4] = {{"empty", "", "(none)", "Adams"},
                             {"one letter, other case", "b", "Baker", "Baker"},
                             {"longer", "BAKER &", "Baker & Sons", "Baker & Sons"},
                             {"between entries", "Bz", "(none)", "Carter"},
                             {"late name", "Young", "Young, Sam", "Young, Sam"},
                             {"past the list's last", "Zz", "(none)", "Young, Sam"}};
    for (const auto& r : rows) QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << r[3];
  }
  void quickFindPositionsOnTheFirstEntryThatStartsWithTheText() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    QFETCH(QString, firstRow);
    AnnesListBetweenOthers();
    for (const char* n : {"Adams", "Baker", "Baker & Sons", "Carter", "Young, Sam"})
      office->AddEntry(office->anne, n, "555-0100");
    for (int i = 0; i < 16; ++i)
      office->AddEntry(office->anne, "M" + QString::asprintf("%02d", i).toStdString());
    Open();
    QCOMPARE(w->windowTitle(), QString("PhoneList (ANNE)"));
    Type(typed);
    QCOMPARE(QString::fromStdString(SelectedName(*w->List())), selected);
    const auto page = Page(*w->List());
    QVERIFY(!page.empty());
    const bool past = QString(QTest::currentDataTag()) == "past the list's last";
    QCOMPARE(QString::fromStdString(past ? page.back() : page.front()), firstRow);
    for (int i = 0; i < w->List()->RowsFilled(); ++i)
      QCOMPARE(w->List()->Entry(i).List(), office->anne);
    // Down moves into the list.
    QTest::keyClick(w->FindField(), Qt::Key_Down);
    QVERIFY(Box()->hasFocus());
  }

  void pagingNeverLeavesTheList() {
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
    office->AddEntry(0, "A");
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

  void deletingTheWholeLastPageShowsTheNewLastPage() {
    for (int i = 0; i < 40; ++i) office->AddEntry(0, K(i));
    office->AddEntry(office->bob, "After");
    Open();
    const int rows = w->List()->RowsPerPage();
    Box()->setFocus();
    QTest::keyClick(Box(), Qt::Key_End);
    QCOMPARE(Page(*w->List()).back(), std::string("K39"));
    ClickRow(0);
    ClickRow(rows - 1, Qt::ShiftModifier);
    QCOMPARE(w->List()->Tags().Count(), rows);
    prompts->Answer(true);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(office->Listnames(0).size(), size_t(40 - rows));
    const std::string last = K(39 - rows);
    QCOMPARE(Page(*w->List()).back(), last);
    QCOMPARE(w->List()->RowsFilled(), rows);
    QCOMPARE(w->List()->SelectedRow(), rows - 1);
    QCOMPARE(SelectedName(*w->List()), last);
  }

  void deleteNeedsTheRight() {
    office->AddEntry(0, "A");
    PhoneSettings().phoneDelete = false;
    Open();
    ClickRow(0);
    Press(w.get(), TPhoneListClass::kIdDelete);
    QCOMPARE(Asked(*prompts),
             QStringList{"DESKpost|You do not have access rights for this action."});
    QCOMPARE(office->Listnames(0).size(), size_t(1));
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
    PhoneRecord r;
    int32_t at = -1;
    QVERIFY(office->Find(office->anne, "A", "555-0100", &r));
    QCOMPARE(r.Text(ph::kCity), std::string("New"));
    QVERIFY(office->Find(office->anne, "B", "555-0100", &r, &at));
    QCOMPARE(r.Text(ph::kCity), std::string("New"));
    QCOMPARE(at, oldB);
    for (const char* n : {"C", "D"}) {
      QVERIFY(office->Find(office->anne, n, "555-0100", &r));
      QCOMPARE(r.Text(ph::kCity), std::string("Old"));
    }
    // Yes to All copies over every duplicate without asking again.
    prompts->Clear();
    ChooseName(*script, "ANNE");
    prompts->Answer(kIdYesToAll);
    Press(w.get(), TPhoneListClass::kIdCopy);
    QCOMPARE(Asked(*prompts).size(), 1);
    for (const char* n : {"C", "D"}) {
      QVERIFY(office->Find(office->anne, n, "555-0100", &r));
      QCOMPARE(r.Text(ph::kCity), std::string("New"));
    }
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
        {"no company", "", "Mary", "555-0100", "|Entry added.", "Mary"},
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

  void everyControlHasAName() {
    office->AddEntry(0, "A");
    Open();
    QCOMPARE(Unnamed(w.get()), QStringList());
    QCOMPARE(w->FindField()->accessibleName(), QString("Find:"));
  }
};

QTEST_MAIN(PhoneListWindowTest)
#include "phone_list_window_test.moc"
