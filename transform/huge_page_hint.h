#pragma once
// The workspace of a large photo is tens of megabytes touched for the first time by the
// transform: in 4 KiB pages that is tens of thousands of page faults, and as many pages to
// unmap at the end, which cost more than moving the coefficients. Asking for huge pages
// removes most of that. A hint only: it never changes any data, and where it is not
// supported, or the rows do not look like one allocation, nothing happens.

#include <cstdio>

#include <jpeglib.h>

// Called when a destination array's second group of rows has just been accessed for writing:
// firstRow is row 0 (already written), laterRow the row rowsBetween further on (not yet written).
// rowsToWrite: the rows the transform writes in all; width: the blocks it uses in each.
void adviseHugePages(JBLOCKROW firstRow, JBLOCKROW laterRow, JDIMENSION rowsBetween, JDIMENSION rowsToWrite,
                     JDIMENSION width);
