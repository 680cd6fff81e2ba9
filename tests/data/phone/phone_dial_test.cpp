// Dialing: the digits a number dials as, the long-distance "1", the modem
// command, the port names, and a real terminal device receiving the
// command at 1200 baud.
#include "data/phone/phone_dial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace nm = records::name;

namespace {

TEST(DialTest, NumbersDialAsTheirDigitsAndCommasWithTheOneOnlyForTenDigits) {
  const struct {
    const char* number;
    bool longDistance;
    const char* digits;
  } cases[] = {
      {"(555) 123-4567", false, "5551234567"},
      {"(555) 123-4567", true, "15551234567"},
      {"123-4567", true, "1234567"},  // seven digits never get the "1"
      {"9,555-1234", false, "9,5551234"},
      // Ten characters but eight digits: a local call behind the outside line.
      {"9,,555-1234", true, "9,,5551234"},
      {"(555) 123-4567,,", true, "5551234567,,"},
      {"555 123 4567 x12", true, "555123456712"},
  };
  for (const auto& c : cases) EXPECT_EQ(DialDigits(c.number, c.longDistance), c.digits) << c.number;
}

TEST(DialTest, ModemCommandIsPrefixNumberSuffixAndHangUp) {
  DialSettings s;
  s.prefix = "ATDT";
  s.suffix = "W";
  s.addLongDistance = true;
  EXPECT_EQ(DialModemCommand(s, "(555) 123-4567"), "ATDT15551234567W;H0\r");
  s.addLongDistance = false;
  EXPECT_EQ(DialModemCommand(s, "(555) 123-4567"), "ATDT5551234567W;H0\r");
}

TEST(DialTest, PortNamesAndSettingsFollowThePortNumber) {
  EXPECT_EQ(DialPortName(3), "COM3");
  EXPECT_EQ(DialPortSettings(3), "com3:1200,n,8,1");
  EXPECT_EQ(DialUnableText(2), "Unable to use COM2");
  EXPECT_EQ(DialPortDevice(1), "/dev/ttyS0");
  EXPECT_EQ(DialPortDevice(4), "/dev/ttyS3");
}

TEST(DialTest, SettingsComeFromTheNameRecordWithTheLongDistanceFlagInverted) {
  NameRecord person;
  SetFieldByte(person.bytes, nm::kModemPort, 2);
  SetFieldText(person.bytes, nm::kModemPrefix, "ATDP");
  SetFieldText(person.bytes, nm::kModemSuffix, ",,");
  SetFieldByte(person.bytes, nm::kNoLongDistanceOne, 0);
  DialSettings s = DialSettingsOf(person, false);
  EXPECT_EQ(s.port, 3);
  EXPECT_EQ(s.prefix, "ATDP");
  EXPECT_EQ(s.suffix, ",,");
  EXPECT_TRUE(s.addLongDistance);
  SetFieldByte(person.bytes, nm::kNoLongDistanceOne, 1);
  SetFieldByte(person.bytes, nm::kModemPort, 200);  // damaged
  s = DialSettingsOf(person, false);
  EXPECT_FALSE(s.addLongDistance);
  EXPECT_EQ(s.port, 1);
}

TEST(DialTest, ModemReceivesTheCommandOnTheConfiguredDevice) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::string device = ptsname(master);
  const std::string saved = DialPortDevice(2);
  SetDialPortDevice(2, device);

  DialSettings s;
  s.port = 2;
  TerminalSerialPort port;
  ASSERT_EQ(DialModem(port, s, "(555) 123-4567"), 1);
  // The settings are 1200 baud, 8 data bits, no parity, 1 stop bit (the
  // master side of a pseudo-terminal reads the line's settings).
  termios tio{};
  ASSERT_EQ(tcgetattr(master, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), speed_t(B1200));
  EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
  // The port is this process's alone (root may open it all the same).
  if (geteuid() != 0) {
    int other = open(device.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_LT(other, 0);
    if (other >= 0) close(other);
  }
  char buffer[64] = {};
  ssize_t n = read(master, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n > 0 ? size_t(n) : 0), "ATDT15551234567;H0\r");
  port.Close();
  close(master);

  SetDialPortDevice(2, "/nonexistent/ttyS9");
  TerminalSerialPort missing;
  EXPECT_EQ(DialModem(missing, s, "1234567"), 0);
  SetDialPortDevice(2, saved);
}

}  // namespace
