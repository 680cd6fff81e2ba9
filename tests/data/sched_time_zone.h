// A time zone set for the length of a test and the old one put back, so a
// schedule test stands on known wall-clock hours and daylight-saving days.
// Zones are given as POSIX rules, which need no zone files on the machine.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// New York's rules: summer time from the second Sunday of March (02:00
// becomes 03:00) to the first Sunday of November.
constexpr const char* kEasternZone = "EST5EDT,M3.2.0,M11.1.0";

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};
