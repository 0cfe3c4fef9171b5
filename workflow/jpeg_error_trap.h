#pragma once
// An error manager for the libjpeg objects of one coefficient pass that gives control back to the
// caller instead of ending the process, and prints nothing. libjpeg is C: its fatal errors leave
// through longjmp to a setjmp of the caller, so no C++ exception ever crosses its frames and no
// frame between the setjmp and libjpeg may own an object with a destructor.
//
// The source's warnings about corrupt data are fatal here: libjpeg would pad missing data with
// grey or decode garbage, and a photo rewritten from that is lost.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "workflow/coefficient_pass.h"

struct JpegErrorTrap {
    jpeg_error_mgr manager;  // first member: libjpeg sees a plain jpeg_error_mgr
    std::jmp_buf* jump;      // where a failure returns to
    PassFailure failure;     // why, once it has jumped
    char message[JMSG_LENGTH_MAX];
    bool sawArithmeticConditioning;  // the source's header defined arithmetic conditioning (DAC)
};

// Fills `trap` for use as cinfo.err of both objects of a pass; failures longjmp to `*jump`.
jpeg_error_mgr* installErrorTrap(JpegErrorTrap* trap, std::jmp_buf* jump);

// Ends the pass from inside libjpeg's frames (a progress monitor, a check of the header) with
// `failure` and `message`, through cinfo's trap.
[[noreturn]] void failPass(j_common_ptr cinfo, PassFailure failure, const char* message);
