#include <cstdio>
#include <cstring>

#include "cli/commands.h"

namespace {

const char* const kHelp =
    "Usage: pivora-cli [--backup] [--subfolders] [--keep-times] PATH...\n"
    "       pivora-cli --transcode IN OUT [--transform NAME] [--trim] [--gray] [--copy none|comments|all]\n"
    "                  [--optimize]\n"
    "       pivora-cli --info [--tags] FILE...\n"
    "       pivora-cli --help | --version\n"
    "\n"
    "Turns JPEG photographs a quarter turn counter-clockwise without re-encoding them.\n"
    "The Exif thumbnail is turned too; the Exif block and the comment are kept.\n"
    "\n"
    "Rotating (the default verb):\n"
    "  PATH             a JPEG file, or a folder whose files ending in JPG (any case) are rotated\n"
    "  --backup         keep the untouched file as PATH.bak\n"
    "  --subfolders     descend into subfolders of a folder\n"
    "  --keep-times     restore the file times instead of setting them to the Exif date\n"
    "\n"
    "Transcoding one file (IN is never removed; when OUT is IN, the untouched file is kept as IN.bak).\n"
    "OUT is coded as IN was: progressive, arithmetic coding and the restart interval are kept.\n"
    "  --transform NAME rotate 90, rotate 180, rotate 270 (default), flip horizontal,\n"
    "                   flip vertical, transpose, transverse or none\n"
    "  --trim           drop partial edge blocks that cannot be moved exactly\n"
    "  --gray           write the luminance only\n"
    "  --copy WHICH     markers to copy from the input: none, comments or all (default)\n"
    "  --optimize       Huffman tables computed for the picture: usually a few percent smaller,\n"
    "                   and takes about twice as long (0.55 s instead of 0.3 s for 24 megapixels)\n"
    "\n"
    "Information:\n"
    "  --info FILE...   print what the Exif block says, one JSON object per file\n"
    "  --tags           list every Exif tag instead\n"
    "\n"
    "A lone -- ends the options, so that a path may begin with '-'.\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be handled, 2 usage error.\n";

}  // namespace

int usageError(const std::string& message) {
    std::fprintf(stderr, "pivora-cli: %s\nTry 'pivora-cli --help' for more information.\n", message.c_str());
    return 2;
}

int main(int argc, char** argv) {
    Arguments args(argv + 1, argv + argc);
    if (args.empty()) return usageError("no path given");
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("pivora-cli %s\n", PIVORA_VERSION);
        return 0;
    }
    if (first == "--transcode") return runTranscodeCommand(Arguments(args.begin() + 1, args.end()));
    if (first == "--info") return runInfoCommand(Arguments(args.begin() + 1, args.end()));
    return runRotateCommand(args);
}
