// Whether the mount holding the data directory keeps workstations apart.
// Some mounts take byte-range locks without error yet never tell the other
// computers: a CIFS mount with SMB 1.0 (its unix extensions keep open-file
// locks on the client) and an NFS mount whose locks stay local (nolock,
// local_lock=all or posix). Two workstations could then both "hold" one
// record, so start-up refuses such a directory.
#pragma once

#include <string>

// One line of /proc/self/mountinfo, the parts the check needs.
struct MountEntry {
  std::string mountPoint;
  std::string fileSystem;    // "cifs", "nfs4", "ext4", ...
  std::string superOptions;  // the file system's own options ("vers=1.0,...")
};

// The mount that holds the absolute path in a mountinfo text: the last
// mount whose mount point is the path or one of its parent folders (a later
// mount over the same point hides the earlier one). False when none does or
// the text has no usable line.
bool FindMount(const std::string& mountinfo, const std::string& path, MountEntry* found);

// Why the mount cannot keep workstations apart, or "" when it can.
std::string UnsafeMountReason(const MountEntry& mount);

// For the directory (followed through symbolic links): "" when the mount
// holding it is safe or cannot be told from /proc/self/mountinfo, else the
// reason.
std::string UnsafeShareReason(const std::string& directory);
