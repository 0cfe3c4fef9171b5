#include "app/screenshot_tour.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/help_window.h"
#include "app/large_view.h"
#include "app/main_dialog.h"
#include "app/review_window.h"
#include "app/status_window.h"
#include "platform/qt/message_box_sink.h"

namespace {

// A result message may offer more than OK (Undo this run, Resume): only OK closes it, whether it
// is the standard button or one of the message's own.
void closeWithOk(QMessageBox* box) {
    for (QAbstractButton* button : box->buttons()) {
        if (box->standardButton(button) == QMessageBox::Ok || button->text().remove('&') == "OK") {
            button->click();
            return;
        }
    }
    box->reject();
}

class Tour {
public:
    explicit Tour(const std::string& folder) : folder_(QString::fromStdString(folder)) {}

    void shoot(QWidget* window, const QString& name) { save(window ? window->grab() : QPixmap(), name); }
    // The whole screen, as the user sees it: where the windows lie on it.
    void shootScreen(const QString& name) {
        QCoreApplication::processEvents();
        QScreen* screen = QGuiApplication::primaryScreen();
        save(screen ? screen->grabWindow(0) : QPixmap(), name);
    }
    // Shoots the next modal window that comes up (or the whole screen then), then closes it.
    void shootNextModal(const QString& name, bool wholeScreen = false) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [this, poll, name, wholeScreen] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            poll->stop();
            poll->deleteLater();
            if (wholeScreen) {
                shootScreen(name);
            } else {
                shoot(modal, name);
            }
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                closeWithOk(box);
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->accept();
            }
        });
        poll->start(20);
    }
    bool failed() const { return failed_; }

    // Saves `picture` as NAME.png in the tour's folder; a null picture counts as a failure.
    void save(const QPixmap& picture, const QString& name) {
        QCoreApplication::processEvents();
        const QString path = folder_ + "/" + name + ".png";
        const bool saved = !picture.isNull() && picture.save(path);
        failed_ = failed_ || !saved;
        std::printf("%s %s\n", saved ? "saved" : "failed:", qPrintable(path));
    }

private:
    QString folder_;
    bool failed_ = false;
};

// Waits (handling events) until the review has every tile in view and every photo's facts.
bool settle(const ReviewWindow& review) {
    for (int tick = 0; tick < 1000 && !review.settled(); ++tick) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return review.settled();
}

void pick(ReviewWindow& review, const std::string& name) {
    const shell::ReviewPlan& plan = review.plan();
    for (std::size_t photo = 0; photo < plan.size(); ++photo) {
        const std::string& path = plan.photo(photo).planned.path;
        if (path.size() < name.size() || path.compare(path.size() - name.size(), name.size(), name) != 0) continue;
        const QModelIndex index = review.grid()->model()->index(review.rowOf(photo), 0);
        review.grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        return;
    }
}

// The review of a folder of drawn landscapes, some stored sideways, with the choices a user would
// make on those the quarter turn does not suit; then one photo large.
void shootReview(Tour& tour, MainDialog& dialog, const std::string& folder) {
    platform::MessageBoxSink messages(&dialog);
    ReviewServices services;
    services.messages = &messages;
    services.rotate = [](const PlannedPhoto&, const ProcessingOptions&, const RunContext&) {
        return refusal(RefusalReason::WriteFailed, "the tour turns nothing");
    };
    ReviewWindow review(folder, dialog.options(), services, &dialog);
    review.show();
    settle(review);
    const struct { const char* name; std::vector<shell::ReviewChoice> choices; } choices[] = {
        {"IMG_0102.jpg", {shell::ReviewChoice::Leave}},
        {"IMG_0105.jpg", {shell::ReviewChoice::Leave}},
        {"IMG_0106.jpg", {shell::ReviewChoice::Leave}},
        {"IMG_0104.jpg", {shell::ReviewChoice::TurnRight, shell::ReviewChoice::TurnRight}},
    };
    for (const auto& choice : choices) {
        pick(review, choice.name);
        for (shell::ReviewChoice each : choice.choices) review.choose(each);
    }
    settle(review);
    tour.shoot(&review, "review-window");
    pick(review, "IMG_0101.jpg");
    review.showLarge();
    settle(review);
    tour.shoot(&review, "review-large");
    review.showGrid();
}

}  // namespace

int runScreenshotTour(MainDialog& dialog, const std::string& outputFolder, const std::string& photoFolder) {
    Tour tour(outputFolder);
    dialog.show();
    tour.shoot(&dialog, "main-window");

    tour.shootNextModal("about-box");
    dialog.showAbout();
    tour.shootNextModal("screen", true);
    dialog.showAbout();

    dialog.showHelp();
    tour.shoot(dialog.helpWindow(), "help-window");
    dialog.helpWindow()->close();

    // The status window is taken during the run, in the pumps between files: the last picture
    // that tells the time left (and the failures so far, once there are any) is kept.
    QTimer statusShot;
    QPixmap statusPicture;
    int statusScore = -1;
    QObject::connect(&statusShot, &QTimer::timeout, [&] {
        StatusWindow* status = dialog.statusWindow();
        if (!status->isVisible() || status->statusText().isEmpty()) return;
        if (statusScore < 0) tour.shootNextModal("run-result");
        const int score = (status->timeLeftText().isEmpty() ? 0 : 2) + (status->failedText().isEmpty() ? 0 : 1);
        if (score < statusScore) return;
        statusScore = score;
        statusPicture = status->grab();
    });
    statusShot.start(0);
    dialog.launch(photoFolder);
    statusShot.stop();
    tour.save(statusPicture, "status-window");

    // A file of that run that could not be rotated, run alone.
    const std::vector<RunFailure>& failures = dialog.commands().counters().failures;
    if (failures.empty()) {
        tour.shoot(nullptr, "failure-message");
    } else {
        tour.shootNextModal("failure-message");
        dialog.launch(failures.front().path);
    }
    if (const char* reviewFolder = std::getenv(kScreenshotReviewVariable)) shootReview(tour, dialog, reviewFolder);
    return tour.failed() ? 1 : 0;
}
