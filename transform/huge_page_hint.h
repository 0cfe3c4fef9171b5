#pragma once
// The workspace of a large photo is tens of megabytes touched for the first time by the
// transform: in 4 KiB pages that is tens of thousands of page faults, and as many pages to
// unmap at the end, which cost more than moving the coefficients. Asking for huge pages
// removes most of that. A hint only: it never changes any data, and where it is not
// supported, or the rows do not look like one allocation, nothing happens.

#include "transform/block_extent.h"

// Follows the groups of rows a transform writes into one destination array, in order, and
// gives the hint for the rest of the array once two groups have shown where its rows lie.
class HugePageAdvisor {
public:
    explicit HugePageAdvisor(const BlockExtent& extent) : extent_(extent) {}
    // rows: the group starting at row y0, just accessed for writing and not yet written.
    void sawGroup(JDIMENSION y0, JBLOCKARRAY rows);

private:
    BlockExtent extent_;
    JBLOCKROW firstRow_ = nullptr;
};
