#include "workflow/natural_order.h"

#include <gtest/gtest.h>

namespace {

// Each pair in order: the first comes before the second, never the other way round.
TEST(NaturalOrder, NumbersByValueLettersWithoutCaseTiesByBytes) {
    const std::pair<const char*, const char*> ordered[] = {
        {"DSC_2.jpg", "DSC_10.jpg"},
        {"DSC_003.jpg", "DSC_004.jpg"},
        {"DSC_9.jpg", "DSC_033.jpg"},
        {"img7b.jpg", "img7c.jpg"},
        {"a.jpg", "B.jpg"},
        {"b.jpg", "C.JPG"},
        {"IMG_01.jpg", "IMG_1.jpg"},  // the same number: the bytes decide
        {"A.jpg", "a.jpg"},
        {"photo.jpg", "photo1.jpg"},  // a name before its longer sibling
        {"x-1.jpg", "x1.jpg"},        // '-' stands before the digits
        {"x1.jpg", "x_1.jpg"},        // '_' after them
        {"99999999999999999999998", "99999999999999999999999"},  // beyond any integer type
        {"00000000000000000000009", "10"},
        {"", "0"},
        {"z", "\xc3\xa9"},            // bytes beyond ASCII as they are
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_TRUE(naturalLess(first, second)) << first << " < " << second;
        EXPECT_FALSE(naturalLess(second, first)) << second << " < " << first;
    }
    EXPECT_FALSE(naturalLess("same.jpg", "same.jpg"));
}

}  // namespace
