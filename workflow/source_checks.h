#pragma once
// What libjpeg lets through although no healthy picture looks like it: a frame larger than its
// data could code, a frame byte that says arithmetic over Huffman-coded data, and components or
// coefficients that no scan delivered. Each ends the pass as Damaged through the source's trap.

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// After jpeg_read_header, before any coefficient array is requested, so that a frame claiming a
// huge picture is refused before anything is allocated for it.
void refuseImplausibleHeader(j_decompress_ptr src, std::size_t inputSize, bool sawArithmeticConditioning);

// After jpeg_read_coefficients: `componentsInScans` from the source's PassMonitor.
void refuseIncompleteData(j_decompress_ptr src, unsigned componentsInScans);

// After jpeg_read_coefficients, before an arithmetic-coded destination is written: libjpeg's
// Huffman writer refuses coefficients no 8-bit picture has, its arithmetic writer writes them,
// into a stream that cannot be read back. A corrupt arithmetic stream decodes to such values.
void refuseOutOfRangeCoefficients(j_decompress_ptr src, jvirt_barray_ptr* arrays);

// After jpeg_read_coefficients, for a Huffman-coded source: the turn moves blocks next to others
// that were far from them, and codes the difference of their DC terms; a DC term that no 8-bit
// picture has can make a difference that libjpeg's writer writes without a word into a stream
// that reads back wrong. The AC terms keep their magnitudes under every turn.
void refuseOutOfRangeDc(j_decompress_ptr src, jvirt_barray_ptr* arrays);
