#pragma once
// The modeless window shown during every run: how many files are done ("12 of 340"), the file
// in hand, "Please wait ..." and Cancel. Cancel (the button, Escape, the close control) only asks
// the run to start no further file; the window stays until its run ends.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "platform/status_line.h"

class StatusWindow : public QDialog, public platform::StatusLine {
    Q_OBJECT
public:
    explicit StatusWindow(QWidget* owner);

    // Sets the status line (control 1000) and repaints it at once.
    void show(const std::string& text) override;
    using QDialog::show;
    // "12 of 340" and "Processing file PATH" for the file in hand (the line stays when there is none).
    void showProgress(std::size_t done, std::size_t total, const std::string& fileInHand);

    QString statusText() const { return statusText_; }
    QString countText() const { return count_->text(); }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void reject() override;  // the cancel command: sets cancelRequested, nothing else

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showElided();

    QLabel* count_;
    QLabel* statusLine_;
    QPushButton* cancel_;
    QString statusText_;
};
