#pragma once
// The coefficient moves of each transform kind. All loop over the destination's components;
// the decompressor's memory manager serves every array access.

#include <cstdio>

#include <jpeglib.h>

// In place on the source arrays: only the whole-iMCU columns move.
void mirrorBlocksHorizontally(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays);

void mirrorBlocksVertically(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                            jvirt_barray_ptr* dstArrays);
void rotateBlocks180(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays);

void transposeBlocks(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays);
void transverseBlocks(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                      jvirt_barray_ptr* dstArrays);
void rotateBlocks90(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                    jvirt_barray_ptr* dstArrays);
void rotateBlocks270(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays);
