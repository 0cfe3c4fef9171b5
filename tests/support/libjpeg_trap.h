#pragma once
// libjpeg is C: its errors come back to the caller's setjmp by longjmp, and the test support
// turns them into exceptions only outside libjpeg's frames. Warnings are not printed.

#include <csetjmp>

#include <jpeglib.h>

namespace testsupport {

struct LibjpegTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int code;
};

inline void trapLibjpegError(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<LibjpegTrap*>(cinfo->err);
    trap->code = cinfo->err->msg_code;
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// Fills the trap's manager; pass &trap.manager as the object's err, then setjmp(trap.jump).
inline jpeg_error_mgr* installLibjpegTrap(LibjpegTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = trapLibjpegError;
    trap.manager.output_message = [](j_common_ptr) {};
    return &trap.manager;
}

}  // namespace testsupport
