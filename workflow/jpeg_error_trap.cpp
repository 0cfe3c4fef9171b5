#include "workflow/jpeg_error_trap.h"

#include <jerror.h>
#include <jpegint.h>

namespace {

JpegErrorTrap* trapOf(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorTrap*>(cinfo->err); }

[[noreturn]] void jump(JpegErrorTrap* trap, PassFailure failure) {
    trap->failure = failure;
    std::longjmp(*trap->jump, 1);
}

PassFailure failureOfCode(int code, bool fromSource) {
    switch (code) {
    case JERR_NO_SOI:
    case JERR_INPUT_EMPTY: return PassFailure::NotJpeg;
    case JERR_SOF_UNSUPPORTED:
    case JERR_BAD_PRECISION:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_CCIR601_NOTIMPL:
    case JERR_FRACT_SAMPLE_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_COMPONENT_COUNT:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_EMPTY_IMAGE:
    case JERR_MISMATCHED_QUANT_TABLE: return PassFailure::Unsupported;
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_TFILE_CREATE:
    case JERR_TFILE_READ:
    case JERR_TFILE_SEEK:
    case JERR_TFILE_WRITE: return PassFailure::NotEnoughMemory;
    // The writer meets a coefficient too large for any 8-bit picture: the source's data is corrupt.
    case JERR_BAD_DCT_COEF: return PassFailure::Damaged;
    default: return fromSource ? PassFailure::Damaged : PassFailure::Failed;
    }
}

// Notes about the header that say nothing about the picture data, and stray bytes between the
// segments in front of the first scan, which the photo's record keeps where they stood. Stray
// bytes later on (before a restart marker, between scans) are damage.
bool isHeaderNote(j_common_ptr cinfo, int code) {
    if (code == JWRN_EXTRANEOUS_DATA) return cinfo->global_state == DSTATE_INHEADER;
    return code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM || code == JWRN_BOGUS_ICC;
}

[[noreturn]] void failWithLibraryMessage(j_common_ptr cinfo, PassFailure failure) {
    JpegErrorTrap* trap = trapOf(cinfo);
    (*cinfo->err->format_message)(cinfo, trap->message);
    jump(trap, failure);
}

// The add-on messages are those of the coefficient memory: the arrays could not be had.
bool isAddonMessage(const jpeg_error_mgr* err) {
    return err->addon_message_table && err->msg_code >= err->first_addon_message &&
           err->msg_code <= err->last_addon_message;
}

[[noreturn]] void trapError(j_common_ptr cinfo) {
    const PassFailure failure = isAddonMessage(cinfo->err) ? PassFailure::NotEnoughMemory
                                                           : failureOfCode(cinfo->err->msg_code, cinfo->is_decompressor);
    failWithLibraryMessage(cinfo, failure);
}

// libjpeg calls this for warnings (level -1) and trace notes (level 1 and up) alike, whatever
// the trace level. A warning of the source other than a header note is damage.
void trapWarningOrNote(j_common_ptr cinfo, int level) {
    int code = cinfo->err->msg_code;
    if (level < 0 && cinfo->is_decompressor && !isHeaderNote(cinfo, code)) failWithLibraryMessage(cinfo, PassFailure::Damaged);
    if (level > 0 && code == JTRC_DAC) trapOf(cinfo)->sawArithmeticConditioning = true;
}

void printNothing(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* installErrorTrap(JpegErrorTrap* trap, std::jmp_buf* jump) {
    jpeg_std_error(&trap->manager);
    trap->jump = jump;
    trap->failure = PassFailure::None;
    trap->message[0] = '\0';
    trap->sawArithmeticConditioning = false;
    trap->manager.error_exit = trapError;
    trap->manager.emit_message = trapWarningOrNote;
    trap->manager.output_message = printNothing;
    return &trap->manager;
}

void failPass(j_common_ptr cinfo, PassFailure failure, const char* message) {
    JpegErrorTrap* trap = trapOf(cinfo);
    std::snprintf(trap->message, sizeof trap->message, "%s", message);
    jump(trap, failure);
}
