#include "phonelist/phone_dialer.h"

#include <QElapsedTimer>
#include <QSerialPort>

#include "phonelist/phone_settings.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr int kBaud = 1200;
constexpr int kWriteWaitMs = 2000;

std::string Trimmed(std::string_view line) {
  size_t b = line.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::string();
  size_t e = line.find_last_not_of(" \t");
  return std::string(line.substr(b, e - b + 1));
}

}  // namespace

ModemAnswer ModemFinalAnswer(std::string_view received) {
  // Only whole lines: an answer still arriving is not yet an answer.
  size_t start = 0;
  while (true) {
    const size_t end = received.find_first_of("\r\n", start);
    if (end == std::string_view::npos) return ModemAnswer::kSilent;
    const std::string line = Trimmed(received.substr(start, end - start));
    start = end + 1;
    // Blank lines and the echo of the command are not answers.
    if (line.empty() || line.rfind("AT", 0) == 0 || line.rfind("at", 0) == 0) continue;
    if (line == "OK") return ModemAnswer::kOk;
    if (line == "BUSY") return ModemAnswer::kBusy;
    if (line == "NO CARRIER" || line == "NO ANSWER") return ModemAnswer::kNoCarrier;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE") return ModemAnswer::kNoDialtone;
    if (line == "ERROR") return ModemAnswer::kError;
    // Anything else ("CONNECT", a result code's number) is no final
    // answer of a voice dial: the modem is still talking.
  }
}

ModemPort::ModemPort() = default;

ModemPort::~ModemPort() {
  Close();
}

bool ModemPort::Open(const std::string& device) {
  Close();
  auto port = std::make_unique<QSerialPort>();
  port->setPortName(QString::fromStdString(device));
  // QSerialPort opens the device for this process alone (an exclusive
  // terminal and a lock file that other programs honour).
  if (!port->open(QIODevice::ReadWrite)) return false;
  port->clear(QSerialPort::AllDirections);
  if (!port->setBaudRate(kBaud) || !port->setParity(QSerialPort::NoParity) ||
      !port->setDataBits(QSerialPort::Data8) || !port->setStopBits(QSerialPort::OneStop) ||
      !port->setFlowControl(QSerialPort::NoFlowControl)) {
    port->close();
    return false;
  }
  port_ = std::move(port);
  received_.clear();
  return true;
}

bool ModemPort::IsOpen() const {
  return port_ && port_->isOpen();
}

bool ModemPort::Write(std::string_view bytes) {
  if (!IsOpen()) return false;
  if (port_->write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) return false;
  while (port_->bytesToWrite() > 0) {
    if (!port_->waitForBytesWritten(kWriteWaitMs)) return false;
  }
  return true;
}

ModemAnswer ModemPort::AwaitAnswer(int timeoutMs) {
  if (!IsOpen()) return ModemAnswer::kSilent;
  QElapsedTimer clock;
  clock.start();
  while (true) {
    received_ += port_->readAll().toStdString();
    const ModemAnswer answer = ModemFinalAnswer(received_);
    if (answer != ModemAnswer::kSilent) return answer;
    const qint64 left = timeoutMs - clock.elapsed();
    if (left <= 0) return ModemAnswer::kSilent;
    port_->waitForReadyRead(int(left));
  }
}

void ModemPort::Close() {
  if (!port_) return;
  port_->close();
  port_.reset();
}

QString ModemAnswerText(ModemAnswer answer, int port) {
  const QString name = QString::fromStdString(DialPortName(port));
  switch (answer) {
    case ModemAnswer::kOk:
      return "Dialing...";
    case ModemAnswer::kBusy:
      return "The line is busy.";
    case ModemAnswer::kNoCarrier:
      return "The call did not go through (no carrier).";
    case ModemAnswer::kNoDialtone:
      return QString("No dial tone on the line of the modem on %1.").arg(name);
    case ModemAnswer::kError:
      return QString("The modem on %1 refused the dial command.").arg(name);
    case ModemAnswer::kSilent:
      break;
  }
  return QString("The modem on %1 does not answer.").arg(name);
}

bool DialNumber(const std::string& listname, const std::string& number) {
  const PhoneListSettings& settings = PhoneSettings();
  const DialSettings& dial = settings.dial;
  if (dial.useTapi) {
    // The desktop's telephony: the number as written, for a softphone or
    // a paired mobile phone to place the call to the Listname.
    (void)listname;
    const QUrl url("tel:" + FromCp1252(number).trimmed(), QUrl::TolerantMode);
    if (settings.openUrl && settings.openUrl(url)) return true;
    Prompter().Inform("No program on this desktop places telephone calls.");
    return false;
  }
  ModemPort port;
  if (!port.Open(DialPortDevice(dial.port))) {
    Prompter().Inform(QString::fromStdString(DialUnableText(dial.port)));
    return false;
  }
  if (!port.Write(DialModemCommand(dial, number))) {
    Prompter().Inform(QString::fromStdString(DialUnableText(dial.port)));
    return false;
  }
  const ModemAnswer answer = port.AwaitAnswer(settings.modemAnswerMs);
  if (answer != ModemAnswer::kOk) {
    Prompter().Inform(ModemAnswerText(answer, dial.port));
    return false;
  }
  // The line is the user's until the box is closed; closing the port then
  // hangs the modem up.
  Prompter().Inform("Dialing...", "Status");
  port.Close();
  return true;
}
