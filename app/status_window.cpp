#include "app/status_window.h"

#include <QCloseEvent>
#include <QScreen>
#include <algorithm>
#include <climits>

#include "app/dialog_units.h"
#include "app/shell/progress_text.h"
#include "platform/qt/screen_fit.h"
#include "workflow/run_messages.h"

StatusWindow::StatusWindow(QWidget* owner, std::function<void()> cancelRun)
    : QDialog(owner), cancelRun_(std::move(cancelRun)) {
    setWindowTitle("Pivora - Status");
    setObjectName("statusWindow");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    DialogLayout layout(this);
    const auto label = [&](const char* name, const QRect& place, Qt::Alignment alignment) {
        QLabel* made = layout.place(new QLabel(this), place, true);
        made->setObjectName(name);
        made->setAlignment(alignment);
        return made;
    };
    statusLine_ = label("statusLine", {3, 4, 355, 10}, Qt::AlignCenter);
    statusLine_->setProperty("controlId", 1000);
    bar_ = layout.place(new QProgressBar(this), {3, 17, 355, 10}, true);
    bar_->setObjectName("progress");
    count_ = label("count", {3, 30, 170, 10}, Qt::AlignLeft | Qt::AlignVCenter);
    timeLeft_ = label("timeLeft", {188, 30, 170, 10}, Qt::AlignRight | Qt::AlignVCenter);
    failed_ = label("failed", {3, 42, 355, 10}, Qt::AlignCenter);

    auto* wait = layout.place(new QLabel("Please wait ...", this), {120, 56, 120, 12});
    wait->setObjectName("pleaseWait");
    wait->setAlignment(Qt::AlignCenter);

    cancel_ = layout.place(new QPushButton("Cancel", this), {149, 72, 61, 16});
    cancel_->setObjectName("cancel");
    cancel_->setProperty("controlId", 2);
    cancel_->setAutoDefault(false);  // Enter has no role here
    layout.apply(361, 94);
    connect(cancel_, &QPushButton::clicked, this, &StatusWindow::reject);
}

void StatusWindow::show(const std::string& text) {
    statusText_ = QString::fromStdString(text);
    showElided();
    // No events are handled while a file is worked on, so paint now.
    statusLine_->repaint();
}

void StatusWindow::showProgress(const shell::ShownProgress& progress) {
    bar_->setRange(0, static_cast<int>(std::min<std::size_t>(progress.total, INT_MAX)));
    bar_->setValue(static_cast<int>(std::min<std::size_t>(progress.done, INT_MAX)));
    count_->setText(QString("%1 of %2").arg(progress.done).arg(progress.total));
    timeLeft_->setText(QString::fromStdString(progress.timeLeft));
    failed_->setText(QString::fromStdString(shell::failedSoFarText(progress.failed)));
    if (!progress.fileInHand.empty()) show(processingFileText(progress.fileInHand));
}

void StatusWindow::showElided() {
    // The middle of a long path goes, so the file name stays readable.
    statusLine_->setText(statusLine_->fontMetrics().elidedText(statusText_, Qt::ElideMiddle, statusLine_->width()));
}

void StatusWindow::reject() {
    if (cancelRun_) cancelRun_();
}

void StatusWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void StatusWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A new run: the bar runs to and fro while the run lists its files; the file line keeps the
    // last file until the run writes its own.
    for (QLabel* line : {count_, timeLeft_, failed_}) line->clear();
    bar_->setRange(0, 0);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    platform::fitOnScreen(*this);
}

void StatusWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    showElided();
}
