#pragma once
// The modeless window shown during every run: the file in hand, a progress bar, how many files
// are done ("12 of 340"), the time left once it can be told, how many could not be turned so
// far, "Please wait ..." and Cancel. Cancel (the button, Escape, the close control) only asks
// the run to start no further file; the window stays until its run ends.

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <string>

#include "app/shell/run_window.h"
#include "platform/status_line.h"

class StatusWindow : public QDialog, public platform::StatusLine {
    Q_OBJECT
public:
    // `cancelRun` asks the run in progress to stop.
    StatusWindow(QWidget* owner, std::function<void()> cancelRun);

    // Sets the status line (control 1000) and repaints it at once.
    void show(const std::string& text) override;
    using QDialog::show;
    // The bar, "12 of 340", the time left, the failures so far, and "Processing file PATH" for
    // the file in hand (the line stays when there is none).
    void showProgress(const shell::ShownProgress& progress);

    QString statusText() const { return statusText_; }
    QString countText() const { return count_->text(); }
    QString timeLeftText() const { return timeLeft_->text(); }
    QString failedText() const { return failed_->text(); }
    QProgressBar* progressBar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void reject() override;  // the cancel command: asks the run to stop, nothing else

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showElided();

    QLabel* statusLine_;
    QProgressBar* bar_;
    QLabel* count_;
    QLabel* timeLeft_;
    QLabel* failed_;
    QPushButton* cancel_;
    QString statusText_;
    std::function<void()> cancelRun_;
};
