// A start that fails: the program's own run (what main hands over to) with
// a missing INI file, one without Path, and a Path that is not an office.
// The box says which INI file was read and whether it or the directory
// exists, and the run ends with an exit code that is not 0.
#include <QTest>
#include <fstream>
#include <string>

#include "shell/ui/workstation_run.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "tests/support/temp_dir.h"
#include "toolkit/scripted_prompts.h"

class StartupExitTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    SetCheckHandler([](const char*, unsigned) {});
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
      std::ofstream(ini.toStdString()) << iniText.replace("%DIR%", path).toStdString();
    ScriptedPrompts prompts;
    const int exitCode = RunWorkstation(ini.toStdString());
    QVERIFY(exitCode != 0);
    QCOMPARE(exitCode, kExitStartFailed);
    const auto asked = prompts.Questions();
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].caption, QString("DESKpost"));
    QCOMPARE(asked[0].text, box.replace("%INI%", ini).replace("%DIR%", path));
  }
};

QTEST_MAIN(StartupExitTest)
#include "startup_exit_test.moc"
