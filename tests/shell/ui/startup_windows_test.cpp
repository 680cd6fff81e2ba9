// The start-up's windows: NAME_ERROR for a user missing from the name list,
// whose "&Run Setup..." starts dpsetup with the INI file's name, and the
// main menu's Run Setup question. And a start that fails: the program's own
// run (what main hands over to) with a missing INI file, one without Path,
// and a Path that is not an office; the box says which INI file was read
// and whether it or the directory exists, and the run ends with an exit
// code that is not 0.
#include "shell/ui/startup/startup_windows.h"

#include <QFile>
#include <QTest>
#include <memory>

#include "data/office/dpmain.h"
#include "data/office/empty_office.h"
#include "shell/ui/startup/run_setup.h"
#include "shell/ui/workstation_run.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"
#include "toolkit/scripted_prompts.h"

namespace {

struct Started {
  QString program;
  QStringList arguments;
};

}  // namespace

class StartupWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<TempDir> office;
  std::unique_ptr<TempDir> programDir;
  std::vector<Started> started;
  std::unique_ptr<StartupWindows> windows;
  QByteArray savedPath;

  ProgramStarter Recorder() {
    return [this](const QString& program, const QStringList& arguments) {
      started.push_back({program, arguments});
      return true;
    };
  }

 private slots:
  void init() {
    prompts = std::make_unique<ScriptedPrompts>();
    office = std::make_unique<TempDir>();
    programDir = std::make_unique<TempDir>();
    started.clear();
    SetCheckHandler([](const char*, unsigned) {});
    // An office directory as the installation makes it.
    QVERIFY(CreateEmptyOffice(office->Path()));
    // dpsetup beside the program; nothing of that name on PATH.
    WriteWholeFile(programDir->File("dpsetup"), "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(programDir->File("dpsetup")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    savedPath = qgetenv("PATH");
    qputenv("PATH", programDir->File("nothing").c_str());
    windows =
        std::make_unique<StartupWindows>(Recorder(), QString::fromStdString(programDir->Path()));
    ClearAppError();
  }
  void cleanup() {
    windows.reset();
    qputenv("PATH", savedPath);
    if (CurrentUser().started) StopUser();
    CloseDataDirectory();
    SetCheckHandler(nullptr);
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    programDir.reset();
    office.reset();
    prompts.reset();
  }

  void anUnknownUserGetsTheNameErrorDialogWhoseRunSetupStartsDpsetup() {
    QCOMPARE(StartUser(office->Path(), "Nobody", "/home/desk/DPDESK.INI"), 0);
    auto questions = prompts->Questions();
    QCOMPARE(questions.size(), size_t(1));
    QCOMPARE(questions[0].kind, QString("Option"));
    QCOMPARE(questions[0].caption, QString("Error"));
    QCOMPARE(questions[0].text,
             QString("Could not find the name: Nobody in the DESKpost name list. Select 'Run "
                     "Setup...' to add the name to the list and restart DESKpost."));
    // OK just closes it; "&Run Setup..." starts dpsetup with the INI file.
    QVERIFY(started.empty());
    QVERIFY(!DataDirectoryOpen());
    prompts->Answer(1);
    QCOMPARE(StartUser(office->Path(), "Nobody", "/home/desk/DPDESK.INI"), 0);
    QCOMPARE(started.size(), size_t(1));
    QCOMPARE(started[0].program, QString::fromStdString(programDir->File("dpsetup")));
    QCOMPARE(started[0].arguments, QStringList{"/home/desk/DPDESK.INI"});
  }

  void aMissingSetupProgramIsReportedNotIgnored() {
    QFile::remove(QString::fromStdString(programDir->File("dpsetup")));
    prompts->Answer(1);
    QCOMPARE(StartUser(office->Path(), "Nobody", "/home/desk/DPDESK.INI"), 0);
    QVERIFY(started.empty());
    auto questions = prompts->Questions();
    QCOMPARE(questions.back().kind, QString("Inform"));
    QCOMPARE(questions.back().text, QString("Could not start the Setup program."));
  }

  void runSetupFromTheMenuAsksFirst() {
    QVERIFY(!ConfirmRunSetup());
    auto questions = prompts->Questions();
    QCOMPARE(questions[0].kind, QString("YesNo"));
    QCOMPARE(questions[0].caption, QString("DESKpost"));
    QCOMPARE(questions[0].text,
             QString("This will close DESKpost and run the Setup program, continue?"));
    prompts->Answer(1);
    QVERIFY(ConfirmRunSetup());
    QVERIFY(StartSetupProgram("/etc/deskpost/second.ini"));
    QCOMPARE(started.size(), size_t(1));
    QCOMPARE(started[0].arguments, QStringList{"/etc/deskpost/second.ini"});
  }

  void withoutStartupWindowsTheDataLayerReportsToStandardError() {
    windows.reset();
    QCOMPARE(StartUser(office->Path(), "Nobody", "x.ini"), 0);
    QVERIFY(prompts->Questions().empty());
    QVERIFY(started.empty());
  }

  void aFailedStartTellsWhichIniFileAndEndsWithAnExitCode_data() {
    QTest::addColumn<QString>("iniText");  // empty: no INI file at all
    QTest::addColumn<QString>("box");      // %INI% and %DIR% stand for the paths
    QTest::newRow("no INI file") << ""
                                 << "Unable to read Path in DPDESK.INI (%INI% does not exist)";
    QTest::newRow("no Path") << "[DESKpost]\nName=ANNE\n"
                             << "Unable to read Path in DPDESK.INI (%INI%)";
    QTest::newRow("no Name") << "[DESKpost]\nPath=%DIR%\n"
                             << "Unable to read Name in DPDESK.INI (%INI%)";
    QTest::newRow("a Path that does not exist")
        << "[DESKpost]\nPath=%DIR%nowhere\nName=ANNE\n"
        << "Could not find DESKpost in this location: %DIR%nowhere/ (the directory does not "
           "exist; Path in %INI%)";
    QTest::newRow("a Path that is no office") << "[DESKpost]\nPath=%DIR%\nName=ANNE\n"
                                              << "Could not find DESKpost in this location: "
                                                 "%DIR% (Path in %INI%)";
  }
  void aFailedStartTellsWhichIniFileAndEndsWithAnExitCode() {
    QFETCH(QString, iniText);
    QFETCH(QString, box);
    TempDir config, dir;
    const QString ini = QString::fromStdString(config.File("FRONT.INI"));
    const QString path = QString::fromStdString(dir.Path());
    if (!iniText.isEmpty())
      WriteWholeFile(ini.toStdString(), iniText.replace("%DIR%", path).toStdString());
    QCOMPARE(RunWorkstation(ini.toStdString()), kExitStartFailed);
    const auto asked = prompts->Questions();
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].caption, QString("DESKpost"));
    QCOMPARE(asked[0].text, box.replace("%INI%", ini).replace("%DIR%", path));
  }
};

QTEST_MAIN(StartupWindowsTest)
#include "startup_windows_test.moc"
