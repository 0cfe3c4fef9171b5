#pragma once
// libjpeg's progress monitor, which it calls once per iMCU row of every scan it reads and every
// pass it writes, carries the checks that must act within a file: the run's cancel flag, and a
// source that keeps sending scans.

#include <atomic>
#include <cstdio>

#include <jpeglib.h>

struct PassMonitor {
    jpeg_progress_mgr manager;        // first member: libjpeg sees a plain jpeg_progress_mgr
    unsigned componentsInScans;       // source only: bit c set once component c appeared in a scan
    const std::atomic<int>* cancel;   // the run's cancel flag; null: nothing cancels the pass
};

// More scans than any encoder writes: libjpeg's standard progression has at most 18 (four
// components), and common encoders stay well below 100. Every scan of a progression is a pass
// over all blocks of its components, so a file that repeats scans to keep the reader busy costs
// at most this many passes: about 0.1 s for a 3-megapixel picture and 0.8 s for 24 megapixels.
constexpr int kMostScans = 100;

// Before the object reads or writes anything. The object's err must be a JpegErrorTrap: the
// monitor ends the pass through it, Cancelled or Damaged.
void attachPassMonitor(j_common_ptr cinfo, PassMonitor* monitor, const std::atomic<int>* cancel);
