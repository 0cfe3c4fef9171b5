#include "workflow/coefficient_pass.h"

#include "workflow/run_state.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

// Trimmed, every marker copied.
CoefficientPassResult turn(const Bytes& jpeg, K kind = K::Rotate270, bool optimize = false) {
    return runCoefficientPass({jpeg.data(), jpeg.size(), kind, true, false, CopyAll, true, optimize});
}

std::string describe(const JpegCoding& coding) {
    return std::string(coding.progressive ? "progressive" : "sequential") + (coding.arithmetic ? " arithmetic" : "") +
           " restart " + std::to_string(coding.restartInterval) + (coding.standardHuffmanTables ? " standard" : "");
}

JpegSpec coded(bool progressive, bool arithmetic, bool optimizedTables, int restart) {
    return {128, 96, ColorKind::YCbCr, 2, 2, progressive, restart, arithmetic, optimizedTables};
}

struct CodingCase {
    const char* name;
    JpegSpec recipe;
    const char* coding;         // of the source and, but for the tables, of the output
    bool optimize = false;
    const char* output = nullptr;  // the output's coding where it differs
};

// libjpeg always optimizes the tables of a progression; arithmetic coding has none.
const CodingCase kCodings[] = {
    {"baseline, standard tables", coded(false, false, false, 0), "sequential restart 0 standard"},
    {"baseline, optimized tables", coded(false, false, true, 0), "sequential restart 0"},
    {"progressive", coded(true, false, false, 0), "progressive restart 0"},
    {"arithmetic", coded(false, true, false, 0), "sequential arithmetic restart 0 standard"},
    {"arithmetic progressive", coded(true, true, false, 0), "progressive arithmetic restart 0 standard"},
    {"baseline with restarts", coded(false, false, false, 3), "sequential restart 3 standard"},
    {"progressive with restarts", coded(true, false, false, 2), "progressive restart 2"},
    {"arithmetic with restarts", coded(false, true, false, 5), "sequential arithmetic restart 5 standard"},
    {"optimize asked", coded(false, false, false, 0), "sequential restart 0 standard", true, "sequential restart 0"},
    {"optimize asked, arithmetic", coded(false, true, false, 0), "sequential arithmetic restart 0 standard", true},
};

// The turned photo is coded as the source was, its coefficients are the engine's exact turn, and
// it is as large as the source, give or take what the turn does to the statistics; asked to
// optimize, it is smaller.
TEST(CoefficientPassCoding, OutputKeepsTheSourcesCoding) {
    for (const CodingCase& c : kCodings) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg = makeJpeg(c.recipe);
        CoefficientPassResult result = turn(jpeg, K::Rotate270, c.optimize);
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_EQ(describe(result.source), c.coding);
        EXPECT_EQ(describe(turn(result.output, K::None).source), c.output ? c.output : c.coding);
        expectSameImage(result.output, transformInMemory(jpeg, K::Rotate270, true));
        double growth = double(result.output.size()) / double(jpeg.size()) - 1;
        if (c.output) EXPECT_LT(growth, -0.01);
        else EXPECT_LT(std::abs(growth), 0.01);
    }
}

Bytes withEnd(Bytes jpeg, size_t cutAt) {
    jpeg.resize(cutAt);
    jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    return jpeg;
}

size_t markerAt(const Bytes& jpeg, int code, size_t index = 0) { return markerPositions(jpeg, code).at(index); }

// A scan from its SOS to the next marker that is not a restart.
std::pair<size_t, size_t> scanAt(const Bytes& jpeg, size_t sos) {
    size_t end = jpeg.size();
    for (int code : {0xC4, 0xDA, 0xD9})
        for (size_t at : markerPositions(jpeg, code))
            if (at > sos) end = std::min(end, at);
    return {sos, end};
}

// The scans again, `times` times, before the EOI.
Bytes withScansRepeated(const Bytes& jpeg, const std::vector<std::pair<size_t, size_t>>& scans, int times) {
    Bytes result(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < times; ++i)
        for (auto [from, to] : scans) result.insert(result.end(), jpeg.begin() + long(from), jpeg.begin() + long(to));
    result.insert(result.end(), {0xFF, 0xD9});
    return result;
}

struct Refusal {
    const char* name;
    Bytes jpeg;
    PassFailure failure;
    const char* message;
};

