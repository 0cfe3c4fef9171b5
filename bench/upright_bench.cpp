// pivora-cli --auto over 100 upright 24-megapixel photos, from a cold page cache where the bench
// may drop it (root), against --info over the same files, which reads each one whole. Reports the
// bytes each run read per photo (the process's own I/O accounting: what it asked of the file
// system, and what came from the disk) and the time.
// Usage: upright_bench [PHOTOS]   (default 100)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"

namespace {

struct Reading {
    double seconds = 0;
    long long requested = 0;  // rchar: bytes the process read through system calls
    long long fromDisk = 0;   // read_bytes: bytes the storage layer fetched for it
    int status = -1;
};

// The page cache emptied, so that what the run reads comes from the disk; false where the bench
// may not (not root, or a container's read-only /proc/sys).
bool dropPageCache() {
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    return static_cast<bool>(drop << "3\n") && static_cast<bool>(drop.flush());
}

long long ioField(pid_t pid, const std::string& name) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == name + ":") return value;
    return -1;
}

// Runs pivora-cli and reads its I/O accounting once it has ended, before it is reaped.
Reading measure(const std::vector<std::string>& args) {
    Reading reading;
    const auto start = std::chrono::steady_clock::now();
    clitest::Cli cli(args);
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(cli.pid), &info, WEXITED | WNOWAIT);
    reading.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    reading.requested = ioField(cli.pid, "rchar");
    reading.fromDisk = ioField(cli.pid, "read_bytes");
    reading.status = cli.finish().status;
    return reading;
}

void report(const char* what, const Reading& reading, int photos) {
    std::printf("%-34s %6.2f s  %10.1f KB asked  %10.1f KB from disk per photo\n", what, reading.seconds,
                reading.requested / 1024.0 / photos, reading.fromDisk / 1024.0 / photos);
}

}  // namespace

int main(int argc, char** argv) {
    const int photos = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    std::fprintf(stderr, "making the photo...\n");
    testsupport::CameraPhotoSpec recipe;
    recipe.width = 6000;
    recipe.height = 4000;
    recipe.quality = 90;
    recipe.thumbnailWidth = 160;
    recipe.thumbnailHeight = 120;
    const testsupport::Bytes photo = testsupport::makeCameraPhoto(recipe).jpeg;  // Orientation 1: upright
    testsupport::TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < photos; ++i) {
        paths.push_back(dir.file("p" + std::to_string(i) + ".jpg"));
        testsupport::writeFile(paths.back(), photo);
    }
    // What the program's own start costs (its code and libraries read from the disk), from a run
    // over an empty folder, is taken off each run's reading.
    testsupport::TempDir empty;
    const bool cold = dropPageCache();
    const Reading start = measure({"--auto", empty.path()});
    if (cold) dropPageCache();
    Reading upright = measure({"--auto", dir.path()});
    if (cold) dropPageCache();
    std::vector<std::string> info{"--info"};
    info.insert(info.end(), paths.begin(), paths.end());
    Reading whole = measure(info);
    for (Reading* reading : {&upright, &whole}) {
        reading->requested -= start.requested;
        reading->fromDisk -= start.fromDisk;
    }
    if (start.status != 0 || upright.status != 0 || whole.status != 0) {
        std::fprintf(stderr, "upright_bench: a run failed (%d, %d)\n", upright.status, whole.status);
        return 1;
    }
    std::printf("%d upright photos of 6000 x 4000, %.1f MB each; page cache %s\n", photos, photo.size() / 1e6,
                cold ? "dropped before each run" : "NOT dropped (not permitted here): disk reads may show 0");
    std::printf("the program's own start, taken off below: %.1f KB asked, %.1f KB from disk\n", start.requested / 1024.0,
                start.fromDisk / 1024.0);
    report("--auto (nothing to turn)", upright, photos);
    report("--info (each file read whole)", whole, photos);
    std::printf("goal: under 256 KB read per upright photo\n");
    return 0;
}
