#pragma once
// libjpeg's progress monitor, which it calls once per iMCU row of every scan it reads and every
// pass it writes, carries the checks that must act within a file: the run's cancel flag, and a
// source that keeps sending scans.

#include <cstdio>

#include <jpeglib.h>

struct PassMonitor {
    jpeg_progress_mgr manager;   // first member: libjpeg sees a plain jpeg_progress_mgr
    unsigned componentsInScans;  // source only: bit c set once component c appeared in a scan
};

// More scans than any encoder writes: libjpeg's standard progression has at most 18 (four
// components), and a script refining every coefficient of three components bit by bit stays
// far below; a file that repeats scans to keep the reader busy is stopped here.
constexpr int kMostScans = 400;

// Before the object reads or writes anything. The object's err must be a JpegErrorTrap: the
// monitor ends the pass through it, Cancelled or Damaged.
void attachPassMonitor(j_common_ptr cinfo, PassMonitor* monitor);
