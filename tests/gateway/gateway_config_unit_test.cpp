// The gateway's configuration: settings with their defaults, and the
// password file that nobody but its owner may read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gateway/gateway_config.h"
#include "gateway/outgoing.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace {

class GatewayConfigTest : public ::testing::Test {
 protected:
  std::string Base(const std::string& passwordFile) {
    return "# the office\ndata_directory = " + dir.File("office") +
           "\nstate_directory = " + dir.File("state") + "\npassword_file = " + passwordFile +
           "\nsmtp_host = mail.example\nsmtp_user = office\nin_host = mail.example\n"
           "in_user = office\npostmaster = BOB\n";
  }
  int Load(const std::string& text, GatewayConfig* config, std::string* error) {
    WriteWholeFile(dir.File("gw.conf"), text, 0600);
    return LoadGatewayConfig(dir.File("gw.conf"), config, error);
  }
  TempDir dir;
};

TEST_F(GatewayConfigTest, SettingsTakeTheirDefaultsAndPasswordsComeFromTheirOwnFile) {
  ::mkdir(dir.File("office").c_str(), 0755);
  WriteWholeFile(dir.File("pw"), "smtp = s3cret\nincoming = other\n", 0600);
  GatewayConfig c;
  std::string error;
  ASSERT_EQ(Load(Base(dir.File("pw")), &c, &error), 1) << error;
  EXPECT_EQ(c.dataDirectory, dir.File("office") + "/");
  EXPECT_EQ(c.smtp.port, 587);
  EXPECT_EQ(c.smtp.tls, TlsMode::kStartTls);
  EXPECT_EQ(c.smtp.password, "s3cret");
  EXPECT_EQ(c.in.port, 143);
  EXPECT_EQ(c.in.password, "other");
  EXPECT_EQ(c.mailbox, "INBOX");
  EXPECT_EQ(c.pollSeconds, 60);
  EXPECT_EQ(c.giveUpHours, 120);

  ASSERT_EQ(Load(Base(dir.File("pw")) +
                     "smtp_tls = tls\nincoming = pop3\nin_tls = tls\ngive_up_hours = 8760\n",
                 &c, &error),
            1)
      << error;
  EXPECT_EQ(c.smtp.port, 465);
  EXPECT_EQ(c.in.port, 995);
  EXPECT_EQ(c.giveUpHours, 8760);
}

TEST_F(GatewayConfigTest, WrongSettingsAndReadablePasswordFilesAreRefused) {
  ::mkdir(dir.File("office").c_str(), 0755);
  WriteWholeFile(dir.File("pw"), "smtp = s3cret\n", 0600);
  WriteWholeFile(dir.File("open"), "smtp = s3cret\n", 0640);
  WriteWholeFile(dir.File("office/pw"), "smtp = s3cret\n", 0600);
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {Base(dir.File("open")), "group or others may read it (mode 0640); chmod 600 it"},
      {Base(dir.File("office/pw")), "must not lie in the data directory"},
      {Base(dir.File("missing")), "cannot be read"},
      {Base(dir.File("pw")) + "smtp_password = x\n", "passwords go in the password file"},
      {Base(dir.File("pw")) + "smtp_port = 0\n", "smtp_port is a number"},
      {Base(dir.File("pw")) + "smtp_tls = maybe\n", "smtp_tls is starttls, tls or none"},
      {Base(dir.File("pw")) + "colour = blue\n", "unknown setting colour"},
      {Base(dir.File("pw")) + "give_up_hours = 0\n", "give_up_hours is a number from 1 to 8760"},
      {Base(dir.File("pw")) + "give_up_hours = 8761\n", "give_up_hours is a number"},
      {Base(dir.File("pw")) + "just words\n", "not a \"key = value\" line"},
      {"smtp_host = x\n", "data_directory is missing"},
  };
  for (const Case& c : cases) {
    GatewayConfig config;
    std::string error;
    EXPECT_EQ(Load(c.text, &config, &error), 0) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.find("s3cret"), std::string::npos);
  }
}

TEST(GatewayRetry, TheWaitDoublesWithEveryAttemptUpToSixHours) {
  const int64_t cases[][3] = {
      {60, 1, 60},     {60, 2, 120},     {60, 3, 240}, {60, 9, 15360},
      {60, 10, 21600}, {60, 500, 21600}, {0, 5, 0},    {86400, 1, 21600},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RetryWait(int(c[0]), int(c[1])), c[2]) << c[0] << " " << c[1];
}

}  // namespace
