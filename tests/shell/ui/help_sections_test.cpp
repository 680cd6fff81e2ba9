// The About box, and the help page: where it is found in a build tree and
// after installation, and that F1 hands it to the desktop's viewer (which
// records the address here) or says why it cannot. F1 in each of the
// program's windows opens the page at that window's section: the gallery's
// windows (the ones the help page pictures) and the main window. Every
// section named exists in the page, and every picture the page shows is
// beside it in the build tree.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "shell/ui/about/about_box.h"
#include "shell/ui/about/help_page.h"
#include "shell/ui/command_ids.h"
#include "tests/shell/ui/workstation_test.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/help.h"
#include "toolkit/scripted_desktop.h"
#include "tools/gallery/gallery_scheduler.h"
#include "tools/gallery/gallery_shell.h"
#include "tools/gallery/message_list_windows.h"
#include "tools/gallery/messaging_windows.h"
#include "tools/gallery/name_windows.h"
#include "tools/gallery/phone_windows.h"

namespace {

// The section F1 opens, with the gallery's windows (by their picture
// names) that open it. The call timer, a window of the note's own, does
// not answer F1 yet.
const std::map<QString, std::vector<std::string>> kSections = {
    {"take-message", {"take-message", "take-memo"}},
    {"note", {"note-return-call"}},
    {"folders", {"folder", "folder-and-name", "new-folder", "edit-folder"}},
    {"cc-lists", {"cc-list"}},
    {"email",
     {"take-email", "email-cc", "email-cc-list", "email-signature", "email-options", "email-from",
      "select-email-to"}},
    {"attachments", {"attachments"}},
    {"reply", {"reply-email", "memo-reply"}},
    {"copy-message", {"copy-email", "copy"}},
    {"message-list", {"message-list"}},
    {"view-message", {"view-message", "view-memo", "send-log-view"}},
    {"send-log", {"send-log-list"}},
    {"message-search", {"search"}},
    {"name-picker", {"name-picker", "members", "add-name"}},
    {"passwords", {"get-password", "master-password", "phone-password", "user-password"}},
    {"about", {"about"}},
    {"options", {"options-general", "options-message", "options-phonelist", "options-scheduler"}},
    {"scheduler-day", {"schedule-day"}},
    {"week-view", {"schedule-week"}},
    {"month-view", {"schedule-month"}},
    {"todo", {"todo-day", "todo-week", "todo-month"}},
    {"schedule-entry", {"edit-schedule", "schedule-note"}},
    {"repeating-entries", {"repeat-daily", "repeat-weekly", "repeat-monthly", "repeat-yearly"}},
    {"go-to-date", {"go-to-date"}},
    {"schedule-search", {"search-schedule"}},
    {"schedule-copy", {"copy-schedule"}},
    {"alarm", {"alarm"}},
    {"todo-item", {"edit-todo"}},
    {"phone-list", {"phone-list"}},
    {"phone-entry", {"phone-entry"}},
    {"phone-categories", {"phone-categories", "phone-add-category"}},
    {"phone-search", {"phone-search", "phone-search-results"}},
    {"phone-files", {"phone-import-summary"}},
    {"phone-reports", {"phone-report-setup"}},
    {"phone-labels", {"phone-label-setup"}},
};

// Sections the page has beside those of the windows: what the main window,
// printing and setting up the office need.
const char* const kOtherSections[] = {"main-window", "floating-toolbar", "alerts",
                                      "printing",    "starting",         "office-setup"};

QString PageText(const QString& path) {
  QFile page(path);
  return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

QString MakePage(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile page(path);
  page.open(QIODevice::WriteOnly);
  page.write("<html><body>DESKpost Help</body></html>\n");
  return QFileInfo(path).absoluteFilePath();
}

QSet<QString> Matches(const QString& text, const char* pattern) {
  QSet<QString> found;
  for (const auto& m : QRegularExpression(pattern).globalMatch(text)) found.insert(m.captured(1));
  return found;
}

}  // namespace

class HelpSectionsTest : public WorkstationTest {
  Q_OBJECT

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
    Begin(false);
    desktop = std::make_unique<ScriptedDesktop>();
    // The page as the build tree holds it beside the program.
    page = HelpPagePath(DESKPOST_PROGRAM_DIR);
    QVERIFY2(!page.isEmpty(), "no help page beside the program");
    SetHelpPage(page);
  }
  void cleanup() {
    SetHelpPage(QString());
    desktop.reset();
    End();
  }

