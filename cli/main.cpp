#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/run_signals.h"
#include "workflow/program_notice.h"

namespace {

const char* const kHelp =
    "Usage: pivora-cli [--backup] [--trash] [--subfolders] [--hidden] [--keep-times] [--auto | --turn NAME]\n"
    "                  [--again] [--perfect] [--dry-run [--json]] [--optimize] [--jobs N] PATH...\n"
    "       pivora-cli --apply PLAN [--backup] [--trash] [--keep-times] [--perfect] [--dry-run] [--optimize] [--jobs N]\n"
    "       pivora-cli --undo [RUN]\n"
    "       pivora-cli --list-runs\n"
    "       pivora-cli --transcode IN OUT [--transform NAME] [--trim] [--gray] [--copy none|comments|all]\n"
    "                  [--optimize] [--force]\n"
    "       pivora-cli --info [--tags] FILE...\n"
    "       pivora-cli --help | --version\n"
    "\n"
    "Turns JPEG photographs a quarter turn counter-clockwise without re-encoding them.\n"
    "The Exif thumbnail is turned too; the Exif block and the comment are kept.\n"
    "\n"
    "Rotating (the default verb). Where a picture's width or height is not a whole number of JPEG\n"
    "blocks, the edge strip that cannot be moved exactly (less than one block) is dropped, so that\n"
    "the picture is always the exact turn of the original; its line says so. The coding, every\n"
    "segment, the bytes after the picture and the further pictures of a multi-picture file are kept,\n"
    "turned where needed. A second run turns the photos again (but --auto finds them upright).\n"
    "  PATH             a JPEG file, or a folder whose files named *.jpg or *.jpeg (any case) are\n"
    "                   rotated in name order; hidden ones (.name) and photos with several names\n"
    "                   (hard links) are not\n"
    "  --backup         keep the untouched file as PATH.bak\n"
    "  --trash          keep the untouched file in the Trash, where a file manager can restore it\n"
    "                   (with --backup, in both places)\n"
    "  --subfolders     descend into subfolders of a folder\n"
    "  --hidden         take hidden files and folders of a folder too\n"
    "  --keep-times     restore the file times instead of setting them to the Exif date\n"
    "  --turn NAME      turn every photo this way instead: a name that --transform takes\n"
    "  --auto           turn each photo upright by its Exif Orientation and set the tag to 1, so\n"
    "                   that every viewer shows it upright; photos without one, or already upright,\n"
    "                   are left as they were\n"
    "  --again          turn also the photos an earlier run turned and that are unchanged since;\n"
    "                   without it they are left as they are, with a line saying so\n"
    "  --perfect        refuse, untouched, photos that would lose an edge strip\n"
    "  --dry-run        print what would be done to each photo, from its header alone (damaged\n"
    "                   picture data is found only by the turn); change nothing\n"
    "  --json           with --dry-run: print the plan, one JSON object a line (path, turn, upright,\n"
    "                   reason, orientation, stored, edgeStrip, refusal, outcome)\n"
    "  --apply PLAN     turn the photos of a plan file (- for standard input) as each line's path,\n"
    "                   turn and upright say; a line that cannot be read turns nothing\n"
    "  --optimize       compute optimized Huffman tables, which makes most camera photos smaller\n"
    "                   than they were; the turn takes a few percent longer\n"
    "  --jobs N         turn N photos at once (default: one for each core)\n"
    "\n"
    "One result line per photo goes to standard output; where standard error is a terminal, one\n"
    "line there says how far the run is and how long it may still take.\n"
    "Ctrl-C, SIGTERM or SIGHUP stop the run: no further photo starts, the photos in hand are left as\n"
    "they were, the summary is printed; a second one ends the program at once. A photo that would\n"
    "outgrow the file size limit (ulimit -f) is refused and left as it was. When standard output\n"
    "is closed (a pipe whose reader has gone), the run ends quietly. Every photo stays whole.\n"
    "\n"
    "Every run but a dry run is recorded in a journal in $XDG_STATE_HOME/pivora/runs (by default\n"
    "~/.local/state/pivora/runs), one file per run, kept for 90 days: when, in which mode, and for\n"
    "each photo the turn, where its original was kept, and what recognises the turned file.\n"
    "  --undo [RUN]     put back every photo of that run (the last one when RUN is not given) that is\n"
    "                   unchanged since: from its backup or the Trash byte for byte with its times,\n"
    "                   else by the inverse turn, exactly, where the turn dropped no edge strip.\n"
    "                   Photos changed since, or trimmed with no original kept, are left and named\n"
    "  --list-runs      list the recorded runs: name (for --undo), time, mode and counts\n"
    "\n"
    "Transcoding one file (IN is never removed; when OUT is IN, the untouched file is kept as IN.bak).\n"
    "OUT is coded as IN was: progressive, arithmetic coding and the restart interval are kept.\n"
    "An existing OUT other than IN is replaced only with --force.\n"
    "  --transform NAME rotate 90, rotate 180, rotate 270 (default), flip horizontal,\n"
    "                   flip vertical, transpose, transverse or none\n"
    "  --trim           drop partial edge blocks that cannot be moved exactly\n"
    "  --gray           write the luminance only\n"
    "  --copy WHICH     markers to copy from the input: none, comments or all (default)\n"
    "  --optimize       Huffman tables computed for the picture: usually a few percent smaller,\n"
    "                   for a few percent more time\n"
    "  --force          replace an existing OUT\n"
    "\n"
    "Information:\n"
    "  --info FILE...   print what the Exif block says, one JSON object per file\n"
    "  --tags           list every Exif tag instead\n"
    "\n"
    "A lone -- ends the options, so that a path may begin with '-'. Control characters in names\n"
    "are printed escaped (\\n, \\t, \\x1b, and \\\\ for a backslash), as is each byte that is not\n"
    "UTF-8 (\\xe9), so that every result takes one line.\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be handled or the run was interrupted,\n"
    "2 usage error.\n";

}  // namespace

