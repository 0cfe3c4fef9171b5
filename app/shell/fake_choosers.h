#pragma once
// Choosers for tests: give scripted answers and record where they were asked to start.

#include <optional>
#include <string>
#include <vector>

#include "app/shell/choosers.h"

namespace shell {

class FakeChoosers : public Choosers {
public:
    std::optional<std::string> chooseJpegFile(const std::string& initialFolder) override {
        fileStarts.push_back(initialFolder);
        return fileAnswer;
    }
    std::optional<std::string> chooseFolder(const std::string& startFolder) override {
        folderStarts.push_back(startFolder);
        return folderAnswer;
    }

    std::optional<std::string> fileAnswer;    // nullopt: the user cancels
    std::optional<std::string> folderAnswer;  // nullopt: the user cancels
    std::vector<std::string> fileStarts;
    std::vector<std::string> folderStarts;
};

}  // namespace shell
