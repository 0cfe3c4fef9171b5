#pragma once
// A private folder in the system's temporary directory for the two thumbnail files of one
// photograph, so that no other user can guess their names and plant a link there.

#include <string>

class ThumbnailFolder {
public:
    ThumbnailFolder() = default;
    ~ThumbnailFolder();  // removes both files and the folder
    ThumbnailFolder(const ThumbnailFolder&) = delete;
    ThumbnailFolder& operator=(const ThumbnailFolder&) = delete;

    // Creates "th" + six random characters, mode 0700, under $TMPDIR or /tmp. true on success.
    bool create();
    // The thumbnail as exported (".thi") and as transformed (".tho").
    std::string inputPath() const { return path_ + "/th.thi"; }
    std::string outputPath() const { return path_ + "/th.tho"; }

private:
    std::string path_;
};
