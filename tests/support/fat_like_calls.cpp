#include "tests/support/fat_like_calls.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <utility>
#include <vector>

namespace testsupport {
namespace {

#if defined(__x86_64__)
constexpr unsigned kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kArch = 0;
#endif

// Each call refused, with the error FAT through FUSE answers it with.
const std::vector<std::pair<long, int>>& refusedCalls() {
    static const std::vector<std::pair<long, int>> calls = {
#ifdef __NR_link
        {__NR_link, EPERM},
        {__NR_chown, ENOSYS},
        {__NR_lchown, ENOSYS},
        {__NR_chmod, ENOSYS},
#endif
        {__NR_linkat, EPERM},          {__NR_renameat2, EINVAL},     {__NR_fchown, ENOSYS},
        {__NR_fchownat, ENOSYS},       {__NR_fchmod, ENOSYS},        {__NR_fchmodat, ENOSYS},
        {__NR_setxattr, EOPNOTSUPP},   {__NR_lsetxattr, EOPNOTSUPP}, {__NR_fsetxattr, EOPNOTSUPP},
        {__NR_getxattr, EOPNOTSUPP},   {__NR_lgetxattr, EOPNOTSUPP}, {__NR_fgetxattr, EOPNOTSUPP},
        {__NR_listxattr, EOPNOTSUPP},  {__NR_llistxattr, EOPNOTSUPP}, {__NR_flistxattr, EOPNOTSUPP},
        {__NR_removexattr, EOPNOTSUPP}, {__NR_lremovexattr, EOPNOTSUPP}, {__NR_fremovexattr, EOPNOTSUPP},
    };
    return calls;
}

sock_filter load(std::size_t offset) { return BPF_STMT(BPF_LD | BPF_W | BPF_ABS, static_cast<unsigned>(offset)); }
sock_filter answer(unsigned action) { return BPF_STMT(BPF_RET | BPF_K, action); }

// The low half of a call's argument, where the flags of open are.
std::size_t argument(int index) {
    std::size_t at = offsetof(seccomp_data, args) + 8 * static_cast<std::size_t>(index);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    at += 4;
#endif
    return at;
}

// O_TMPFILE is this bit together with O_DIRECTORY; the bit alone tells it from a folder's open.
constexpr unsigned kUnnamedFileBit = O_TMPFILE & ~O_DIRECTORY;

// openat (and open) with O_TMPFILE.
void refuseUnnamedFiles(std::vector<sock_filter>& program, long call, int flagsArgument) {
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(call), 0, 4));
    program.push_back(load(argument(flagsArgument)));
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, kUnnamedFileBit, 0, 1));
    program.push_back(answer(SECCOMP_RET_ERRNO | EOPNOTSUPP));
    program.push_back(answer(SECCOMP_RET_ALLOW));
}

}  // namespace

bool refuseCallsAsFat() {
    if (kArch == 0) return false;
    std::vector<sock_filter> program{
        load(offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        answer(SECCOMP_RET_ALLOW),
        load(offsetof(seccomp_data, nr)),
    };
    for (const auto& [call, error] : refusedCalls()) {
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(call), 0, 1));
        program.push_back(answer(SECCOMP_RET_ERRNO | static_cast<unsigned>(error)));
    }
    refuseUnnamedFiles(program, __NR_openat, 2);
#ifdef __NR_open
    program.push_back(load(offsetof(seccomp_data, nr)));
    refuseUnnamedFiles(program, __NR_open, 1);
#endif
    program.push_back(answer(SECCOMP_RET_ALLOW));
    sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

}  // namespace testsupport
