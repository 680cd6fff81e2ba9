#include "data/office/profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "storage/text_compare.h"

namespace {

// One line of the text: its content [begin, end) without the line ending,
// and where the next line starts.
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

enum class Kind { kBlank, kComment, kSection, kKey, kOther };

// What a line holds; for a section its name, for a key its name (where it
// starts in the text) and its value.
struct Parsed {
  Kind kind = Kind::kOther;
  std::string_view name;
  size_t nameBegin = 0;
  std::string_view value;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
    if (x != y) return false;
  }
  return true;
}

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t next = nl == std::string::npos ? text.size() : nl + 1;
    size_t end = nl == std::string::npos ? text.size() : nl;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

Parsed ParseLine(const std::string& text, const Line& line) {
  Parsed p;
  std::string_view content(text.data() + line.begin, line.end - line.begin);
  std::string_view s = Trim(content);
  if (s.empty()) {
    p.kind = Kind::kBlank;
  } else if (s.front() == ';') {
    p.kind = Kind::kComment;
  } else if (s.front() == '[') {
    size_t close = s.rfind(']');
    if (close != std::string_view::npos) {
      p.kind = Kind::kSection;
      p.name = Trim(s.substr(1, close - 1));
    }
  } else if (size_t eq = s.find('='); eq != std::string_view::npos) {
    std::string_view name = Trim(s.substr(0, eq));
    if (!name.empty()) {
      p.kind = Kind::kKey;
      p.name = name;
      p.nameBegin = size_t(name.data() - text.data());
      p.value = Trim(s.substr(eq + 1));
    }
  }
  return p;
}

// Where a key was found: its line, and the line after which a new key of
// the first matching section goes.
struct Location {
  std::vector<Line> lines;
  int keyLine = -1;
  int insertAfter = -1;
};

Location Locate(const std::string& text, std::string_view section, std::string_view key) {
  Location loc;
  loc.lines = SplitLines(text);
  bool inSection = false;
  bool firstSectionSeen = false;
  bool inFirstSection = false;
  for (size_t i = 0; i < loc.lines.size(); ++i) {
    Parsed p = ParseLine(text, loc.lines[i]);
    if (p.kind == Kind::kSection) {
      inSection = SameName(p.name, section);
      inFirstSection = inSection && !firstSectionSeen;
      if (inFirstSection) {
        firstSectionSeen = true;
        loc.insertAfter = int(i);
      }
      continue;
    }
    if (!inSection) continue;
    if (p.kind == Kind::kKey && SameName(p.name, key)) {
      loc.keyLine = int(i);
      return loc;
    }
    // A new key goes after the section's last setting, before the blank
    // lines and comments that usually introduce the next section.
    if (inFirstSection && (p.kind == Kind::kKey || p.kind == Kind::kOther)) {
      loc.insertAfter = int(i);
    }
  }
  return loc;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidSection(std::string_view s) {
  return !s.empty() && Trim(s) == s && !HasLineBreakOrNul(s) && s.find(']') == s.npos;
}

bool ValidKey(std::string_view k) {
  return !k.empty() && Trim(k) == k && !HasLineBreakOrNul(k) && k.find('=') == k.npos &&
         k.front() != ';' && k.front() != '[';
}

// The line ending the file already uses; a new file gets this platform's.
std::string_view LineEnding(const std::string& text) {
  size_t nl = text.find('\n');
  if (nl != std::string::npos && nl > 0 && text[nl - 1] == '\r') return "\r\n";
  return "\n";
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  // The value is text: it ends at a NUL byte, as the program reads it.
  return std::string(v.substr(0, v.find('\0')));
}

}  // namespace

std::optional<std::string> ProfileText::Get(std::string_view section, std::string_view key) const {
  Location loc = Locate(text_, section, key);
  if (loc.keyLine < 0) return std::nullopt;
  return Unquote(ParseLine(text_, loc.lines[size_t(loc.keyLine)]).value);
}

bool ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSection(section) || !ValidKey(key) || HasLineBreakOrNul(value)) return false;
  Location loc = Locate(text_, section, key);
  const std::string_view eol = LineEnding(text_);
  if (loc.keyLine >= 0) {
    // The key keeps the spelling it has in the file; only its value changes.
    const Line& line = loc.lines[size_t(loc.keyLine)];
    Parsed p = ParseLine(text_, line);
    std::string replacement = std::string(p.name) + "=" + std::string(value);
    text_.replace(p.nameBegin, line.end - p.nameBegin, replacement);
    return true;
  }
  std::string keyLine = std::string(key) + "=" + std::string(value);
  if (loc.insertAfter >= 0) {
    const Line& after = loc.lines[size_t(loc.insertAfter)];
    // The last line of a file may have no line ending of its own.
    const bool ended = text_[after.next - 1] == '\n';
    std::string insert;
    if (!ended) insert += eol;
    insert += keyLine;
    if (ended) insert += eol;
    text_.insert(after.next, insert);
    return true;
  }
  if (!text_.empty() && text_.back() != '\n') text_ += eol;
  text_ += "[" + std::string(section) + "]";
  text_ += eol;
  text_ += keyLine;
  text_ += eol;
  return true;
}

