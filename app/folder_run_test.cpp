// Runs of the real window over folders of photographs: launched, chosen, dropped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <QCheckBox>
#include <QFile>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/status_window.h"
#include "app/testing/window_fixture.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace std::chrono_literals;
using windowtest::TestSettings;
using windowtest::Window;

// The photo was turned a quarter: the 64x48 camera photo is 48 wide now.
bool turned(const std::string& path) { return testsupport::readCoefficients(testsupport::readFile(path)).width == 48; }

// A drag of `paths` onto the window as a file manager makes it, which ends in a drop or leaves
// again; whether the window took it, and whether it was lit up while over it and after.
struct Drag {
    bool accepted = false, lit = false, litAfter = false;
};
Drag drag(MainDialog& window, const QStringList& paths, bool leave = false) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    paths.isEmpty() ? data.setText("not a file") : data.setUrls(urls);
    const QPoint centre = window.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    Drag seen;
    seen.accepted = enter.isAccepted();
    if (!seen.accepted) return seen;
    // The frame along the edge is drawn in the selection colour.
    seen.lit = window.dropHighlighted() &&
               window.grab().toImage().pixelColor(1, 1) == window.palette().color(QPalette::Highlight);
    if (leave) {
        QDragLeaveEvent left;
        QApplication::sendEvent(&window, &left);
    } else {
        QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &dropped);
    }
    seen.litAfter = window.dropHighlighted();
    return seen;
}

// Each folder holds a camera photo and a file that is no JPEG at all.
TEST(FolderRun, AFolderLaunchedOrDroppedHasItsPhotosTurnedAndItsFailureAndWhatItLeftOutNamed) {
    TestSettings settings("run-real");
    testsupport::TempDir launched, dropped;
    for (const testsupport::TempDir* folder : {&launched, &dropped}) {
        testsupport::writeFile(folder->file("a.jpg"), testsupport::makeCameraPhoto({}).jpeg);
        testsupport::writeFile(folder->file("broken.jpg"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    }
    const std::string notes = launched.file("notes.txt");
    testsupport::writeFile(notes, {'h', 'i'});
    Window window(settings.store());
    EXPECT_EQ(window.dialog->launch(launched.path()), 1);
    EXPECT_FALSE(QFile::exists(settings.store().location())) << "a launch stores nothing";

    MainDialog& dialog = *window.dialog;
    dialog.show();
    window.find<QCheckBox>("backup")->click();  // a drop runs with the switches as they stand
    const QString photos = QString::fromStdString(dropped.path()), other = QString::fromStdString(notes);
    EXPECT_FALSE(drag(dialog, {}).accepted);
    const Drag otherOnly = drag(dialog, {other}, true), folderLeft = drag(dialog, {photos}, true);
    EXPECT_TRUE(otherOnly.accepted && !otherOnly.lit) << "taken, to be named; but nothing in it lights the window";
    EXPECT_TRUE(folderLeft.lit && !folderLeft.litAfter);
    const Drag folderDropped = drag(dialog, {photos, other});
    EXPECT_TRUE(folderDropped.lit && !folderDropped.litAfter);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.messages.messages.size() == 2; }, 10000));
    EXPECT_EQ(dialog.focusWidget(), window.find<QWidget>("processOneFile")) << "the default command, after a drop";
    const std::string leftOut = "1 dropped item was left out:\n" + notes + ": not a JPEG file by its name\n\n";
    for (const testsupport::TempDir* folder : {&launched, &dropped}) {
        const platform::RecordedMessage& message = window.messages.messages[folder == &dropped];
        EXPECT_EQ(message.text, "\n\n2 files read, of which 1 files successfully rotated\n\n"
                                "1 file could not be rotated; the details name each with the reason\n\n" +
                                    (folder == &dropped ? leftOut : ""));
        EXPECT_EQ(message.details.rfind("Could not be rotated:\n" + folder->file("broken.jpg") + ": not a JPEG file", 0), 0u)
            << message.details;
        EXPECT_TRUE(turned(folder->file("a.jpg")));
        EXPECT_EQ(testsupport::fileExists(folder->file("a.jpg.bak")), folder == &dropped);
    }
    drag(dialog, {other});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.messages.messages.size() == 3; }, 10000));
    EXPECT_EQ(window.messages.texts().back(), "Nothing was turned.\n\n" + leftOut);
}

