// Several runs of pivora-cli in one folder at once, as `xargs -P 8` starts them: each run's
// start-up cleaning leaves the others' files alone, and a user's file that only looks like ours.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/pending_name.h"
#include "tests/photo_folder.h"
#include "workflow/stray_files.h"

namespace {

using namespace testsupport;

TEST(SharedFolder, RunsInOneFolderAllSucceedAndLeaveNothingStray) {
    const clitest::PhotoSet photos(64);
    for (int runs : {2, 8}) {
        SCOPED_TRACE(std::to_string(runs) + " runs");
        TempDir dir;
        photos.writeInto(dir.path());
        const std::string lookAlike = ".album.pivora-config";
        writeFile(dir.file(lookAlike), {1});
        writeFile(dir.file(platform::newPendingName("p0.jpg", platform::PendingKind::Rewrite)), {9});  // a killed run's
        ::usleep(20000);  // older than the runs, on the file system's clock

        std::vector<std::unique_ptr<clitest::Cli>> started;
        for (int r = 0; r < runs; ++r)
            started.push_back(std::make_unique<clitest::Cli>(
                clitest::withOptions({"--keep-times", "--backup"}, photos.share(dir.path(), r, runs))));
        for (auto& cli : started) {
            const clitest::CliRun run = cli->finish();
            EXPECT_EQ(run.status, 0) << run.out << run.err;
        }

        std::vector<std::string> expected{lookAlike};
        for (int i = 0; i < photos.count(); ++i) {
            const std::string name = clitest::PhotoSet::name(i);
            expected.insert(expected.end(), {name, name + ".bak"});
            EXPECT_EQ(readFile(dir.file(name)), photos.rotated[i]) << name;
            EXPECT_EQ(readFile(dir.file(name + ".bak")), photos.originals[i]) << name;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listFolder(dir.path()), expected);
    }
}

}  // namespace