int usageError(const std::string& message) {
    console().note(message);
    std::fputs("Try 'pivora-cli --help' for more information.\n", stderr);
    return 2;
}

int printHelp() {
    std::fputs(kHelp, stdout);
    return 0;
}

// The verb is chosen by the first arguments; whatever follows it is the verb's own.
int main(int argc, char** argv) {
    refuseWritesPastSizeLimit();
    CLI::App program{"", "pivora-cli"};
    program.set_help_flag();  // the main job answers --help, wherever it stands
    bool transcode = false, info = false, version = false, undo = false, listRuns = false;
    CLI::Option* transcodeFlag = program.add_flag("--transcode", transcode);
    CLI::Option* infoFlag = program.add_flag("--info", info);
    CLI::Option* versionFlag = program.add_flag("--version", version);
    CLI::Option* undoFlag = program.add_flag("--undo", undo);
    CLI::Option* listRunsFlag = program.add_flag("--list-runs", listRuns);
    transcodeFlag->excludes(infoFlag)->excludes(versionFlag)->excludes(undoFlag)->excludes(listRunsFlag);
    infoFlag->excludes(versionFlag)->excludes(undoFlag)->excludes(listRunsFlag);
    undoFlag->excludes(versionFlag)->excludes(listRunsFlag);
    listRunsFlag->excludes(versionFlag);
    program.prefix_command();  // stop at the first argument that is not one of these
    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }
    const Arguments rest = program.remaining();
    if (version) {
        std::printf("pivora-cli %s\n", PIVORA_VERSION);
        std::fputs(versionNotice().c_str(), stdout);
        return 0;
    }
    if (transcode) return runTranscodeCommand(rest);
    if (info) return runInfoCommand(rest);
    if (undo) return runUndoCommand(rest);
    if (listRuns) return runListRunsCommand(rest);
    return runRotateCommand(rest);
}