// A run's result offers to undo it, and its Trash entries go with the undo; the same folder run
// again asks first about the photos already turned: Cancel runs nothing, Skip them leaves them,
// Turn again turns them; "Undo last run" asks, then puts back the newest run.
TEST(FolderRun, ARunIsUndoneFromItsResultAndARunAgainAsksFirst) {
    TestSettings settings("run-undo");
    testsupport::TempDir photos;
    const std::string a = photos.file("a.jpg");
    const testsupport::Bytes original = testsupport::makeCameraPhoto({}).jpeg;
    testsupport::writeFile(a, original);
    Window window(settings.store());
    window.find<QCheckBox>("trashOriginal")->setChecked(true);
    window.choosers.folderAnswer = photos.path();
    window.messages.choices = {1};  // Undo this run
    window.dialog->processFolder();
    EXPECT_EQ(window.messages.buttons.at(0), (std::vector<std::string>{"OK", "Undo this run"}));
    EXPECT_EQ(testsupport::readFile(a), original);
    EXPECT_EQ(window.messages.texts().at(1), "\n1 photo put back as it was\n\n");
    EXPECT_EQ(window.messages.messages.at(1).details, "Put back:\n" + a + ": put back from the Trash\n");
    EXPECT_TRUE(testsupport::listFolder(window.home.file("data/Trash/files")).empty());

    window.find<QCheckBox>("trashOriginal")->setChecked(false);
    window.dialog->processFolder();  // the result's own buttons: OK
    const testsupport::Bytes once = testsupport::readFile(a);
    ASSERT_TRUE(turned(a));
    const std::size_t before = window.messages.messages.size();
    window.messages.choices = {2, 1, 0, 0};  // Cancel; Skip them; Turn again, then OK
    window.dialog->processFolder();
    ASSERT_EQ(window.messages.messages.size(), before + 1) << "Cancel runs nothing";
    EXPECT_EQ(window.messages.texts().back().rfind("1 of these photos was already turned on ", 0), 0u);
    EXPECT_EQ(window.messages.buttons.back(), (std::vector<std::string>{"Turn again", "Skip them", "Cancel"}));
    window.dialog->processFolder();
    EXPECT_EQ(testsupport::readFile(a), once);
    EXPECT_NE(window.messages.texts().back().find("1 file left as it was: an earlier run turned it"), std::string::npos);
    window.dialog->processFolder();
    EXPECT_FALSE(turned(a)) << "turned a second time: 64 wide again";

    window.messages.answer = true;
    window.dialog->undoLastRun();
    EXPECT_TRUE(turned(a)) << "the second turn undone, by its inverse";
    EXPECT_EQ(window.messages.questions.back().rfind("Put back the 1 photo that the run of ", 0), 0u);
}

TEST(StatusWindow, ShowsTheBarHowManyAreDoneTheTimeLeftAndTheFailuresSoFar) {
    StatusWindow status(nullptr, nullptr);
    status.show();
    EXPECT_EQ(status.progressBar()->maximum(), 0) << "to and fro while the run lists its files";
    status.showProgress({4, 200, 1, "about 2 minutes left", "/photos/a.jpg"});
    EXPECT_EQ(windowtest::shownTexts(status), (QStringList{"Processing file /photos/a.jpg", "4 of 200", "about 2 minutes left",
                                                          "1 could not be turned", "Please wait ...", "Cancel"}));
    EXPECT_EQ(std::make_pair(status.progressBar()->value(), status.progressBar()->maximum()), std::make_pair(4, 200));
    status.hide();
    status.show();
    EXPECT_EQ(windowtest::shownTexts(status).mid(1, 3), (QStringList{"", "", ""})) << "a new run starts blank";
}

