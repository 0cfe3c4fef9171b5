#include "workflow/pass_monitor.h"

#include "workflow/jpeg_error_trap.h"

namespace {

void noteScan(j_decompress_ptr src, PassMonitor* monitor) {
    if (src->input_scan_number > kMostScans) {
        char message[64];
        std::snprintf(message, sizeof message, "Corrupt JPEG data: more than %d scans", kMostScans);
        failPass(reinterpret_cast<j_common_ptr>(src), PassFailure::Damaged, message);
    }
    for (int i = 0; i < src->comps_in_scan; ++i)
        monitor->componentsInScans |= 1u << src->cur_comp_info[i]->component_index;
}

void watch(j_common_ptr cinfo) {
    auto* monitor = reinterpret_cast<PassMonitor*>(cinfo->progress);
    if (monitor->cancel && monitor->cancel->load(std::memory_order_relaxed) != 0)
        failPass(cinfo, PassFailure::Cancelled, "cancelled");
    if (cinfo->is_decompressor) noteScan(reinterpret_cast<j_decompress_ptr>(cinfo), monitor);
}

}  // namespace

void attachPassMonitor(j_common_ptr cinfo, PassMonitor* monitor, const std::atomic<int>* cancel) {
    monitor->manager = jpeg_progress_mgr{};
    monitor->manager.progress_monitor = watch;
    monitor->componentsInScans = 0;
    monitor->cancel = cancel;
    cinfo->progress = &monitor->manager;
}
