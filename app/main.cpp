// Start-up of the window: the settings store under the company key, the main dialog, and
// either the launch with the path on the command line or the dialog's own event loop.
#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/main_dialog.h"
#include "app/screenshot_tour.h"
#include "app/shell/display_check.h"
#include "app/shell/launch_path.h"
#include "platform/qt/qt_settings_store.h"

namespace {

const char* const kCompanyKey = "Velmora";

std::string executableBaseName(const char* argv0) {
    return QFileInfo(QString::fromLocal8Bit(argv0)).completeBaseName().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("pivora %s\n", PIVORA_VERSION);
        return 0;
    }
    if (!shell::hasDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"))) {
        std::fputs(shell::noDisplayMessage().c_str(), stderr);
        return 2;
    }
    const std::string application = executableBaseName(argv[0]);
    QApplication app(argc, argv);
    // What is left after the toolkit took its own options (-style and the like) out.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    QApplication::setOrganizationName(kCompanyKey);
    QApplication::setApplicationName(QString::fromStdString(application));
    QApplication::setWindowIcon(pivoraIcon());
    QGuiApplication::setDesktopFileName("pivora");  // the desktop entry, for the icon a compositor shows
    platform::QtSettingsStore settings(kCompanyKey, QString::fromStdString(application));

    MainDialogServices services;
    services.settings = &settings;
    MainDialog dialog(services);
    const std::string commandLine = shell::commandLineText(arguments);
    if (const char* tourFolder = std::getenv(kScreenshotTourVariable)) {
        return runScreenshotTour(dialog, tourFolder, commandLine);
    }
    if (dialog.launch(commandLine)) return 0;
    dialog.exec();
    return 0;
}
