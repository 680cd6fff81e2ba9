#include "data/phone/phone_dial.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "storage/records/name.h"

namespace nm = records::name;

namespace {

constexpr int kLongDistanceDigits = 10;

int ValidPort(int port) {
  return port >= 1 && port <= kDialPorts ? port : 1;
}

std::string& Device(int port) {
  static std::string devices[kDialPorts] = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
  return devices[ValidPort(port) - 1];
}

}  // namespace

DialSettings DialSettingsOf(const NameRecord& person, bool useTapi) {
  DialSettings s;
  uint8_t port = FieldByte(person.bytes, nm::kModemPort);
  s.port = port < kDialPorts ? port + 1 : 1;
  s.prefix = FieldText(person.bytes, nm::kModemPrefix);
  s.suffix = FieldText(person.bytes, nm::kModemSuffix);
  // Stored inverted: 0 means the box is ticked.
  s.addLongDistance = FieldByte(person.bytes, nm::kNoLongDistanceOne) == 0;
  s.useTapi = useTapi;
  return s;
}

std::string DialDigits(std::string_view number, bool addLongDistance) {
  std::string kept;
  for (char c : number)
    if (std::isdigit(static_cast<unsigned char>(c)) || c == ',') kept += c;
  // Ten digits are a long-distance number. Commas are pauses, not digits:
  // "9,,555-1234" is a local number behind the outside line, and a "1" in
  // front of its 9 would dial long distance from the switchboard.
  const bool tenDigits =
      kept.size() == size_t(kLongDistanceDigits) && kept.find(',') == std::string::npos;
  if (addLongDistance && tenDigits) kept.insert(0, "1");
  return kept;
}

std::string DialModemCommand(const DialSettings& s, std::string_view number) {
  return s.prefix + DialDigits(number, s.addLongDistance) + s.suffix + ";H0\r";
}

std::string DialPortName(int port) {
  return "COM" + std::to_string(ValidPort(port));
}

std::string DialPortSettings(int port) {
  return "com" + std::to_string(ValidPort(port)) + ":1200,n,8,1";
}

std::string DialUnableText(int port) {
  return "Unable to use " + DialPortName(port);
}

const std::string& DialPortDevice(int port) {
  return Device(port);
}

void SetDialPortDevice(int port, const std::string& device) {
  if (port >= 1 && port <= kDialPorts) Device(port) = device;
}

TerminalSerialPort::~TerminalSerialPort() {
  Close();
}

bool TerminalSerialPort::Open(const std::string& device) {
  Close();
  // Without O_NONBLOCK the open could wait for a modem's carrier.
  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios tio{};
  bool ok = ::isatty(fd) && ::ioctl(fd, TIOCEXCL) == 0 && ::tcflush(fd, TCIOFLUSH) == 0 &&
            ::tcgetattr(fd, &tio) == 0;
  if (ok) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B1200);
    ::cfsetospeed(&tio, B1200);
    tio.c_cflag &= ~tcflag_t(PARENB | CSTOPB | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
  }
  if (ok) {
    int flags = ::fcntl(fd, F_GETFL);
    ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
  }
  if (!ok) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool TerminalSerialPort::Write(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

void TerminalSerialPort::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

int DialModem(SerialPort& port, const DialSettings& settings, std::string_view number) {
  if (!port.Open(DialPortDevice(settings.port))) return 0;
  if (!port.Write(DialModemCommand(settings, number))) {
    port.Close();
    return 0;
  }
  return 1;
}
