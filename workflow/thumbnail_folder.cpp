#include "workflow/thumbnail_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

bool ThumbnailFolder::create() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/thXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return false;
    path_ = name.data();
    return true;
}

ThumbnailFolder::~ThumbnailFolder() {
    if (path_.empty()) return;
    ::unlink(inputPath().c_str());
    ::unlink(outputPath().c_str());
    ::rmdir(path_.c_str());
}
