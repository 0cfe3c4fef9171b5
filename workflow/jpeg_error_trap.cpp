#include "workflow/jpeg_error_trap.h"

#include <jerror.h>

namespace {

[[noreturn]] void printAndJump(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    auto* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    std::longjmp(*trap->jump, 1);
}

// The library calls this for warnings too; a truncated input is only a warning to libjpeg,
// which pads the missing data with grey, but a rewrite from it would lose the rest of the photo.
void emitOrTrapTruncation(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) printAndJump(cinfo);
    auto* trap = reinterpret_cast<JpegErrorTrap*>(cinfo->err);
    (*trap->standardEmit)(cinfo, level);
}

}  // namespace

jpeg_error_mgr* installErrorTrap(JpegErrorTrap* trap, std::jmp_buf* jump) {
    jpeg_std_error(&trap->manager);
    trap->jump = jump;
    trap->standardEmit = trap->manager.emit_message;
    trap->manager.error_exit = printAndJump;
    trap->manager.emit_message = emitOrTrapTruncation;
    return &trap->manager;
}