bool ProfileText::Remove(std::string_view section, std::string_view key) {
  Location loc = Locate(text_, section, key);
  if (loc.keyLine < 0) return false;
  const Line& line = loc.lines[size_t(loc.keyLine)];
  text_.erase(line.begin, line.next - line.begin);
  return true;
}

std::string ConfigDirectory() {
  // Relative values of XDG_CONFIG_HOME are to be ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* pw = getpwuid(getuid());
      home = pw && pw->pw_dir ? pw->pw_dir : "/";
    }
    base = std::string(home);
    if (base.empty() || base.back() != '/') base += '/';
    base += ".config";
  }
  if (base.back() != '/') base += '/';
  return base + "deskpost/";
}

std::string IniFilePath(std::string_view commandLine) {
  std::string_view name = Trim(commandLine);
  if (name.empty()) return ConfigDirectory() + kDefaultIniName;
  if (name.find('/') != std::string_view::npos) return std::string(name);
  return ConfigDirectory() + std::string(name);
}

std::optional<std::string> ReadProfileFile(const std::string& path, bool* missing) {
  if (missing) *missing = false;
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (missing) *missing = errno == ENOENT || errno == ENOTDIR;
    return std::nullopt;
  }
  std::optional<std::string> result;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= kMaxProfileBytes) {
    std::string text;
    char buffer[8192];
    bool ok = true;
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        break;
      }
      if (n == 0) break;
      text.append(buffer, size_t(n));
      // The file may have grown since it was measured.
      if (text.size() > kMaxProfileBytes) {
        ok = false;
        break;
      }
    }
    if (ok) result = std::move(text);
  }
  ::close(fd);
  return result;
}

std::optional<std::string> ProfileFind(const std::string& path, std::string_view section,
                                       std::string_view key) {
  std::optional<std::string> text = ReadProfileFile(path);
  if (!text) return std::nullopt;
  return ProfileText(std::move(*text)).Get(section, key);
}

std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue,
                             size_t maxLength) {
  std::optional<std::string> value = ProfileFind(path, section, key);
  std::string result = value ? std::move(*value) : std::string(defaultValue);
  if (result.size() > maxLength) result.resize(maxLength);
  return result;
}

int ParseProfileInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > (long long)INT_MAX + 1) value = (long long)INT_MAX + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

int ProfileGetInt(const std::string& path, std::string_view section, std::string_view key,
                  int defaultValue) {
  std::optional<std::string> value = ProfileFind(path, section, key);
  if (!value || value->empty()) return defaultValue;
  return ParseProfileInt(*value);
}

namespace {

namespace fs = std::filesystem;

// Holds an advisory lock on the profile's directory, so two programs of the
// same user rewriting the file at once do not lose each other's keys.
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& dir) {
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  int fd_ = -1;
};

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// Writes the text beside the target and renames it over the target.
bool ReplaceFile(const std::string& path, const std::string& text) {
  // A profile reached through a symbolic link is rewritten where it lives.
  std::string target = path;
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    if (ec) return false;
    target = real.string();
  }
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  const mode_t mode = exists ? (st.st_mode & 07777) : 0666;

  static unsigned counter = 0;
  std::string temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  if (ok && exists) ok = ::fchmod(fd, mode) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool EditProfile(const std::string& path, const std::function<bool(ProfileText&)>& edit) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  if (dir.empty()) dir = "/";
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return false;
  }
  DirectoryLock lock(dir);
  bool missing = false;
  std::optional<std::string> before = ReadProfileFile(path, &missing);
  // A file that is there but cannot be read is never replaced: its content
  // would be lost.
  if (!before && !missing) return false;
  ProfileText profile(before ? *before : std::string());
  if (!edit(profile)) return false;
  if (before && profile.Text() == *before) return true;
  return ReplaceFile(path, profile.Text());
}

}  // namespace

bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  return EditProfile(path, [&](ProfileText& profile) { return profile.Set(section, key, value); });
}

bool ProfileWriteInt(const std::string& path, std::string_view section, std::string_view key,
                     int value) {
  return ProfileWriteString(path, section, key, std::to_string(value));
}

bool ProfileDeleteKey(const std::string& path, std::string_view section, std::string_view key) {
  bool missing = false;
  if (!ReadProfileFile(path, &missing) && missing) return true;
  return EditProfile(path, [&](ProfileText& profile) {
    profile.Remove(section, key);
    return true;
  });
}
