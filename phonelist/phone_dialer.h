// Dialing a phone list number. With the telephony setting (UseTAPI) the
// number goes, as written, to the desktop as a tel: URL, for a softphone or
// a paired mobile phone to place the call. Otherwise the modem on the
// user's port (COM1 to COM4, each a configurable device) is opened for this
// program alone at 1200 baud, no parity, 8 data bits, 1 stop bit, sent the
// dial command, and given a few seconds to answer; while "Dialing..." is up
// the line is the user's, and closing the box closes the port, which hangs
// the modem up.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

class QSerialPort;
class QWidget;

// The modem's answer to the dial command.
enum class ModemAnswer {
  kOk,          // "OK": the number is being dialled
  kBusy,        // "BUSY"
  kNoCarrier,   // "NO CARRIER"
  kNoDialtone,  // "NO DIALTONE"
  kError,       // "ERROR" or another final answer
  kSilent,      // nothing within the time-out
};

// The final answer among the lines the modem sent (echoed commands and
// blank lines aside); kSilent when there is none yet.
ModemAnswer ModemFinalAnswer(std::string_view received);

// The modem's serial port, through Qt's serial port.
class ModemPort {
 public:
  ModemPort();
  ~ModemPort();
  // Opens the device exclusively, discards what is pending both ways and
  // applies 1200 baud, no parity, 8 data bits, 1 stop bit.
  bool Open(const std::string& device);
  bool Write(std::string_view bytes);
  // Reads until a final answer or until timeoutMs have passed.
  ModemAnswer AwaitAnswer(int timeoutMs);
  void Close();
  bool IsOpen() const;

 private:
  std::unique_ptr<QSerialPort> port_;
  std::string received_;
};

// What the user is told for an answer other than OK.
QString ModemAnswerText(ModemAnswer answer, int port);

// Dials the number for the Listname with the user's settings: the tel: URL
// or the modem, with every message through the prompts. True when the call
// was handed on or dialled.
bool DialNumber(const std::string& listname, const std::string& number);
