#include "app/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/dialog_units.h"
#include "platform/qt/screen_fit.h"

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle("Pivora Help");
    setObjectName("helpWindow");
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(DialogUnits(font()).size(300, 280));
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    platform::fitOnScreen(*this);
}

void HelpWindow::showDocument(const QStringList& candidates) {
    shownFile_.clear();
    for (const QString& candidate : candidates) {
        QFile file(candidate);
        if (file.open(QIODevice::ReadOnly)) {
            shownFile_ = candidate;
            browser_->setSearchPaths({QFileInfo(candidate).absolutePath()});
            browser_->setHtml(QString::fromUtf8(file.readAll()));
            break;
        }
    }
    if (shownFile_.isEmpty()) {
        QString list;
        for (const QString& candidate : candidates) list += "<li>" + candidate.toHtmlEscaped() + "</li>";
        browser_->setHtml("<h2>Help is not installed</h2><p>The help document was looked for here:</p><ul>" + list +
                          "</ul>");
    }
    browser_->moveCursor(QTextCursor::Start);
    browser_->verticalScrollBar()->setValue(0);
    show();
    raise();
    activateWindow();
}
