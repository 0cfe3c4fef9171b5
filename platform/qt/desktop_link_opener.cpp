#include "platform/qt/desktop_link_opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cstdlib>
#include <utility>

#include "platform/browser_command.h"

namespace platform {
namespace {

bool openOnDesktop(const std::string& link) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(link)));
}

std::string browserFromEnvironment() {
    const char* value = std::getenv("BROWSER");
    return value ? value : "";
}

}  // namespace

DesktopLinkOpener::DesktopLinkOpener()
    : DesktopLinkOpener(openOnDesktop, browserFromEnvironment(), &DesktopLinkOpener::startDetached) {}

DesktopLinkOpener::DesktopLinkOpener(DesktopOpen desktopOpen, std::string browserVariable, ProgramStart start)
    : desktopOpen_(std::move(desktopOpen)), browserVariable_(std::move(browserVariable)), start_(std::move(start)) {}

LinkResult DesktopLinkOpener::open(const std::string& link) {
    if (desktopOpen_(link)) return LinkResult::Opened;
    LinkResult result = LinkResult::NoProgram;
    for (const std::string& command : browserCommands(browserVariable_)) {
        // The link goes in as one argument of its own, so blanks or quotes in it are never re-split.
        QStringList words = QProcess::splitCommand(QString::fromStdString(browserCommandPrefix(command)));
        if (words.isEmpty()) continue;
        const QString program = words.takeFirst();
        words << QString::fromStdString(link);
        result = start_(program, words);
        if (result == LinkResult::Opened) return result;
    }
    return result;
}

LinkResult DesktopLinkOpener::startDetached(const QString& program, const QStringList& arguments) {
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.exists()) return LinkResult::ProgramNotFound;
    if (!info.isFile() || !info.isExecutable()) return LinkResult::NotExecutable;
    QProcess process;
    process.setProgram(found);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached() ? LinkResult::Opened : LinkResult::DidNotStart;
}

}  // namespace platform
