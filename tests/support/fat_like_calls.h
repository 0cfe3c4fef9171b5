#pragma once
// A process that meets every file system as it meets FAT through FUSE (as SD cards are often
// mounted): no hard links, no rename without replacing, no unnamed files, no owners, no modes
// and no extended attributes. A seccomp filter makes the kernel refuse those calls with the
// errors FAT gives, so that the code for such file systems runs in the tests of any machine,
// inside a forked child (testsupport::runInChild) or a started program, without a mount and
// without a seam in the code under test.

namespace testsupport {

// From now on this process and its children get EPERM from link and linkat, EINVAL from
// renameat2, EOPNOTSUPP from an open with O_TMPFILE and from the extended-attribute calls, and
// ENOSYS from the chown and chmod calls. false where the system allows no such filter.
bool refuseCallsAsFat();

}  // namespace testsupport
