#include "app/screenshot_tour.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/help_window.h"
#include "app/main_dialog.h"
#include "app/status_window.h"

namespace {

class Tour {
public:
    explicit Tour(const std::string& folder) : folder_(QString::fromStdString(folder)) {}

    void shoot(QWidget* window, const QString& name) {
        if (!window) {
            failed_ = true;
            return;
        }
        QCoreApplication::processEvents();
        const QString path = folder_ + "/" + name + ".png";
        if (!window->grab().save(path)) failed_ = true;
        std::printf("%s %s\n", failed_ ? "failed:" : "saved", qPrintable(path));
    }
    // Shoots the next modal window that comes up, then closes it (message boxes with OK).
    void shootNextModal(const QString& name) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [this, poll, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            poll->stop();
            poll->deleteLater();
            shoot(modal, name);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->button(QMessageBox::Ok)->click();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->accept();
            }
        });
        poll->start(20);
    }
    bool failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
};

}  // namespace

int runScreenshotTour(MainDialog& dialog, const std::string& outputFolder, const std::string& photoFolder) {
    Tour tour(outputFolder);
    dialog.show();
    tour.shoot(&dialog, "main-window");

    tour.shootNextModal("about-box");
    dialog.showAbout();

    dialog.showHelp();
    tour.shoot(dialog.helpWindow(), "help-window");
    dialog.helpWindow()->close();

    // The status window is taken in the first pump of the run that follows a file.
    QTimer statusShot;
    QObject::connect(&statusShot, &QTimer::timeout, [&] {
        if (dialog.statusWindow()->statusText().isEmpty()) return;
        statusShot.stop();
        tour.shoot(dialog.statusWindow(), "status-window");
        tour.shootNextModal("run-result");
    });
    statusShot.start(0);
    dialog.launch(photoFolder);
    return tour.failed() ? 1 : 0;
}
