// The About box and the help page: what About shows, where the help page is
// found in a build tree and after installation, and that F1 hands it to the
// desktop's viewer (injected here) or says why it cannot.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "shell/ui/about/about_box.h"
#include "shell/ui/about/help_page.h"
#include "tests/support/temp_dir.h"
#include "toolkit/control_id.h"
#include "toolkit/help.h"
#include "toolkit/scripted_desktop.h"
#include "toolkit/scripted_prompts.h"

namespace {

QString MakePage(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile page(path);
  page.open(QIODevice::WriteOnly);
  page.write("<html><body>DESKpost Help</body></html>\n");
  return QFileInfo(path).absoluteFilePath();
}

}  // namespace

class AboutHelpTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<TempDir> dir;
  QString root;
  // The desktop the help page is handed to: it records the URLs.
  std::unique_ptr<ScriptedDesktop> desktop;

 private slots:
  void init() {
    prompts = std::make_unique<ScriptedPrompts>();
    dir = std::make_unique<TempDir>();
    root = QString::fromStdString(dir->Path());
    desktop = std::make_unique<ScriptedDesktop>();
  }
  void cleanup() {
    desktop.reset();
    dir.reset();
    prompts.reset();
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

  void theHelpPageIsBesideTheProgramOrWhereTheInstallationPutsIt() {
    QString page = MakePage(root + "build/help/deskpost.html");
    QCOMPARE(HelpPagePath(root + "build"), page);
    QDir().mkpath(root + "usr/bin");
    page = MakePage(root + "usr/share/doc/deskpost/deskpost.html");
    QCOMPARE(HelpPagePath(root + "usr/bin"), page);
  }

  void f1OpensTheHelpPageInTheViewerOrSaysWhyNot() {
    const QString page = MakePage(root + "bin/help/deskpost.html");
    SetHelpPage(HelpPagePath(root + "bin"));
    QVERIFY(OpenHelp());
    QCOMPARE(desktop->OpenedUrls().size(), size_t(1));
    QCOMPARE(desktop->OpenedUrls()[0], QUrl::fromLocalFile(page));
    QVERIFY(prompts->Questions().empty());
    // A viewer that fails is reported.
    desktop->SetUrlsOpen(false);
    QVERIFY(!OpenHelp());
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, "Could not open the help page: " + page);
  }

  void aMissingHelpPageIsReported() {
    if (!HelpPagePath(root + "nothing").isEmpty()) QSKIP("DESKpost is installed on this machine");
    SetHelpPage(HelpPagePath(root + "nothing"));
    QVERIFY(!OpenHelp());
    QVERIFY(desktop->OpenedUrls().empty());
    QCOMPARE(prompts->Questions()[0].text, QString("The DESKpost help page could not be found."));
  }
};

QTEST_MAIN(AboutHelpTest)
#include "about_help_test.moc"
