// Dialing a phone list number: which characters are dialled, the modem's
// command line, and the serial port it goes out on.
//
// The telephony interface takes the number as written and needs none of
// this; a modem gets the prefix, the filtered number, the suffix and
// ";H0\r" on port COM1 to COM4 at 1200 baud, no parity, 8 data bits and 1
// stop bit. Here the four ports are device paths, /dev/ttyS0 to
// /dev/ttyS3 unless the workstation sets others.
#pragma once

#include <string>
#include <string_view>

#include "data/office/dpname.h"

constexpr int kDialPorts = 4;

// The user's dialing settings, from the options.
struct DialSettings {
  int port = 1;                 // 1 to 4
  std::string prefix = "ATDT";  // at most 20 characters
  std::string suffix;           // at most 20 characters
  bool addLongDistance = true;  // "Automatically add 1 when dialing long distance"
  bool useTapi = false;         // the INI file's UseTAPI
};

// The settings kept in a person's name record; a port byte outside 0 to 3
// (a damaged record) dials on COM1.
DialSettings DialSettingsOf(const NameRecord& person, bool useTapi);

// Only the digits and commas (the modem's pause) of the number; a
// long-distance "1" in front of exactly ten of them when asked.
std::string DialDigits(std::string_view number, bool addLongDistance);
// What the modem is sent: prefix, filtered number, suffix, ";H0\r".
std::string DialModemCommand(const DialSettings& settings, std::string_view number);
// "COM1" to "COM4", and the port's settings "com1:1200,n,8,1".
std::string DialPortName(int port);
std::string DialPortSettings(int port);
// "Unable to use COM1": what the user is told when the port will not open.
std::string DialUnableText(int port);

// The device path behind COM1 to COM4 (ports outside 1 to 4 use COM1's).
const std::string& DialPortDevice(int port);
void SetDialPortDevice(int port, const std::string& device);

// The serial port as the dialer uses it; tests put their own in its place.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the device for this process alone, discards anything pending in
  // either direction and sets 1200 baud, no parity, 8 data bits, 1 stop bit.
  virtual bool Open(const std::string& device) = 0;
  virtual bool Write(std::string_view bytes) = 0;
  // Closing hangs the modem up.
  virtual void Close() = 0;
};

// A terminal device of this system.
class TerminalSerialPort : public SerialPort {
 public:
  ~TerminalSerialPort() override;
  bool Open(const std::string& device) override;
  bool Write(std::string_view bytes) override;
  void Close() override;

 private:
  int fd_ = -1;
};

// Opens the settings' port and sends the dial command; the port stays open
// (the "Dialing..." box closes it). 0 when the port cannot be opened or
// written, with the port closed again; the user is then shown
// DialUnableText.
int DialModem(SerialPort& port, const DialSettings& settings, std::string_view number);
