#pragma once
// An error manager for libjpeg objects that gives control back to the caller instead of ending
// the process. libjpeg is C: its fatal errors leave through longjmp to a setjmp of the caller,
// so no C++ exception ever crosses its frames and no frame between the setjmp and libjpeg may
// own an object with a destructor.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorTrap {
    jpeg_error_mgr manager;  // first member: libjpeg sees a plain jpeg_error_mgr
    std::jmp_buf* jump;      // where a fatal error returns to
    void (*standardEmit)(j_common_ptr, int);
};

// Fills `trap` with libjpeg's standard error manager (jpeg_std_error), whose messages and
// warnings go to the standard error stream, but whose fatal errors print the library's
// message and longjmp to `*jump`. A premature end of the input counts as fatal: a photo
// that could not be read to its end is never rewritten. Returns &trap->manager for cinfo.err.
jpeg_error_mgr* installErrorTrap(JpegErrorTrap* trap, std::jmp_buf* jump);