// Closing the main window during a run asks first: No goes on, Yes cancels the run and closes
// the window once the run has ended. After a run the focus is on the command that started it.
TEST(FolderRun, WhileAPhotoIsTurnedTheWindowShowsTheProgressAndCancelOrClosingStopsTheRun) {
    TestSettings settings("run-cancel");
    testsupport::TempDir photos;
    for (int i = 0; i < 6; ++i) testsupport::writeFile(photos.file("p" + std::to_string(i) + ".jpg"), {0});
    std::atomic<int> handed{0}, holdAt{1};
    std::atomic<bool> release{false};
    // The photo `holdAt` takes until the window has been looked at and the run stopped.
    Window window(settings.store(), [&](const PlannedPhoto&, const ProcessingOptions&, const RunContext&) {
        if (++handed == holdAt)
            for (int tick = 0; !release && tick < 2000; ++tick) std::this_thread::sleep_for(5ms);
        RotateResult rotated;
        rotated.outcome = FileOutcome::Rotated;
        return rotated;
    }, 1);
    MainDialog& dialog = *window.dialog;
    StatusWindow* status = dialog.statusWindow();
    QStringList seen;
    std::function<void()> stop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (status->countText().isEmpty() || status->statusText().isEmpty()) return;
        look.stop();
        for (const char* name : {"processOneFile", "processFolder", "exit", "backup"})
            if (window.find<QWidget>(name)->isEnabled()) seen << name;
        if (status->isVisible()) seen << status->windowTitle() << windowtest::shownTexts(*status);
        seen << QString("bar %1 of %2").arg(status->progressBar()->value()).arg(status->progressBar()->maximum());
        const QCursor* cursor = QApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::WaitCursor) seen << "wait";
        stop();
        if (dialog.isVisible()) seen << "visible";
        release = true;
    });
    const auto runWhile = [&](const std::function<void()>& start, const std::function<void()>& stopping) {
        seen.clear();
        release = false;
        stop = stopping;
        look.start(5);
        start();
    };
    window.choosers.folderAnswer = photos.path();
    dialog.show();
    runWhile([&] { window.find<QPushButton>("processFolder")->click(); }, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);  // asks, and No goes on
        status->cancelButton()->click();
    });
    ASSERT_EQ(seen.size(), 12) << seen.join('|').toStdString();
    EXPECT_EQ(seen.mid(0, 4), (QStringList{"exit", "backup", "Pivora - Status", seen[3]}));
    EXPECT_TRUE(seen[3].startsWith("Processing file " + QString::fromStdString(photos.path()) + "/p"));
    EXPECT_EQ(seen.mid(4), (QStringList{"0 of 6", "", "", "Please wait ...", "Cancel", "bar 0 of 6", "wait", "visible"}));
    EXPECT_EQ(window.messages.questions, (std::vector<std::string>{"A run is still going on. Cancel it and close Pivora?"}));
    EXPECT_EQ(handed, 1) << "no file starts after Cancel";
    const std::string cancelled = window.messages.texts().at(0);
    EXPECT_NE(cancelled.find("\n\n1 files read, of which 1 files successfully"), std::string::npos) << cancelled;
    EXPECT_FALSE(status->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Enter repeats the command, which has the focus again (disabling it had moved the focus on to Info).
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_EQ(dialog.focusWidget(), window.find<QWidget>("processFolder"));
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(handed, 7) << "the next run starts afresh and turns the whole folder";
    EXPECT_EQ(window.messages.texts().back(), "\n\n6 files read, of which 6 files successfully rotated\n\n");

    holdAt = 8;
    window.messages.answer = true;
    runWhile([&] { window.find<QPushButton>("processFolder")->click(); },
             [&] { window.find<QPushButton>("exit")->click(); });
    EXPECT_TRUE(seen.contains("visible")) << "open while the run winds down";
    EXPECT_EQ(handed, 8) << "Yes cancelled the run";
    EXPECT_EQ(window.messages.questions.size(), 2u);
    EXPECT_NE(window.messages.texts().back().find("\n\n1 files read"), std::string::npos) << "the result was shown first";
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
