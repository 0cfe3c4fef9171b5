#pragma once
// Shared by the Exif reader's tests: read a built block the way the section container hands it
// over, in an exactly sized buffer so that the sanitizers see any read past its end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "exif/exif_block.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "tests/support/exif_builder.h"

namespace exiftest {

using testsupport::ByteOrder;
using testsupport::Bytes;

// Fresh PhotoInfo and messages, then processExifBlock on the segment; returns the segment as
// the reader left it.
inline Bytes readSegment(const Bytes& segment) {
    resetPhotoInfo("photo.jpg");
    clearReportedErrors();
    std::unique_ptr<unsigned char[]> exact(new unsigned char[segment.size()]);
    if (!segment.empty()) std::memcpy(exact.get(), segment.data(), segment.size());
    processExifBlock(exact.get(), static_cast<unsigned>(segment.size()));
    return Bytes(exact.get(), exact.get() + segment.size());
}

inline Bytes readBlock(const testsupport::ExifBlock& block) { return readSegment(block.segment()); }

inline bool wasReported(const std::string& message) {
    const auto& all = reportedErrors();
    return std::find(all.begin(), all.end(), message) != all.end();
}

inline std::string reportedText() {
    std::string text;
    for (const std::string& message : reportedErrors()) text += message + "\n";
    return text;
}

// Cases written once and run in both byte orders.
class BothOrders : public ::testing::TestWithParam<ByteOrder> {
protected:
    testsupport::ExifSpec spec() const {
        testsupport::ExifSpec s;
        s.order = GetParam();
        return s;
    }
};

inline std::string orderName(const ::testing::TestParamInfo<ByteOrder>& info) {
    return info.param == ByteOrder::Intel ? "Intel" : "Motorola";
}

}  // namespace exiftest

#define EXIF_BOTH_ORDERS(Suite) \
    INSTANTIATE_TEST_SUITE_P(Order, Suite, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola), orderName)
