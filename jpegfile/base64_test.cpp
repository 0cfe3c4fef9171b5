#include "jpegfile/base64.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

// The alphabet, the padding and what is refused, as RFC 4648 gives them.
TEST(Base64Test, CodesAndDecodesTheStandardAlphabetWithPadding) {
    const std::pair<std::string, std::string> known[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff\xfe", "+//+"}};
    for (const auto& [plain, coded] : known) {
        const Bytes bytes(plain.begin(), plain.end());
        EXPECT_EQ(encodeBase64(bytes), coded);
        Bytes decoded;
        EXPECT_TRUE(decodeBase64(coded, &decoded)) << coded;
        EXPECT_EQ(decoded, bytes) << coded;
    }
    Bytes decoded;
    for (const char* refused : {"Zm9", "Zm9v\n", "Zg=v", "Z===", "Zm=v", "Zm9-"})
        EXPECT_FALSE(decodeBase64(refused, &decoded)) << refused;
}

}  // namespace
