#include "data/office/office_time_zone.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "data/clock.h"
#include "data/office/office_config.h"
#include "storage/errors.h"

namespace {

// What TZ said when the process started: the machine's own zone is that,
// or /etc/localtime when TZ was not set.
struct MachineZone {
  bool captured = false;
  std::optional<std::string> tz;
};

MachineZone& Machine() {
  static MachineZone zone;
  if (!zone.captured) {
    zone.captured = true;
    if (const char* tz = std::getenv("TZ")) zone.tz = tz;
  }
  return zone;
}

void UseMachineZone() {
  const MachineZone& machine = Machine();
  if (machine.tz)
    setenv("TZ", machine.tz->c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

void UseZone(const std::string& name) {
  // The leading colon makes the C library read the zone's file rather than
  // take the name for a POSIX rule.
  setenv("TZ", (":" + name).c_str(), 1);
  tzset();
}

std::string ZoneDirectory() {
  const char* dir = std::getenv("TZDIR");
  return dir && *dir ? dir : "/usr/share/zoneinfo";
}

std::string MachineZoneName() {
  const MachineZone& machine = Machine();
  if (machine.tz && !machine.tz->empty())
    return machine.tz->front() == ':' ? machine.tz->substr(1) : *machine.tz;
  char target[4096];
  ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
  if (n > 0) {
    std::string link(target, size_t(n));
    size_t at = link.find("zoneinfo/");
    if (at != std::string::npos) return link.substr(at + 9);
  }
  return "UTC";
}

// The zone's offsets from UTC at four moments a quarter of a year apart,
// which tell a zone with daylight saving from one without.
struct Offsets {
  long at[4] = {};
  bool operator==(const Offsets&) const = default;
};

Offsets CurrentOffsets() {
  Offsets offsets;
  const std::time_t now = ClockNow();
  for (int i = 0; i < 4; ++i) {
    std::time_t t = now + std::time_t(i) * 91 * 86400;
    std::tm local{};
    if (localtime_r(&t, &local)) offsets.at[i] = local.tm_gmtoff;
  }
  return offsets;
}

}  // namespace

bool KnownTimeZone(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos) return false;
  for (char c : name) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '/' || c == '_' || c == '-' || c == '+';
    if (!plain) return false;
  }
  struct stat info {};
  return stat((ZoneDirectory() + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

OfficeZoneResult ApplyOfficeTimeZone(const std::string& directory) {
  OfficeZoneResult result;
  const std::string zone = ReadOfficeConfig(directory).timeZone;
  UseMachineZone();
  if (zone.empty()) return result;
  if (!KnownTimeZone(zone)) {
    SetAppError(kAppUnknownTimeZone, zone + " (TIMEZONE in " + kOfficeConfigName + ")");
    result.ok = false;
    return result;
  }
  const Offsets machine = CurrentOffsets();
  UseZone(zone);
  if (!(CurrentOffsets() == machine)) {
    result.warning = "This computer's clock keeps the time zone " + MachineZoneName() +
                     ", but the office keeps " + zone + " (TIMEZONE in " + kOfficeConfigName +
                     "). DESKpost shows and stores every date and time in the office's zone.";
  }
  return result;
}
