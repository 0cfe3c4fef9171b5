#pragma once
// Whether the window can be shown at all: a desktop session names its display in the environment.

#include <string>

namespace shell {

// True when any of DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set to a non-empty value
// (each argument is the variable's value, or null when unset).
bool hasDisplay(const char* display, const char* waylandDisplay, const char* qtPlatform);

// The message printed on standard error when there is no display; it points to pivora-cli.
std::string noDisplayMessage();

}  // namespace shell
