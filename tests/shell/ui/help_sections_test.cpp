// F1 in each of the program's windows opens the help page at that window's
// section: the gallery's windows (the ones the help page pictures) and the
// main window, each pressed F1 in, with the desktop recording the address.
// Every section named exists in the page, and every picture the page shows
// is beside it in the build tree.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "shell/ui/about/help_page.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/session.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/base_dialog.h"
#include "toolkit/help.h"
#include "toolkit/scripted_desktop.h"
#include "toolkit/scripted_prompts.h"
#include "tools/gallery/gallery_scheduler.h"
#include "tools/gallery/gallery_shell.h"
#include "tools/gallery/message_list_windows.h"
#include "tools/gallery/messaging_windows.h"
#include "tools/gallery/name_windows.h"
#include "tools/gallery/phone_windows.h"

namespace {

// The gallery's windows by their picture names, and the section F1 opens.
const std::map<std::string, QString> kSections = {
    {"take-message", "take-message"},
    {"take-memo", "take-message"},
    {"note-return-call", "note"},
    // The call timer, a window of the note's own, does not answer F1 yet.
    {"folder", "folders"},
    {"folder-and-name", "folders"},
    {"new-folder", "folders"},
    {"edit-folder", "folders"},
    {"cc-list", "cc-lists"},
    {"take-email", "email"},
    {"email-cc", "email"},
    {"email-cc-list", "email"},
    {"email-signature", "email"},
    {"email-options", "email"},
    {"email-from", "email"},
    {"select-email-to", "email"},
    {"attachments", "attachments"},
    {"reply-email", "reply"},
    {"memo-reply", "reply"},
    {"copy-email", "copy-message"},
    {"copy", "copy-message"},
    {"message-list", "message-list"},
    {"view-message", "view-message"},
    {"view-memo", "view-message"},
    {"send-log-list", "send-log"},
    {"send-log-view", "view-message"},
    {"search", "message-search"},
    {"name-picker", "name-picker"},
    {"members", "name-picker"},
    {"add-name", "name-picker"},
    {"get-password", "passwords"},
    {"master-password", "passwords"},
    {"phone-password", "passwords"},
    {"user-password", "passwords"},
    {"about", "about"},
    {"options-general", "options"},
    {"options-message", "options"},
    {"options-phonelist", "options"},
    {"options-scheduler", "options"},
    {"schedule-day", "scheduler-day"},
    {"schedule-week", "week-view"},
    {"schedule-month", "month-view"},
    {"todo-day", "todo"},
    {"todo-week", "todo"},
    {"todo-month", "todo"},
    {"edit-schedule", "schedule-entry"},
    {"schedule-note", "schedule-entry"},
    {"repeat-daily", "repeating-entries"},
    {"repeat-weekly", "repeating-entries"},
    {"repeat-monthly", "repeating-entries"},
    {"repeat-yearly", "repeating-entries"},
    {"go-to-date", "go-to-date"},
    {"search-schedule", "schedule-search"},
    {"copy-schedule", "schedule-copy"},
    {"alarm", "alarm"},
    {"edit-todo", "todo-item"},
    {"phone-list", "phone-list"},
    {"phone-entry", "phone-entry"},
    {"phone-categories", "phone-categories"},
    {"phone-add-category", "phone-categories"},
    {"phone-search", "phone-search"},
    {"phone-search-results", "phone-search"},
    {"phone-import-summary", "phone-files"},
    {"phone-report-setup", "phone-reports"},
    {"phone-label-setup", "phone-labels"},
};

// Sections the page has beside those of the windows: what the main window,
// printing and setting up the office need.
const char* const kOtherSections[] = {"main-window", "floating-toolbar", "alerts", "printing",
                                      "starting", "office-setup"};

QString PageText(const QString& path) {
  QFile page(path);
  return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

QSet<QString> Matches(const QString& text, const char* pattern) {
  QSet<QString> found;
  for (const auto& m : QRegularExpression(pattern).globalMatch(text)) found.insert(m.captured(1));
  return found;
}

}  // namespace

class HelpSectionsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<ScriptedDesktop> desktop;
  QString page;

