#pragma once
// A libjpeg destination manager that writes the compressed stream straight into a byte vector,
// grown as the stream grows, so that the finished stream needs no copy.

#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

struct VectorDestination {
    jpeg_destination_mgr manager;        // first member: libjpeg sees a plain jpeg_destination_mgr
    std::vector<unsigned char>* bytes;   // owned by the caller, outside libjpeg's frames
    std::size_t expectedSize;            // the first allocation
};

// Before jpeg_write_coefficients. `bytes` holds exactly the stream after jpeg_finish_compress;
// memory that cannot be had ends the pass with libjpeg's out-of-memory error.
void attachVectorDestination(j_compress_ptr dst, VectorDestination* destination, std::vector<unsigned char>* bytes,
                             std::size_t expectedSize);
