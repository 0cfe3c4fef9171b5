// The coefficient memory's own rules. That every kind, sampling and size comes out the same in
// it, on huge pages and on small ones, is shown by the transform's exactness table.

#include "transform/coefficient_memory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <csetjmp>
#include <cstdint>

#include <jerror.h>

#include "tests/support/libjpeg_trap.h"
#include "tests/support/transform_driver.h"
#include "transform/memory_budget.h"

namespace {

using namespace testsupport;

// A decompression object with no file behind it, whose arrays are requested and realized
// directly, as jpeg_read_coefficients would.
class BareSource {
public:
    BareSource() {
        src_.err = installLibjpegTrap(trap_);
        jpeg_create_decompress(&src_);
    }
    explicit BareSource(CoefficientMemory& memory) : BareSource() { useCoefficientMemory(&src_, nullptr, &memory); }
    ~BareSource() { jpeg_destroy_decompress(&src_); }

    j_decompress_ptr object() { return &src_; }
    jvirt_barray_ptr request(bool preZero, JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION maxAccess) {
        return (*src_.mem->request_virt_barray)(common(), JPOOL_IMAGE, preZero, blocksPerRow, rows, maxAccess);
    }
    JBLOCKARRAY access(jvirt_barray_ptr array, JDIMENSION start, JDIMENSION count, bool writable) {
        return (*src_.mem->access_virt_barray)(common(), array, start, count, writable);
    }
    void realize() { (*src_.mem->realize_virt_arrays)(common()); }
    // libjpeg's message code for the error that `step` raised, 0 when it raised none.
    template <typename Step>
    int errorOf(Step step) {
        if (setjmp(trap_.jump)) return trap_.code;
        step();
        return 0;
    }
    const char* message() const { return trap_.message; }

private:
    j_common_ptr common() { return reinterpret_cast<j_common_ptr>(&src_); }
    LibjpegTrap trap_{};
    jpeg_decompress_struct src_{};
};

// The panorama a fixed limit of 500,000,000 bytes refused: 20000 x 10000 pixels in 4:2:0, its
// source arrays and a transposed workspace, 1.2 GB in all; mapping costs nothing until touched.
// The bytes are held in the run's budget and mapped until the image pool is freed; a cancel
// while waiting for the budget gives up.
TEST(CoefficientMemory, APanoramaFitsAndHoldsItsBytesUntilFreed) {
    std::atomic<int> cancel{0};
    MemoryBudget budget(machineCoefficientLimit(), cancel);
    CoefficientMemory memory;
    memory.budget = &budget;
    BareSource source(memory);
    const JDIMENSION columns[] = {2500, 1250, 1250}, rows[] = {1250, 625, 625};
    jvirt_barray_ptr arrays[6];
    for (int c = 0; c < 3; ++c) {
        arrays[c] = source.request(true, columns[c], rows[c], 2);
        arrays[3 + c] = source.request(false, rows[c], columns[c], 2);
    }
    ASSERT_EQ(source.errorOf([&] { source.realize(); }), 0) << source.message();
    EXPECT_EQ(memory.neededBytes, 1200000000u);
    EXPECT_EQ(budget.held(), 1200000000u);
    JBLOCKARRAY last = nullptr;
    ASSERT_EQ(source.errorOf([&] { last = source.access(arrays[0], rows[0] - 2, 2, false); }), 0);
    EXPECT_EQ(last[1][columns[0] - 1][63], 0);  // zeroed, though never written
    void* page = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(last[1]) & ~std::uintptr_t{4095});
    unsigned char resident = 0;
    ASSERT_EQ(::mincore(page, 1, &resident), 0);
    jpeg_abort_decompress(source.object());
    EXPECT_EQ(budget.held(), 0u);
    EXPECT_EQ(::mincore(page, 1, &resident), -1) << "still mapped after the image pool was freed";

    ASSERT_TRUE(budget.reserve(machineCoefficientLimit()));  // another worker holds everything
    cancel = 1;
    source.request(true, 10, 10, 1);
    EXPECT_NE(source.errorOf([&] { source.realize(); }), 0);
    EXPECT_STREQ(source.message(), "Cancelled while waiting for memory");
    EXPECT_EQ(budget.held(), machineCoefficientLimit());
}

// 1024 x 1024 in 4:2:0: 24576 blocks of 128 bytes, twice that with the workspace of a quarter turn.
TEST(CoefficientMemory, RefusesAboveTheLimitNamingTheSizeItWouldNeed) {
    const Bytes jpeg = makeJpeg({1024, 1024});
    auto refusal = [&](std::size_t limit) {
        CoefficientMemory memory;
        memory.limit = limit;
        std::string message;
        try {
            transformInMemory(jpeg, TransformKind::Rotate270, false, false, &memory);
        } catch (const JpegError& error) {
            message = error.what();
        }
        EXPECT_EQ(memory.refused, !message.empty());
        EXPECT_EQ(memory.neededBytes, 6291456u);
        return message;
    };
    EXPECT_EQ(refusal(6291456), "");
    EXPECT_EQ(refusal(6291455), "The picture needs 7 MB for its coefficients, more than the 6 MB this machine allows");
}

// libjpeg's rules of access, which keep a hostile file's sizes from reaching outside an array:
// an array of 6 rows, at most 2 at a time, rows 0 and 1 written first.
TEST(CoefficientMemory, AccessKeepsLibjpegsRules) {
    struct Case {
        const char* name;
        bool preZero;
        JDIMENSION start, count;
        bool writable, allowed;
    };
    const Case cases[] = {
        {"next rows written", false, 2, 2, true, true},
        {"written rows read", false, 0, 2, false, true},
        {"rows skipped by a writer", false, 4, 2, true, false},
        {"unwritten rows read", false, 2, 2, false, false},
        {"unwritten rows of a zeroed array read", true, 4, 2, false, true},
        {"past the end", true, 5, 2, false, false},
        {"start far past the end", true, 0xFFFFFFFF, 2, false, false},
        {"more rows than at a time", true, 0, 3, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoefficientMemory memory;
        BareSource source(memory);
        jvirt_barray_ptr array = source.request(c.preZero, 10, 6, 2);
        source.realize();
        source.access(array, 0, 2, true)[1][9][63] = 7;
        JBLOCKARRAY rows = nullptr;
        int error = source.errorOf([&] { rows = source.access(array, c.start, c.count, c.writable); });
        EXPECT_EQ(error, c.allowed ? 0 : int(JERR_BAD_VIRTUAL_ACCESS));
        if (c.allowed && error == 0) {
            EXPECT_EQ(rows[c.count - 1][9][63], c.start == 0 ? 7 : 0);
        }
    }
}

// Arrays the library's own manager was asked for before are still realized and reached by it.
TEST(CoefficientMemory, ArraysRequestedBeforeStayTheLibrarys) {
    CoefficientMemory memory;
    BareSource source;
    jvirt_barray_ptr before = source.request(false, 4, 4, 1);
    useCoefficientMemory(source.object(), nullptr, &memory);
    jvirt_barray_ptr ours = source.request(false, 4, 4, 1);
    ASSERT_EQ(source.errorOf([&] { source.realize(); }), 0) << source.message();
    source.access(before, 0, 1, true)[0][3][0] = 1;
    source.access(ours, 0, 1, true)[0][3][0] = 2;
    EXPECT_EQ(source.access(before, 0, 1, false)[0][3][0], 1);
    EXPECT_EQ(memory.neededBytes, 16 * sizeof(JBLOCK));
}

}  // namespace
