#pragma once
// Small file helpers for tests: whole-file reads and writes and a private temporary folder.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

std::vector<std::uint8_t> readFile(const std::string& path);   // throws when the file cannot be read
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);  // throws on failure
bool fileExists(const std::string& path);
std::vector<std::string> listFolder(const std::string& path);  // entry names, sorted, without . and ..

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace testsupport
