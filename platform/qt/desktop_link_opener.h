#pragma once
// Opens links through the desktop (QDesktopServices); when the desktop cannot, through the
// browser command named by the BROWSER environment variable.

#include <QStringList>
#include <functional>
#include <string>

#include "platform/link_opener.h"

namespace platform {

class DesktopLinkOpener : public LinkOpener {
public:
    // Asks the desktop to open a link: true when it did.
    using DesktopOpen = std::function<bool(const std::string& link)>;
    // Starts a program with arguments, not waiting for it.
    using ProgramStart = std::function<LinkResult(const QString& program, const QStringList& arguments)>;

    DesktopLinkOpener();  // the real desktop, BROWSER from the environment, detached processes
    DesktopLinkOpener(DesktopOpen desktopOpen, std::string browserVariable, ProgramStart start);

    LinkResult open(const std::string& link) override;

    // Starts `program` detached: Opened, ProgramNotFound when no such program is found,
    // NotExecutable when it cannot be executed, DidNotStart when it does not start.
    static LinkResult startDetached(const QString& program, const QStringList& arguments);

private:
    DesktopOpen desktopOpen_;
    std::string browserVariable_;
    ProgramStart start_;
};

}  // namespace platform