// What libjpeg says of each damage, and our own checks where it says nothing or too late.
std::vector<Refusal> refusals() {
    const Bytes baseline = makeJpeg(coded(false, false, false, 0)), restarts = makeJpeg(coded(false, false, false, 1));
    const Bytes progressive = makeJpeg(coded(true, false, false, 0)), arithmetic = makeJpeg(coded(false, true, false, 0));
    const Bytes separateScans = makeJpeg({128, 96, ColorKind::YCbCr, 2, 2, false, 0, false, false, true});
    Bytes changedTable = separateScans;  // table 1 defined anew between the scans of Cb and Cr
    Bytes table{0xFF, 0xDB, 0x00, 0x43, 0x01};
    table.resize(table.size() + 64, 7);
    changedTable.insert(changedTable.begin() + long(markerAt(separateScans, 0xDA, 2)), table.begin(), table.end());
    // DC values in steps of 20000 in coding order (row by row, 16 blocks a row), which libjpeg
    // codes and reads; a column steps by 40000, which it cannot code: the turn of this stream
    // could not be read. No 8-bit picture has such values.
    const auto wave = [](int, int x, int y, std::int16_t* block) {
        const std::int16_t steps[] = {-30000, -10000, 10000, 30000, 10000, -10000};
        block[0] = steps[(x + 16 * y) % 6];
    };
    const Bytes outOfRange = withCoefficients(makeJpeg({128, 96, ColorKind::Gray, 2, 2, false, 0, true}), wave);
    // The same for Huffman coding: DC steps of 1500 in coding order code as they stand; turned,
    // a column's step of 3000 would not, and libjpeg's writer would write it all the same.
    const auto climb = [](int, int x, int y, std::int16_t* block) {
        const std::int16_t steps[] = {-1500, 0, 1500, 0};
        block[0] = steps[(x + 16 * y) % 4];
    };
    const Bytes dcOutOfRange = withCoefficients(makeJpeg({128, 96, ColorKind::Gray, 2, 2}), climb);
    const Bytes tinyJpeg = makeJpeg({8, 8, ColorKind::Gray}), sixtyThousand = {0xEA, 0x60, 0xEA, 0x60};  // 300 bytes
    // The first DC scan and its refinement (the interleaved scans) need nothing from earlier scans
    // and leave the progression as complete as it was: repeated, libjpeg reads them without a word.
    std::vector<std::pair<size_t, size_t>> dcScans;
    for (size_t sos : markerPositions(progressive, 0xDA))
        if (progressive.at(sos + 4) == 3) dcScans.push_back(scanAt(progressive, sos));
    const auto lastScan = scanAt(progressive, markerPositions(progressive, 0xDA).back());
    constexpr auto D = PassFailure::Damaged;
    return {
        {"cut in half, end marker put back", withEnd(baseline, baseline.size() / 2), D, "premature end of data segment"},
        {"progressive cut between scans", withEnd(progressive, markerAt(progressive, 0xDA, 3)), D,
         "the progression ends early"},
        {"scan per component, cut after the first", withEnd(separateScans, markerAt(separateScans, 0xDA, 1)), D,
         "a component has no scan"},
        {"frame byte read as arithmetic", patched(baseline, markerAt(baseline, 0xC0) + 1, {0xC9}), D,
         "arithmetic-coded frame with Huffman"},
        {"frame byte read as Huffman", patched(arithmetic, markerAt(arithmetic, 0xC9) + 1, {0xC0}), D, "Corrupt JPEG"},
        {"restart markers out of order", patched(patched(restarts, markerAt(restarts, 0xD0) + 1, {0xD1}),
                                                 markerAt(restarts, 0xD1) + 1, {0xD0}), D, "instead of RST"},
        {"extraneous bytes", withEnd(Bytes(baseline.begin(), baseline.end() - 2), baseline.size() + 14), D,
         "extraneous bytes"},
        {"last scan repeated", withScansRepeated(progressive, {lastScan}, 1), D, "Inconsistent progression"},
        {"DC scans repeated 50 times", withScansRepeated(progressive, dcScans, 50), D, "more than 100 scans"},
        {"300 bytes claiming 60000 x 60000", patched(tinyJpeg, markerAt(tinyJpeg, 0xC0) + 5, sixtyThousand), D,
         "larger than the data could hold"},
        {"arithmetic coefficients out of range", outOfRange, D, "coefficient out of range"},
        {"Huffman-coded DC values out of range", dcOutOfRange, D, "coefficient out of range"},
        {"truncated", Bytes(baseline.begin(), baseline.begin() + long(baseline.size() / 2)), D, "Premature end"},
        {"not a JPEG", {'h', 'e', 'l', 'l', 'o'}, PassFailure::NotJpeg, "Not a JPEG file"},
        {"empty", {}, PassFailure::NotJpeg, "Empty input file"},
        {"quantization table changed between scans", changedTable, PassFailure::Unsupported,
         "multiple use of quantization table"},
        {"lossless process", patched(baseline, markerAt(baseline, 0xC0) + 1, {0xC3}), PassFailure::Unsupported,
         "SOF type 0xc3"},
        {"arithmetic frame claiming 60000 x 60000", patched(arithmetic, markerAt(arithmetic, 0xC9) + 5, sixtyThousand),
         PassFailure::NotEnoughMemory, ""},
    };
}

TEST(CoefficientPassFaults, DamagedOrUnusableSourcesFailWithTheirReason) {
    for (const Refusal& r : refusals()) {
        SCOPED_TRACE(r.name);
        CoefficientPassResult result = turn(r.jpeg);
        EXPECT_EQ(int(result.failure), int(r.failure));
        EXPECT_NE(result.message.find(r.message), std::string::npos) << result.message;
        EXPECT_FALSE(result.message.empty());
        EXPECT_TRUE(result.output.empty());
    }
}

// Notes about the header are no damage, and the bytes after the picture are the caller's.
TEST(CoefficientPassFaults, HeaderNotesAndTrailingDataPass) {
    const Bytes jpeg = makeJpeg(coded(false, false, false, 0));
    Bytes followed = patched(jpeg, markerAt(jpeg, 0xE0) + 9, {3});  // "unknown JFIF revision number 3.01"
    followed.insert(followed.end(), jpeg.begin(), jpeg.end());
    CoefficientPassResult result = turn(followed);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.consumed, jpeg.size());
    expectSameImage(result.output, transformInMemory(jpeg, K::Rotate270, true));
}

// The memory limit is the refusals' 60000 x 60000 arithmetic frame.
TEST(CoefficientPassFaults, CancelStopsThePass) {
    const Bytes jpeg = makeJpeg(coded(true, false, false, 0));
    std::atomic<int> cancel{1};
    CoefficientPassResult cancelled =
        runCoefficientPass({jpeg.data(), jpeg.size(), K::Rotate270, true, false, CopyAll, true, false, nullptr, &cancel});
    EXPECT_EQ(int(cancelled.failure), int(PassFailure::Cancelled));
    EXPECT_TRUE(cancelled.output.empty());
}

}  // namespace
