#pragma once
// A tour of the windows for the documentation: with PIVORA_SCREENSHOT_TOUR set to a folder,
// pivora saves pictures of its main window, about box, help window, status window during a
// run on the command-line folder, the run's result message, the message of the first file of
// that run that could not be rotated, and the whole screen with the about box over the main
// window; with PIVORA_SCREENSHOT_REVIEW set to a folder of the drawn sample photos, the review
// window of that folder with a user's choices made, and one of its photos large; then exits.

#include <string>

class MainDialog;

inline constexpr const char* kScreenshotTourVariable = "PIVORA_SCREENSHOT_TOUR";
inline constexpr const char* kScreenshotReviewVariable = "PIVORA_SCREENSHOT_REVIEW";

// 0 when every picture was saved, 1 otherwise.
int runScreenshotTour(MainDialog& dialog, const std::string& outputFolder, const std::string& photoFolder);