  // Shows window, makes it the active one and presses F1 in it; the
  // address the desktop was handed, empty when none.
  QUrl PressF1(QWidget* window) {
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) return QUrl("not-active:");
    const size_t before = desktop->OpenedUrls().size();
    QTest::keyClick(window, Qt::Key_F1);
    window->hide();
    return desktop->OpenedUrls().size() == before + 1 ? desktop->OpenedUrls().back() : QUrl();
  }

 private slots:
  void init() {
    prompts = std::make_unique<ScriptedPrompts>();
    desktop = std::make_unique<ScriptedDesktop>();
    // The page as the build tree holds it beside the program.
    page = HelpPagePath(DESKPOST_PROGRAM_DIR);
    QVERIFY2(!page.isEmpty(), "no help page beside the program");
    SetHelpPage(page);
  }
  void cleanup() {
    SetHelpPage(QString());
    desktop.reset();
    prompts.reset();
  }

  void thePageHasEverySectionAndItsPicturesAreBesideIt() {
    const QString text = PageText(page);
    const QSet<QString> ids = Matches(text, "id=\"([^\"]+)\"");
    std::set<QString> wanted(std::begin(kOtherSections), std::end(kOtherSections));
    for (const auto& [window, anchor] : kSections) wanted.insert(anchor);
    for (const QString& anchor : wanted)
      QVERIFY2(ids.contains(anchor), qPrintable("no section #" + anchor));
    // Every link inside the page leads to a section of it.
    for (const QString& link : Matches(text, "href=\"#([^\"]+)\""))
      QVERIFY2(ids.contains(link), qPrintable("a link to the missing section #" + link));
    const QDir folder = QFileInfo(page).dir();
    const QSet<QString> pictures = Matches(text, "<img src=\"([^\"]+)\"");
    QVERIFY(pictures.size() >= 40);
    for (const QString& picture : pictures)
      QVERIFY2(QFileInfo(folder.filePath(picture)).isFile(), qPrintable(picture + " is missing"));
  }

  void f1InEachWindowOpensItsSection() {
    GalleryNameWindows names;
    GalleryMessagingWindows messaging;
    GalleryListWindows lists;
    ShellGallery shell;
    GalleryScheduler scheduler;
    std::vector<std::pair<const char*, QWidget*>> windows;
    for (auto& w : names.Windows()) windows.push_back(w);
    for (auto& w : messaging.Windows()) windows.push_back(w);
    for (auto& w : lists.Windows()) windows.push_back(w);
    for (auto& w : shell.Windows()) windows.push_back(w);
    for (auto& w : scheduler.Windows()) windows.push_back(w);
    std::shared_ptr<void> phone = AddPhoneWindows(windows);

    std::set<std::string> pressed;
    for (auto& [name, window] : windows) {
      const auto section = kSections.find(name);
      if (section == kSections.end()) continue;  // the prompts: no section of their own
      pressed.insert(name);
      const QUrl opened = PressF1(window);
      QVERIFY2(opened == HelpUrl(section->second),
               qPrintable(QString("F1 in %1 opened \"%2\"").arg(name, opened.toString())));
    }
    for (const auto& [name, anchor] : kSections)
      QVERIFY2(pressed.count(name), ("the gallery has no window " + name).c_str());
    QVERIFY(prompts->Questions().empty());
    names.Close();
    messaging.Close();
    lists.Close();
    scheduler.Close();
  }

  void aDialogWithoutASectionOpensItsOwnersOrThePagesTop() {
    TBaseDialog owner(nullptr, "Owner");
    SetHelpAnchor(&owner, "phone-list");
    TBaseDialog inner(&owner, "Inner");
    inner.OpenModeless();
    QCOMPARE(PressF1(&inner), HelpUrl("phone-list"));
    inner.CloseWith(0);
    TBaseDialog alone(nullptr, "Alone");
    alone.OpenModeless();
    QCOMPARE(PressF1(&alone), QUrl::fromLocalFile(page));
    // Without a page F1 says so.
    SetHelpPage(QString());
    alone.show();
    QCOMPARE(PressF1(&alone), QUrl());
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("The DESKpost help page could not be found."));
    alone.CloseWith(0);
  }

  void f1InTheMainWindowOpensItsSectionInBothModes() {
    Office office;
    QVERIFY(office.Make());
    office.WriteIni("InitMode=0");
    DpWinHooks hooks;
    Session session(office.IniPath(), hooks);
    QVERIFY(session.Start());
    RecordingSound sound;
    std::unique_ptr<DpWin> win = session.OpenWindow(sound);
    win->Start();
    QCOMPARE(PressF1(win.get()), HelpUrl("main-window"));
    win->Command(kCmdToolbar);
    QVERIFY(win->Floating());
    QCOMPARE(PressF1(win.get()), HelpUrl("main-window"));
    win.reset();
  }
};

QTEST_MAIN(HelpSectionsTest)
#include "help_sections_test.moc"
