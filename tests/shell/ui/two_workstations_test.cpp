// Two workstations on one data directory, as real processes: ANNE's and
// BOB's deskpost run side by side, a message for BOB is sent by the admin
// tool as Send stores it, and BOB's workstation starts its alert within one
// poll while ANNE's stays quiet. Both programs end on SIGTERM as on a
// close, writing their settings. The programs tell what they do through
// DESKPOST_TRACE.
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <fstream>

#include "data/office/profile.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kPollMs = 2000;  // PollTime=2: every 2-second tick polls
constexpr int kMarginMs = 1500;

}  // namespace

class TwoWorkstationsTest : public QObject {
  Q_OBJECT

 private:
  TempDir office;
  TempDir config;

  int Admin(const QStringList& args) {
    QProcess admin;
    admin.start(DPADMIN_PATH, args);
    if (!admin.waitForFinished(30000)) return -1;
    if (admin.exitCode() != 0) qWarning() << admin.readAllStandardError();
    return admin.exitCode();
  }

  std::string Ini(const std::string& name) { return config.File(name + ".INI"); }
  std::string TracePath(const std::string& name) { return config.File(name + ".trace"); }
  std::string Trace(const std::string& name) { return ReadWholeFile(TracePath(name)); }

  void Workstation(QProcess& process, const std::string& name) {
    std::ofstream(Ini(name)) << "[DESKpost]\nPath=" << office.Path() << "\nName=" << name
                             << "\nInitMode=1\nPollTime=2\n";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DESKPOST_TRACE", QString::fromStdString(TracePath(name)));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(DESKPOST_PATH, {QString::fromStdString(Ini(name))});
  }

  bool WaitForTrace(const std::string& name, const std::string& line, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
      if (Trace(name).find(line) != std::string::npos) return true;
      QTest::qWait(50);
    }
    return false;
  }

 private slots:
  void aMessageForBobStartsBobsAlertWithinOnePoll() {
    const QString dir = QString::fromStdString(office.Path());
    QCOMPARE(Admin({"create", dir, "--force"}), 0);
    QCOMPARE(Admin({"add-name", dir, "ANNE", "BOB"}), 0);

    QProcess anne, bob;
    Workstation(anne, "ANNE");
    Workstation(bob, "BOB");
    QVERIFY(WaitForTrace("ANNE", "started ANNE", 60000));
    QVERIFY(WaitForTrace("BOB", "started BOB", 60000));
    // Nothing has come yet: no alert on either side.
    QTest::qWait(kPollMs);
    QVERIFY(Trace("BOB").find("alert start") == std::string::npos);

    QCOMPARE(Admin({"send", dir, "--from", "ANNE", "--to", "BOB", "--text", "Lunch at noon?"}), 0);
    // The flag is raised once the message is stored: BOB's next tick, at
    // most one poll away, sees it. The margin is for a loaded machine.
    QElapsedTimer stored;
    stored.start();
    QVERIFY2(WaitForTrace("BOB", "alert start level 1", kPollMs + kMarginMs), Trace("BOB").c_str());
    QVERIFY(stored.elapsed() <= kPollMs + kMarginMs);
    QVERIFY(Trace("ANNE").find("alert start") == std::string::npos);

    // SIGTERM is a close: settings written, exit code 0, nothing left
    // running.
    for (QProcess* p : {&anne, &bob}) {
      p->terminate();
      if (!p->waitForFinished(30000)) {
        p->kill();
        p->waitForFinished();
        QFAIL("a workstation did not end on SIGTERM");
      }
      QCOMPARE(p->exitStatus(), QProcess::NormalExit);
      QCOMPARE(p->exitCode(), 0);
    }
    QVERIFY(WaitForTrace("BOB", "exit 0", 1000));
    QVERIFY(ProfileFind(Ini("BOB"), "DESKpost", "InitX").has_value());
    QVERIFY(ProfileFind(Ini("ANNE"), "ToolBar", "TakeButton").has_value());
  }
};

QTEST_MAIN(TwoWorkstationsTest)
#include "two_workstations_test.moc"
