// Start-up refuses a data directory on a mount that takes byte-range locks
// without telling the other computers. The mount is found in a canned
// /proc/self/mountinfo text, as the kernel writes it.
#include "storage/share_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kMountinfo =
    "22 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "25 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "40 22 0:40 / /srv/smb3 rw,relatime shared:20 - cifs //server/office "
    "rw,vers=3.1.1,cache=strict,username=desk,uid=0,noforceuid,actimeo=0,soft\n"
    "41 22 0:41 / /srv/smb1 rw,relatime shared:21 - cifs //server/old "
    "rw,vers=1.0,cache=strict,username=desk,unix,posixpaths,serverino,actimeo=0\n"
    "42 22 0:42 / /srv/nfs rw,relatime shared:22 - nfs4 server:/office "
    "rw,vers=4.2,rsize=1048576,hard,proto=tcp,timeo=600,local_lock=none,addr=10.0.0.1\n"
    "43 22 0:43 / /srv/nfs3 rw,relatime shared:23 - nfs server:/office "
    "rw,vers=3,nolock,proto=tcp,local_lock=all,addr=10.0.0.1\n"
    "44 22 0:44 / /srv/with\\040space rw - cifs //server/sp rw,vers=1.0,unix\n"
    // The old mount at /srv/smb1/data is covered by a newer, safe one.
    "45 41 0:45 / /srv/smb1/data rw - cifs //server/x rw,vers=1.0,unix\n"
    "46 41 0:46 / /srv/smb1/data rw - cifs //server/y rw,vers=3.0\n"
    "garbage line\n";

// For each path: the mount found for it, its file system, and whether the
// check refuses it (SMB 1.0, and NFS whose locks stay on the client).
TEST(ShareCheck, TheDeepestMountHoldingThePathDecides) {
  const struct {
    const char* path;
    const char* mountPoint;
    const char* fileSystem;
    bool refused;
  } cases[] = {
      {"/srv/smb3/deskpost/", "/srv/smb3", "cifs", false},
      {"/srv/smb3", "/srv/smb3", "cifs", false},
      // A folder whose name only begins like a mount point is not on it.
      {"/srv/smb3x/deskpost", "/", "ext4", false},
      {"/home/office/deskpost", "/", "ext4", false},
      {"/srv/nfs/deskpost", "/srv/nfs", "nfs4", false},
      {"/srv/smb1/deskpost", "/srv/smb1", "cifs", true},
      {"/srv/with space/deskpost", "/srv/with space", "cifs", true},
      {"/srv/nfs3/deskpost", "/srv/nfs3", "nfs", true},
      // The later of two mounts on one point decides.
      {"/srv/smb1/data/deskpost", "/srv/smb1/data", "cifs", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    MountEntry mount;
    ASSERT_TRUE(FindMount(kMountinfo, c.path, &mount));
    EXPECT_EQ(mount.mountPoint, c.mountPoint);
    EXPECT_EQ(mount.fileSystem, c.fileSystem);
    EXPECT_EQ(UnsafeMountReason(mount) != "", c.refused);
  }
  MountEntry mount;
  EXPECT_FALSE(FindMount("", "/srv", &mount));
  EXPECT_FALSE(FindMount("1 2 3\n", "/srv", &mount));
  EXPECT_EQ(UnsafeShareReason("/tmp"), "");
}

}  // namespace
