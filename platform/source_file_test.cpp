#include "platform/source_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace {

using namespace testsupport;
using Status = platform::SourceFile::Status;

TEST(SourceFile, ReadsARegularFileWholeAndTellsASecondRunItIsInUse) {
    TempDir dir;
    const std::string path = dir.file("photo.jpg");
    const std::vector<std::uint8_t> bytes(100000, 42);
    writeFile(path, bytes);
    platform::SourceFile source;
    std::string error;
    ASSERT_EQ(source.open(path, &error), Status::Ok) << error;
    std::vector<unsigned char> read;
    ASSERT_EQ(source.readAll(&read, &error), Status::Ok) << error;
    EXPECT_EQ(read, bytes);
    platform::SourceFile second;  // a second run on the same photo
    EXPECT_EQ(second.open(path, &error), Status::InUse);
    EXPECT_EQ(second.open(path, &error, platform::SourceFile::Locking::None), Status::Ok);  // a reader only
}

// A pipe, a folder or a device is refused before it is read; a pipe without a writer never blocks.
TEST(SourceFile, RefusesAnythingButARegularFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const std::string& path : {dir.file("fifo"), dir.path(), std::string("/dev/null")}) {
        platform::SourceFile source;
        std::string error;
        EXPECT_EQ(source.open(path, &error), Status::NotRegular) << path;
        EXPECT_EQ(error, "not a regular file");
    }
    platform::SourceFile missing;
    EXPECT_EQ(missing.open(dir.file("gone.jpg"), nullptr), Status::CannotOpen);
}

}  // namespace
