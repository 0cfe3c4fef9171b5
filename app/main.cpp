// Start-up of the window: the arguments, the settings store under the company key, the main
// dialog, and either the launch with the path on the command line or the dialog's own event loop.
#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/main_dialog.h"
#include "app/screenshot_tour.h"
#include "app/shell/display_check.h"
#include "app/shell/start_arguments.h"
#include "platform/path_kind.h"
#include "platform/qt/message_box_sink.h"
#include "platform/qt/qt_settings_store.h"

namespace {

const char* const kCompanyKey = "Velmora";

std::string executableBaseName(const char* argv0) {
    return QFileInfo(QString::fromLocal8Bit(argv0)).completeBaseName().toStdString();
}

shell::StartRequest startRequest(int argc, char** argv) {
    return shell::parseStartArguments(std::vector<std::string>(argv + 1, argv + argc), platform::classifyPath);
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display, and neither does a usage error without one. The toolkit's
    // own options (-style and the like) are known only once it has started, so with a display the
    // arguments are read again after it took them out.
    const shell::StartRequest early = startRequest(argc, argv);
    if (early.action == shell::StartAction::Help) {
        std::fputs(shell::helpText().c_str(), stdout);
        return 0;
    }
    if (early.action == shell::StartAction::Version) {
        std::fputs(shell::versionText(PIVORA_VERSION).c_str(), stdout);
        return 0;
    }
    if (!shell::hasDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"))) {
        const bool usageError = early.action == shell::StartAction::UsageError;
        std::fputs((usageError ? shell::usageText(early.problem) : shell::noDisplayMessage()).c_str(), stderr);
        return 2;
    }
    const std::string application = executableBaseName(argv[0]);
    QApplication app(argc, argv);
    const shell::StartRequest request = startRequest(argc, argv);
    QApplication::setOrganizationName(kCompanyKey);
    QApplication::setApplicationName(QString::fromStdString(application));
    QApplication::setWindowIcon(pivoraIcon());
    QGuiApplication::setDesktopFileName("pivora");  // the desktop entry, for the icon a compositor shows
    if (request.action == shell::StartAction::UsageError) {
        const std::string usage = shell::usageText(request.problem);
        std::fputs(usage.c_str(), stderr);
        platform::MessageBoxSink(nullptr).show(usage, platform::MessageIcon::Warning);
        return 2;
    }
    platform::QtSettingsStore settings(kCompanyKey, QString::fromStdString(application));

    MainDialogServices services;
    services.settings = &settings;
    MainDialog dialog(services);
    if (const char* tourFolder = std::getenv(kScreenshotTourVariable)) {
        return runScreenshotTour(dialog, tourFolder, request.path);
    }
    if (request.action == shell::StartAction::Launch) return dialog.launch(request.path);
    if (request.action == shell::StartAction::Review) return dialog.launchReview(request.path);
    dialog.exec();
    return 0;
}
