// Hostile Internet mail through the gateway's delivery into an office: the
// input is one raw message, as a mail server would hand it over. The office
// (made as dpadmin makes one, with ANNE and BOB) must take it or refuse it
// without a crash, every file written must be one of the office's own
// (flag files beside the tables, e-mail, attachment and raw files in DPE),
// and dpadmin's check must find the office sound afterwards.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "fuzz/harness.h"
#include "fuzz/harness_support.h"
#include "gateway/incoming.h"
#include "tools/admin.h"

namespace {

// Standard output and error go nowhere while dpadmin's commands run.
class Silence {
 public:
  Silence() {
    std::fflush(stdout);
    std::fflush(stderr);
    out_ = ::dup(1);
    err_ = ::dup(2);
    int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::close(null);
    }
  }
  ~Silence() {
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(out_, 1);
    ::dup2(err_, 2);
    ::close(out_);
    ::close(err_);
  }

 private:
  int out_;
  int err_;
};

std::set<std::string> Tree(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ignored))
    names.insert(e.path().string().substr(dir.size()));
  return names;
}

}  // namespace

std::string RunMailInput(const uint8_t* data, size_t size) {
  const std::string& scratch = harness::BeginInput();
  const std::string dir = scratch + "office/";
  harness::Verdict verdict;
  {
    Silence quiet;
    if (RunCreate({dir}) != kExitOk) return "the office cannot be made";
  }
  SetDataDirectory(dir);
  {
    NameTable names;
    if (!NameOpen(names) || !NameAdd(names, "ANNE") || !NameAdd(names, "BOB"))
      return "the names cannot be added";
    NameClose(names);
  }
  harness::WriteFile(dir + "DPDESK.CFG",
                     reinterpret_cast<const uint8_t*>("DOMAIN=office.example\r\n"), 23);
  const std::set<std::string> before = Tree(scratch);
  SetMessageUser({kMailServerName, kMailServerNumber, false});
  DeliveryResult result;
  std::string error;
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  if (!DeliverIncoming(raw, "fuzz", "ANNE", false, &result, &error))
    verdict.Fault("the delivery failed: " + error);
  SetMessageUser(MessageUser());
  if (OpenTableCount() != 0) verdict.Fault("a table was left open");

  // Only the office's own kinds of file are new, and only where they belong.
  static const std::regex kOwn(
      R"(office/([0-9]+\.nam|DPE/([0-9]+\.DPE|[0-9a-f]{8}\.ATT|fuzz-[0-9]+\.RAW)))");
  for (const std::string& name : Tree(scratch))
    if (!before.count(name) && !std::regex_match(name, kOwn))
      verdict.Fault("a file outside the office's own: " + name);

  int checked;
  {
    Silence quiet;
    checked = RunCheck({dir});
  }
  if (checked != kExitOk)
    verdict.Fault("dpadmin check found problems (" + std::to_string(checked) + ")");
  SetDataDirectory("");
  return verdict.Text();
}