  void aboutShowsTheVersionAndTheDataDirectory() {
    TAboutClass about(nullptr, "/srv/office/");
    about.OpenModeless();
    QCOMPARE(about.windowTitle(), QString("About DESKpost"));
    auto* version = FindControlAs<QLabel>(&about, kIdAboutVersion);
    QVERIFY(version);
    QVERIFY(QRegularExpression("^Version \\d+\\.\\d+").match(version->text()).hasMatch());
    QCOMPARE(FindControlAs<QLabel>(&about, kIdAboutDirectory)->text(), QString("/srv/office/"));
    QTest::mouseClick(FindControl(&about, kIdOk), Qt::LeftButton);
    QVERIFY(!about.IsOpen());
  }

  void theHelpPageIsFoundBesideTheProgramOrWhereTheInstallationPutsIt() {
    TempDir dir;
    const QString root = QString::fromStdString(dir.Path());
    const QString built = MakePage(root + "build/help/deskpost.html");
    QCOMPARE(HelpPagePath(root + "build"), built);
    QDir().mkpath(root + "usr/bin");
    QCOMPARE(HelpPagePath(root + "usr/bin"),
             MakePage(root + "usr/share/doc/deskpost/deskpost.html"));
    // The viewer is handed the page; one that fails is reported.
    SetHelpPage(built);
    QVERIFY(OpenHelp());
    QCOMPARE(desktop->OpenedUrls().back(), QUrl::fromLocalFile(built));
    QVERIFY(prompts->Questions().empty());
    desktop->SetUrlsOpen(false);
    QVERIFY(!OpenHelp());
    QCOMPARE(prompts->Questions().back().text, "Could not open the help page: " + built);
    // Nowhere to be found, unless DESKpost is installed on this machine.
    if (!HelpPagePath(root + "nothing").isEmpty()) QSKIP("DESKpost is installed on this machine");
    const size_t handed = desktop->OpenedUrls().size();
    SetHelpPage(HelpPagePath(root + "nothing"));
    QVERIFY(!OpenHelp());
    QCOMPARE(desktop->OpenedUrls().size(), handed);
    QCOMPARE(prompts->Questions().back().text,
             QString("The DESKpost help page could not be found."));
  }

  void thePageHasEverySectionAndItsPicturesAreBesideIt() {
    const QString text = PageText(page);
    const QSet<QString> ids = Matches(text, "id=\"([^\"]+)\"");
    std::set<QString> wanted(std::begin(kOtherSections), std::end(kOtherSections));
    for (const auto& [anchor, windows] : kSections) wanted.insert(anchor);
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
    for (const auto& some : {names.Windows(), messaging.Windows(), lists.Windows(), shell.Windows(),
                             scheduler.Windows()})
      windows.insert(windows.end(), some.begin(), some.end());
    std::shared_ptr<void> phone = AddPhoneWindows(windows);

    std::set<std::string> pressed;
    for (auto& [name, window] : windows) {
      for (const auto& [section, names] : kSections) {  // the prompts have none of their own
        if (std::find(names.begin(), names.end(), name) == names.end()) continue;
        pressed.insert(name);
        const QUrl opened = PressF1(window);
        QVERIFY2(opened == HelpUrl(section),
                 qPrintable(QString("F1 in %1 opened \"%2\"").arg(name, opened.toString())));
      }
    }
    for (const auto& [section, names] : kSections)
      for (const std::string& name : names)
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
    QVERIFY(Start("InitMode=0"));
    QCOMPARE(PressF1(win.get()), HelpUrl("main-window"));
    win->Command(kCmdToolbar);
    QVERIFY(win->Floating());
    QCOMPARE(PressF1(win.get()), HelpUrl("main-window"));
  }
};

QTEST_MAIN(HelpSectionsTest)
#include "help_sections_test.moc"
