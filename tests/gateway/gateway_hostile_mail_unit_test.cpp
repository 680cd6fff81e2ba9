// Hostile mail through the gateway's delivery, replayed by the fuzz
// target's own harness (fuzz/harness_mail.cpp): its seeds and saved
// findings, and the worst cases made here, too big to keep as files.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/harness.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Deliver(const std::string& input) {
  return RunMailInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(GatewayHostileMail, EverySeedAndFindingIsDeliveredAndTheOfficeStaysSound) {
  int inputs = 0;
  for (const char* folder : {"corpus/mail", "regressions/mail"}) {
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(
             std::string(DESKPOST_FUZZ_DIR "/") + folder, ignored)) {
      EXPECT_EQ(Deliver(ReadWholeFile(e.path())), "") << e.path();
      ++inputs;
    }
  }
  EXPECT_GE(inputs, 5);
}

TEST(GatewayHostileMail, TheWorstCasesAreDeliveredAndTheOfficeStaysSound) {
  std::string many =
      "From: m@x\r\nTo: anne@office.example\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n";
  for (int i = 0; i < 10000; ++i)
    many += "--m\r\nContent-Disposition: attachment; filename=\"../../../x" + std::to_string(i) +
            "\"\r\n\r\nQ\r\n";
  many += "--m--\r\n";
  std::string deep = "From: n@x\r\nTo: anne@office.example\r\nMIME-Version: 1.0\r\n";
  for (int i = 0; i < 5000; ++i)
    deep += "Content-Type: multipart/mixed; boundary=\"n" + std::to_string(i) + "\"\r\n\r\n--n" +
            std::to_string(i) + "\r\n";
  std::string huge = "From: h@x\r\nTo: anne@office.example\r\nX-Big: " + std::string(2000000, 'h') +
                     "\r\nSubject: " + std::string(100000, '\xE9') + "\r\n\r\nb\r\n";
  std::string nul(5000, '\0');
  const std::pair<const char*, std::string> cases[] = {
      {"10,000 attachments", many},
      {"5,000 nested multiparts", deep},
      {"huge headers", huge},
      {"only NUL bytes", nul},
      {"nothing", ""},
  };
  for (const auto& [what, input] : cases) EXPECT_EQ(Deliver(input), "") << what;
}

}  // namespace
