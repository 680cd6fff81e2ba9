#include "data/office/office_config.h"

#include <fstream>

#include "data/office/profile.h"
#include "data/setting_number.h"
#include "storage/text_compare.h"

namespace {

// The characters a line keeps: codes 33 ('!') to 122 ('z').
std::string Reduce(std::string_view line) {
  std::string kept;
  for (char c : line.substr(0, kOfficeConfigLineLength)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 33 && u <= 122) kept += c;
  }
  return kept;
}

void ApplyLine(std::string_view rawLine, OfficeConfig& config) {
  std::string line = Reduce(rawLine);
  if (StrICmp(line.c_str(), "NETBIOS=1") == 0) return;
  size_t eq = line.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == line.size()) return;
  std::string key = line.substr(0, eq);
  std::string value = line.substr(eq + 1);
  if (StrICmp(key.c_str(), "DOMAIN") == 0) {
    if (value.size() <= kMaxDomainLength) config.domain = value;
  } else if (StrICmp(key.c_str(), "POLLTIME") == 0) {
    std::optional<int64_t> seconds = SettingNumber(value);
    if (!seconds) return;
    if (*seconds == 0) {
      config.pollTicks = 0;
    } else if (*seconds >= 2 && *seconds <= kMaxPollSeconds) {
      config.pollTicks = int32_t(*seconds / 2);
    }
  } else if (StrICmp(key.c_str(), "TIMEZONE") == 0) {
    config.timeZone = value;
  }
}

}  // namespace

OfficeConfig ParseOfficeConfig(std::string_view text) {
  OfficeConfig config;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    ApplyLine(line, config);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return config;
}

OfficeConfig ReadOfficeConfig(const std::string& directory) {
  OfficeConfig config;
  std::ifstream in(directory + kOfficeConfigName, std::ios::binary);
  if (!in) return config;
  // Line by line, keeping only what a line may hold, so a file without line
  // breaks costs no more memory than a short one.
  std::string line;
  size_t total = 0;
  char c;
  while (total < kMaxProfileBytes && in.get(c)) {
    ++total;
    if (c == '\n') {
      ApplyLine(line, config);
      line.clear();
    } else if (line.size() < kOfficeConfigLineLength) {
      line += c;
    }
  }
  if (!line.empty()) ApplyLine(line, config);
  return config;
}

std::optional<int32_t> ReadIniPollTime(const std::string& iniPath) {
  std::optional<std::string> text = ProfileFind(iniPath, kMainSection, "PollTime");
  if (!text) return std::nullopt;
  std::optional<int64_t> seconds = SettingNumber(*text);
  if (!seconds || *seconds < INT32_MIN || *seconds > INT32_MAX) return std::nullopt;
  return int32_t(*seconds);
}

int32_t PollIntervalTicks(const OfficeConfig& office, std::optional<int32_t> iniPollTime) {
  int32_t ticks = office.pollTicks.value_or(kDefaultPollTicks);
  if (iniPollTime && *iniPollTime >= 0 && *iniPollTime <= kMaxPollSeconds) {
    ticks = *iniPollTime / 2;
  }
  return ticks;
}
