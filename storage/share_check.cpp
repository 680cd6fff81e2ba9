#include "storage/share_check.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// Mount points in mountinfo write space, tab, newline and backslash as
// three octal digits after a backslash.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const bool escaped = field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
                         field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
                         field[i + 3] >= '0' && field[i + 3] <= '7';
    if (escaped) {
      out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// A line is: id parent major:minor root mount-point options [optional
// fields...] - fstype source super-options.
bool ParseLine(const std::string& line, MountEntry* entry) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string f; in >> f;) fields.push_back(f);
  size_t dash = 6;
  while (dash < fields.size() && fields[dash] != "-") ++dash;
  if (dash + 1 >= fields.size()) return false;
  entry->mountPoint = Unescape(fields[4]);
  entry->fileSystem = fields[dash + 1];
  entry->superOptions = dash + 3 < fields.size() ? fields[dash + 3] : "";
  return !entry->mountPoint.empty() && entry->mountPoint[0] == '/';
}

// Whether the mount point is the path or one of its parent folders.
bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

bool HasOption(const std::string& options, const std::string& wanted) {
  std::istringstream in(options);
  for (std::string option; std::getline(in, option, ',');)
    if (option == wanted) return true;
  return false;
}

}  // namespace

bool FindMount(const std::string& mountinfo, const std::string& path, MountEntry* found) {
  std::istringstream in(mountinfo);
  bool any = false;
  size_t bestLength = 0;
  for (std::string line; std::getline(in, line);) {
    MountEntry entry;
    if (!ParseLine(line, &entry) || !Holds(entry.mountPoint, path)) continue;
    // The deepest mount point wins; of equal ones the later, mounted on top.
    if (any && entry.mountPoint.size() < bestLength) continue;
    *found = entry;
    bestLength = entry.mountPoint.size();
    any = true;
  }
  return any;
}

std::string UnsafeMountReason(const MountEntry& mount) {
  if (mount.fileSystem == "cifs" && HasOption(mount.superOptions, "vers=1.0"))
    return "an SMB 1.0 (vers=1.0) CIFS mount does not enforce byte-range locks between "
           "computers; mount the share with vers=3.1.1";
  if ((mount.fileSystem == "nfs" || mount.fileSystem == "nfs4") &&
      (HasOption(mount.superOptions, "local_lock=all") ||
       HasOption(mount.superOptions, "local_lock=posix")))
    return "an NFS mount with nolock or local_lock keeps byte-range locks on this computer; "
           "mount the share without them";
  return "";
}

std::string UnsafeShareReason(const std::string& directory) {
  char resolved[PATH_MAX];
  const std::string path = ::realpath(directory.c_str(), resolved) ? resolved : directory;
  std::ifstream file("/proc/self/mountinfo");
  if (!file) return "";
  std::ostringstream text;
  text << file.rdbuf();
  MountEntry mount;
  if (!FindMount(text.str(), path, &mount)) return "";
  return UnsafeMountReason(mount);
}
