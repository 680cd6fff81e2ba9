// The office-wide settings in DPDESK.CFG, in the data directory: the
// Internet domain of the office's e-mail addresses, the poll interval of
// every workstation and the office's time zone.
//
// Each line holds "KEY=value". Before it is read a line is cut to its first
// 80 characters and reduced to the characters with codes 33 to 122, so
// blanks, control characters and everything above 'z' vanish wherever they
// stand. "NETBIOS=1" (any case) is a leftover of old installations and is
// skipped. Keys are matched without regard to case; a later line wins over
// an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr char kOfficeConfigName[] = "DPDESK.CFG";
constexpr size_t kOfficeConfigLineLength = 80;
constexpr size_t kMaxDomainLength = 64;
// The poll interval in 2-second timer ticks when nothing sets it.
constexpr int32_t kDefaultPollTicks = 8;
// The largest accepted poll time in seconds, in DPDESK.CFG and DPDESK.INI.
constexpr int32_t kMaxPollSeconds = 100000;

struct OfficeConfig {
  // DOMAIN: at most 64 characters; empty when not set.
  std::string domain;
  // POLLTIME: 0 turns polling off; 2 to 100000 seconds give seconds / 2
  // ticks; other values leave it unset.
  std::optional<int32_t> pollTicks;
  // TIMEZONE: a zone of the time zone database ("America/New_York"); empty
  // when not set. See data/office/office_time_zone.h.
  std::string timeZone;
};

// Reads "<directory>DPDESK.CFG"; a missing or unreadable file is no error and
// gives an empty configuration.
OfficeConfig ReadOfficeConfig(const std::string& directory);
OfficeConfig ParseOfficeConfig(std::string_view text);

// The value of the workstation's own "PollTime" key in the INI file when it
// is present and a whole number of seconds.
std::optional<int32_t> ReadIniPollTime(const std::string& iniPath);

// The poll interval in timer ticks: the default, replaced by DPDESK.CFG's
// POLLTIME, replaced by the INI file's PollTime when that lies in 0 to
// 100000 (0 and 1 turn polling off). 0 means no polling.
int32_t PollIntervalTicks(const OfficeConfig& office, std::optional<int32_t> iniPollTime);
