#include "app/dialog_choosers.h"

#include "app/file_chooser.h"
#include "app/folder_chooser.h"

std::optional<std::string> DialogChoosers::chooseJpegFile(const std::string& initialFolder) {
    return ::chooseJpegFile(owner_.data(), initialFolder);
}

std::optional<std::string> DialogChoosers::chooseFolder(const std::string& startFolder) {
    return ::chooseFolder(owner_.data(), startFolder);
}
