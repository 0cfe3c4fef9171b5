#pragma once
// Folder tests and the "InitDir" rules of the one-file and folder commands.

#include <string>

namespace shell {

// Makes `path` the current directory: 0 done (an empty path counts as done), 2 bad folder.
// (Code 1, a bad drive, does not occur on this platform.)
int enterFolder(const std::string& path);

// Whether `path` could be made the current directory; the current directory is left as it was.
bool canEnterFolder(const std::string& path);

// Whether the folder chooser may confirm `path`: it is a folder, or a symbolic link to one (the
// folder run then resolves it once, at its top).
bool isChoosableFolder(const std::string& path);

// The start folder of the folder chooser for a stored "InitDir": the text itself when it can
// be entered, else the text cut at its last "/" (a text without "/" stays as it is).
std::string folderChooserStart(const std::string& initDir);

// The "InitDir" stored after a file was chosen: its folder with the trailing "/".
std::string initDirForChosenFile(const std::string& filePath);

}  // namespace shell
