#include "app/shell/display_check.h"

namespace shell {
namespace {

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

bool hasDisplay(const char* display, const char* waylandDisplay, const char* qtPlatform) {
    return isSet(display) || isSet(waylandDisplay) || isSet(qtPlatform);
}

std::string noDisplayMessage() {
    return "pivora: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
           "To rotate photos from a terminal, use the console program instead:\n"
           "    pivora-cli [--backup] [--subfolders] [--keep-times] PATH...\n";
}

}  // namespace shell
