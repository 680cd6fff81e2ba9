// Dialing against a modem played by a pseudo-terminal: the master side
// answers each command line like a Hayes modem ("OK", or "BUSY" or "NO
// CARRIER" when told, or nothing), and records what it was sent. The
// dialer opens the terminal side as it opens COM1 to COM4, through Qt's
// serial port. The telephony path hands a tel: URL to the desktop.
#include "phonelist/phone_dialer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "phone_office.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_list_window.h"
#include "toolkit/live_windows.h"

namespace {

class HayesModem {
 public:
  enum class Mode { kOk, kBusy, kNoCarrier, kSilent };

  HayesModem() {
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    device_ = name;
    if (pipe(stop_) != 0) return;
    thread_ = std::thread([this] { Run(); });
  }
  ~HayesModem() {
    if (thread_.joinable()) {
      (void)!write(stop_[1], "x", 1);
      thread_.join();
    }
    for (int fd : {master_, slave_, stop_[0], stop_[1]})
      if (fd >= 0) close(fd);
  }
  const std::string& Device() const { return device_; }
  void SetMode(Mode mode) { mode_ = mode; }
  std::vector<std::string> Commands() {
    std::lock_guard<std::mutex> hold(mutex_);
    return commands_;
  }

 private:
  void Run() {
    std::string line;
    while (true) {
      pollfd fds[2] = {{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) return;
      char buffer[256];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) {
        // The terminal side was closed: wait for the next opening.
        poll(&fds[1], 1, 20);
        if (fds[1].revents) return;
        continue;
      }
      for (ssize_t i = 0; i < n; ++i) {
        line += buffer[i];
        if (buffer[i] != '\r') continue;
        {
          std::lock_guard<std::mutex> hold(mutex_);
          commands_.push_back(line);
        }
        // A modem echoes the command, then answers (the modes' order).
        static const char* const kAnswers[] = {"OK", "BUSY", "NO CARRIER"};
        if (mode_ != Mode::kSilent) {
          const std::string answer = line + "\r\n" + kAnswers[int(mode_.load())] + "\r\n";
          (void)!write(master_, answer.data(), answer.size());
        }
        line.clear();
      }
    }
  }

  int master_ = -1;
  int slave_ = -1;
  int stop_[2] = {-1, -1};
  std::string device_;
  std::atomic<Mode> mode_{Mode::kOk};
  std::mutex mutex_;
  std::vector<std::string> commands_;
  std::thread thread_;
};

}  // namespace

class PhoneDialerTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<HayesModem> modem;
  std::string savedDevices[kDialPorts];

 private slots:
  void init() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    modem = std::make_unique<HayesModem>();
    QVERIFY(!modem->Device().empty());
    for (int p = 1; p <= kDialPorts; ++p) savedDevices[p - 1] = DialPortDevice(p);
    SetDialPortDevice(1, modem->Device());
  }
  void cleanup() {
    for (int p = 1; p <= kDialPorts; ++p) SetDialPortDevice(p, savedDevices[p - 1]);
    modem.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void theModemIsSentTheFilteredNumber_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("longDistance");
    QTest::addColumn<QString>("sent");
    QTest::newRow("ten digits written with parentheses, blanks and dashes")
        << "(617) 555-1234" << false << "ATDT6175551234;H0\r";
    QTest::newRow("ten digits, long distance on")
        << "(617) 555-1234" << true << "ATDT16175551234;H0\r";
    QTest::newRow("seven digits never get the 1") << "555-1234" << true << "ATDT5551234;H0\r";
    QTest::newRow("commas are kept") << "9,,555-1234" << true << "ATDT9,,5551234;H0\r";
    QTest::newRow("eleven digits as they are")
        << "1-617-555-1234" << true << "ATDT16175551234;H0\r";
  }
  void theModemIsSentTheFilteredNumber() {
    QFETCH(QString, number);
    QFETCH(bool, longDistance);
    QFETCH(QString, sent);
    PhoneSettings().dial.addLongDistance = longDistance;
    QVERIFY(DialNumber("Acme", number.toStdString()));
    QCOMPARE(modem->Commands(), std::vector<std::string>{sent.toStdString()});
    QCOMPARE(Asked(*prompts), QStringList{"Status|Dialing..."});
  }

  void thePrefixAndSuffixFrameTheNumber() {
    PhoneSettings().dial.prefix = "ATX3DP";
    PhoneSettings().dial.suffix = "W";
    QVERIFY(DialNumber("Acme", "555-1234"));
    QCOMPARE(modem->Commands(), std::vector<std::string>{"ATX3DP5551234W;H0\r"});
  }

  void aModemThatRefusesTheCallIsReported_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("said");
    QTest::newRow("busy") << int(HayesModem::Mode::kBusy) << "DESKpost|The line is busy.";
    QTest::newRow("no carrier") << int(HayesModem::Mode::kNoCarrier)
                                << "DESKpost|The call did not go through (no carrier).";
    QTest::newRow("silent") << int(HayesModem::Mode::kSilent)
                            << "DESKpost|The modem on COM1 does not answer.";
  }
  void aModemThatRefusesTheCallIsReported() {
    QFETCH(int, mode);
    QFETCH(QString, said);
    modem->SetMode(HayesModem::Mode(mode));
    PhoneSettings().modemAnswerMs = 300;
    QVERIFY(!DialNumber("Acme", "555-1234"));
    QCOMPARE(Asked(*prompts), QStringList{said});
    QCOMPARE(modem->Commands().size(), size_t(1));
  }

  void aPortThatCannotBeOpenedIsNamed() {
    SetDialPortDevice(2, office->dir.File("no-such-tty"));
    PhoneSettings().dial.port = 2;
    QVERIFY(!DialNumber("Acme", "555-1234"));
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Unable to use COM2"});
    // A file that is no terminal is refused as well.
    if (FILE* f = fopen(office->dir.File("plain").c_str(), "w")) fclose(f);
    SetDialPortDevice(2, office->dir.File("plain"));
    prompts->Clear();
    QVERIFY(!DialNumber("Acme", "555-1234"));
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Unable to use COM2"});
  }

  void thePortIsThisProgramsAlone() {
    ModemPort first;
    QVERIFY(first.Open(modem->Device()));
    QVERIFY(!DialNumber("Acme", "555-1234"));
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Unable to use COM1"});
    first.Close();
    prompts->Clear();
    QVERIFY(DialNumber("Acme", "555-1234"));
  }

  void theTelephonyPathHandsOnTheNumberAsWritten() {
    PhoneSettings().dial.useTapi = true;
    QList<QUrl> opened;
    bool accept = true;
    PhoneSettings().openUrl = [&](const QUrl& url) {
      opened << url;
      return accept;
    };
    QVERIFY(DialNumber("Acme", "(617) 555-1234"));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].scheme(), QString("tel"));
    QCOMPARE(opened[0].path(), QString("(617) 555-1234"));
    QVERIFY(modem->Commands().empty());
    QCOMPARE(Asked(*prompts), QStringList());
    accept = false;
    QVERIFY(!DialNumber("Acme", "555-1234"));
    QCOMPARE(Asked(*prompts),
             QStringList{"DESKpost|No program on this desktop places telephone calls."});
  }

  void theWindowDialsTheSelectedEntrysFirstPhone() {
    office->AddEntry(0, "Acme", "617-555-1234");
    TPhoneListClass w(nullptr);
    w.OpenModeless();
    w.List()->Refresh(0, 0);
    Press(&w, TPhoneListClass::kIdDial);
    QCOMPARE(modem->Commands(), std::vector<std::string>{"ATDT16175551234;H0\r"});
  }

  void finalAnswersAreWholeLinesAfterTheEcho_data() {
    QTest::addColumn<QString>("received");
    QTest::addColumn<int>("answer");
    QTest::newRow("nothing") << "" << int(ModemAnswer::kSilent);
    QTest::newRow("echo only") << "ATDT5551234;H0\r\r\n" << int(ModemAnswer::kSilent);
    QTest::newRow("half an answer") << "ATDT5551234;H0\r\r\nO" << int(ModemAnswer::kSilent);
    QTest::newRow("ok") << "ATDT5551234;H0\r\r\nOK\r\n" << int(ModemAnswer::kOk);
    QTest::newRow("no dialtone") << "\r\nNO DIALTONE\r\n" << int(ModemAnswer::kNoDialtone);
    QTest::newRow("error") << "\r\nERROR\r\n" << int(ModemAnswer::kError);
  }
  void finalAnswersAreWholeLinesAfterTheEcho() {
    QFETCH(QString, received);
    QFETCH(int, answer);
    QCOMPARE(int(ModemFinalAnswer(received.toStdString())), answer);
  }
};

QTEST_MAIN(PhoneDialerTest)
#include "phone_dialer_test.moc"
