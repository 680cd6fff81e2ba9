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

class PhoneDialerTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  std::unique_ptr<HayesModem> modem;
  std::string savedDevices[kDialPorts];

 private slots:
  void init() {
    MakeSet();
    modem = std::make_unique<HayesModem>();
    QVERIFY(!modem->Device().empty());
    for (int p = 1; p <= kDialPorts; ++p) savedDevices[p - 1] = DialPortDevice(p);
    SetDialPortDevice(1, modem->Device());
  }
  void cleanup() {
    for (int p = 1; p <= kDialPorts; ++p) SetDialPortDevice(p, savedDevices[p - 1]);
    modem.reset();
    DropSet();
  }

  // The settings reach the modem: the number's digits, the "1" of a long
  // distance call, the prefix and suffix around them.
  void theModemIsSentTheNumberAsTheSettingsSay() {
    const struct {
      const char* number;
      bool longDistance;
      const char *prefix, *suffix;  // nullptr: as the settings start
      const char* sent;
    } cases[] = {{"(617) 555-1234", false, nullptr, nullptr, "ATDT6175551234;H0\r"},
                 {"(617) 555-1234", true, nullptr, nullptr, "ATDT16175551234;H0\r"},
                 {"555-1234", true, "ATX3DP", "W", "ATX3DP5551234W;H0\r"}};
    for (const auto& c : cases) {
      prompts->Clear();
      PhoneSettings().dial.addLongDistance = c.longDistance;
      if (c.prefix) PhoneSettings().dial.prefix = c.prefix;
      if (c.suffix) PhoneSettings().dial.suffix = c.suffix;
      QVERIFY(DialNumber("Acme", c.number));
      QCOMPARE(modem->Commands().back(), std::string(c.sent));
      QCOMPARE(Asked(*prompts), QStringList{"Status|Dialing..."});
    }
    QCOMPARE(modem->Commands().size(), std::size(cases));
  }

  void aModemThatRefusesTheCallIsReported() {
    const struct {
      HayesModem::Mode mode;
      const char* said;
    } cases[] = {
        {HayesModem::Mode::kBusy, "DESKpost|The line is busy."},
        {HayesModem::Mode::kNoCarrier, "DESKpost|The call did not go through (no carrier)."},
        {HayesModem::Mode::kSilent, "DESKpost|The modem on COM1 does not answer."}};
    PhoneSettings().modemAnswerMs = 300;
    for (const auto& c : cases) {
      prompts->Clear();
      modem->SetMode(c.mode);
      QVERIFY(!DialNumber("Acme", "555-1234"));
      QCOMPARE(Asked(*prompts), QStringList{c.said});
    }
    QCOMPARE(modem->Commands().size(), std::size(cases));
  }

  // Missing, no terminal, or held by another opening: the port is this
  // program's alone.
  void aPortThatCannotBeOpenedIsNamed() {
    PhoneSettings().dial.port = 2;
    if (FILE* f = fopen(office->dir.File("plain").c_str(), "w")) fclose(f);
    ModemPort held;
    QVERIFY(held.Open(modem->Device()));
    for (const std::string& device :
         {office->dir.File("no-such-tty"), office->dir.File("plain"), modem->Device()}) {
      SetDialPortDevice(2, device);
      prompts->Clear();
      QVERIFY(!DialNumber("Acme", "555-1234"));
      QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Unable to use COM2"});
    }
    held.Close();
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

  void finalAnswersAreWholeLinesAfterTheEcho() {
    const std::pair<const char*, ModemAnswer> cases[] = {
        {"", ModemAnswer::kSilent},
        {"ATDT5551234;H0\r\r\n", ModemAnswer::kSilent},   // the echo alone
        {"ATDT5551234;H0\r\r\nO", ModemAnswer::kSilent},  // half an answer
        {"ATDT5551234;H0\r\r\nOK\r\n", ModemAnswer::kOk},
        {"\r\nNO DIALTONE\r\n", ModemAnswer::kNoDialtone},
        {"\r\nERROR\r\n", ModemAnswer::kError}};
    for (const auto& [received, answer] : cases)
      QVERIFY2(ModemFinalAnswer(received) == answer, received);
  }
};

QTEST_MAIN(PhoneDialerTest)
#include "phone_dialer_test.moc"
