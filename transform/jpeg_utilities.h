#pragma once
// libjpeg's public structures plus its utility routines jround_up and jcopy_block_row,
// which the library exports but declares only in its internal header.

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

extern "C" {
#include <jpegint.h>
}
