#include "app/status_window.h"

#include <QCloseEvent>
#include <QScreen>

#include "app/dialog_units.h"
#include "platform/qt/screen_fit.h"
#include "workflow/run_messages.h"
#include "workflow/run_state.h"

StatusWindow::StatusWindow(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Pivora - Status");
    setObjectName("statusWindow");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    DialogLayout layout(this);
    count_ = layout.place(new QLabel(this), {3, 4, 355, 10}, true);
    count_->setObjectName("count");
    count_->setAlignment(Qt::AlignCenter);
    statusLine_ = layout.place(new QLabel(this), {3, 16, 355, 10}, true);
    statusLine_->setObjectName("statusLine");
    statusLine_->setProperty("controlId", 1000);
    statusLine_->setAlignment(Qt::AlignCenter);

    auto* wait = layout.place(new QLabel("Please wait ...", this), {120, 36, 120, 12});
    wait->setObjectName("pleaseWait");
    wait->setAlignment(Qt::AlignCenter);

    cancel_ = layout.place(new QPushButton("Cancel", this), {149, 55, 61, 16});
    cancel_->setObjectName("cancel");
    cancel_->setProperty("controlId", 2);
    cancel_->setAutoDefault(false);  // Enter has no role here
    layout.apply(361, 86);
    connect(cancel_, &QPushButton::clicked, this, &StatusWindow::reject);
}

void StatusWindow::show(const std::string& text) {
    statusText_ = QString::fromStdString(text);
    showElided();
    // No events are handled while a file is worked on, so paint now.
    statusLine_->repaint();
}

void StatusWindow::showProgress(std::size_t done, std::size_t total, const std::string& fileInHand) {
    count_->setText(QString("%1 of %2").arg(done).arg(total));
    if (!fileInHand.empty()) show(processingFileText(fileInHand));
}

void StatusWindow::showElided() {
    // The middle of a long path goes, so the file name stays readable.
    statusLine_->setText(statusLine_->fontMetrics().elidedText(statusText_, Qt::ElideMiddle, statusLine_->width()));
}

void StatusWindow::reject() { cancelRequested = 1; }

void StatusWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void StatusWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    count_->clear();  // a new run; the file line keeps the last file until the run writes its own
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
