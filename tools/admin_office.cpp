#include "tools/admin_office.h"

#include <algorithm>
#include <cstdio>

#include "data/cp1252.h"
#include "data/local_time.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "storage/errors.h"
#include "storage/records/name.h"
#include "tools/admin.h"

namespace nm = records::name;

OfficeSession::~OfficeSession() {
  if (open_) CloseDataDirectory();
  SetMessageUser(MessageUser());
}

bool OfficeSession::Open(const std::string& directory) {
  const std::string dir = WithSlash(directory);
  if (!RequireDataDirectory(dir)) return false;
  if (!OpenDataDirectory(dir)) {
    ComplainAppError(directory + ": cannot open the data directory");
    return false;
  }
  open_ = true;
  return true;
}

bool OfficeSession::ActAs(const std::string& name, NameRecord* out) {
  std::string fileName;
  if (!FileText(name, "user", &fileName)) return false;
  NameRecord record;
  if (!NameLookup(fileName, &record)) {
    // Only a name that is not there is "no such person"; a name table that
    // cannot be opened or read (a read-only share, a missing index) says so.
    ComplainAppError(AppErrorCode() == kAppNotFound ? "no such person: " + name
                                                    : "cannot look up " + name);
    return false;
  }
  if (record.IsGroup()) {
    Complain(name + " is a group; messages are sent and read by people");
    return false;
  }
  SetMessageUser({record.Name(), record.Number(), FieldByte(record.bytes, nm::kSendLog) != 0});
  if (out) *out = record;
  return true;
}

bool FileText(const std::string& utf8, const std::string& what, std::string* out) {
  std::string bad;
  if (Utf8ToCp1252(utf8, out, &bad)) return true;
  Complain(what + ": the character " + bad + " cannot be stored (the files hold Windows-1252)");
  return false;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

std::string WithStoredLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i] == '\n' ? '\r' : text[i]);
  }
  return out;
}

std::string ShownTime(int32_t seconds) {
  if (seconds == 0) return "-";
  // A value the C library cannot take apart comes back with month 0.
  LocalTime local = ToLocal(seconds);
  if (local.month == 0) return std::to_string(seconds);
  return LocalDateText(local) + " " + ClockText(local.hour, local.minute, ClockForm::kList);
}

std::string Shown(const std::string& fileText) {
  return Cp1252ToUtf8(fileText);
}

void ComplainAppError(const std::string& what) {
  Complain(what + ": " + Shown(FormatAppError()));
}

bool ParsedOptions::Has(const std::string& flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool ParsedOptions::Given(const std::string& option) const {
  return std::any_of(values.begin(), values.end(),
                     [&option](const auto& v) { return v.first == option; });
}

std::string ParsedOptions::Value(const std::string& option, const std::string& def) const {
  std::string found = def;
  for (const auto& v : values)
    if (v.first == option) found = v.second;
  return found;
}

std::vector<std::string> ParsedOptions::All(const std::string& option) const {
  std::vector<std::string> found;
  for (const auto& v : values)
    if (v.first == option) found.push_back(v.second);
  return found;
}

bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                  const std::vector<std::string>& flags, ParsedOptions* out) {
  auto known = [](const std::vector<std::string>& list, const std::string& a) {
    return std::find(list.begin(), list.end(), a) != list.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      if (known(valued, a)) {
        if (i + 1 >= args.size()) {
          Complain(a + " needs a value");
          return false;
        }
        out->values.emplace_back(a, args[++i]);
      } else if (known(flags, a)) {
        out->flags.push_back(a);
      } else {
        Complain("unknown option: " + a);
        return false;
      }
    } else {
      out->positional.push_back(a);
    }
  }
  return true;
}
