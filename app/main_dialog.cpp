#include "app/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <iterator>

#include "app/about_dialog.h"
#include "app/app_icon.h"
#include "app/dialog_choosers.h"
#include "app/dialog_units.h"
#include "app/help_window.h"
#include "app/review_window.h"
#include "app/shell/drop_targets.h"
#include "app/shell/help_location.h"
#include "app/shell/options_store.h"
#include "app/status_window.h"
#include "platform/path_kind.h"
#include "platform/qt/desktop_link_opener.h"
#include "platform/qt/message_box_sink.h"
#include "platform/qt/screen_fit.h"
#include "workflow/rotate_jpeg_file.h"

namespace {

template <typename Widget>
Widget* control(Widget* widget, const char* name, int id) {
    widget->setObjectName(name);
    if (id != 0) widget->setProperty("controlId", id);
    return widget;
}

// The help document's folders of an installed program: relative to the executable first, so
// an installation that was moved still finds its own.
std::vector<std::string> helpDataFolders() {
    const QString relative = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" PIVORA_RELATIVE_DATA_DIR);
    return {relative.toStdString(), PIVORA_DATA_DIR};
}

const char* const kTurnsQuarter = "Turns JPEG photos a quarter turn counter-clockwise, without loss.";
const char* const kTurnsByTag = "Turns JPEG photos upright by their camera's orientation tag, without loss.";
// The second line of the description: dropping is the one way in that no button shows.
const char* const kDropHint = "Drop JPEG files or folders here to turn them.";
const char* const kCancelRunQuestion = "A run is still going on. Cancel it and close Pivora?";

// The command buttons' column: where the first one lies and how far apart they are (dialog units).
constexpr int kCommandsLeft = 187, kCommandsTop = 33, kCommandRow = 23, kCommandWidth = 123, kCommandHeight = 14;

// The local files and folders a drag carries, in its order.
std::vector<std::string> droppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

}  // namespace

MainDialog::MainDialog(const MainDialogServices& services, QWidget* parent)
    : QDialog(parent), settings_(*services.settings) {
    if (!services.messages) ownMessages_ = std::make_unique<platform::MessageBoxSink>(this);
    if (!services.choosers) ownChoosers_ = std::make_unique<DialogChoosers>(this);
    if (!services.links) ownLinks_ = std::make_unique<platform::DesktopLinkOpener>();
    messages_ = services.messages ? services.messages : ownMessages_.get();
    choosers_ = services.choosers ? services.choosers : ownChoosers_.get();
    links_ = services.links ? services.links : ownLinks_.get();
    rotate_ = services.rotate ? services.rotate : shell::windowTurner();
    jobs_ = services.jobs;
    commands_ = std::make_unique<shell::ShellCommands>(options_, settings_, *messages_, *this, *choosers_, rotate_,
                                                       QDir::homePath().toStdString(), jobs_);

    buildControls();

    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    auto* undo = new QAction("&Undo last run", this);
    undo->setObjectName("undoAction");
    connect(undo, &QAction::triggered, this, &MainDialog::undoLastRun);
    insertAction(separator, undo);
    auto* about = new QAction("&About Pivora...", this);
    about->setObjectName("aboutAction");
    connect(about, &QAction::triggered, this, &MainDialog::showAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowIcon(pivoraIcon());
    statusWindow_ = new StatusWindow(this, [this] { commands_->cancelRun(); });
    statusWindow_->hide();
    loadOptions();
}

MainDialog::~MainDialog() = default;

void MainDialog::buildControls() {
    setWindowTitle("Pivora");
    setObjectName("mainDialog");
    // A fixed size and no minimise or maximise control: the window is what it shows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogLayout layout(this);
    // Laid out with the longer of its two first lines, so that the window is wide enough for either.
    description_ = layout.place(control(new QLabel(QString(kTurnsByTag) + "\n" + kDropHint, this), "description", 0),
                                {9, 5, 301, 18});
    oneFileButton_ = addCommand(layout, "Process one JPEG &file", "processOneFile", 1002, &MainDialog::processOneFile);
    oneFileButton_->setDefault(true);
    folderButton_ = addCommand(layout, "Process all JPEG files in f&older", "processFolder", 1, &MainDialog::processFolder);
    reviewButton_ = addCommand(layout, "&Review photos in folder...", "reviewFolder", 0, &MainDialog::reviewFolder);
    exitButton_ = layout.place(control(new QPushButton("E&xit", this), "exit", 2), {187, 143, 123, 14});
    layout.place(control(new QGroupBox("Settings ", this), "settingsGroup", 0), {9, 29, 158, 106}, true);
    backupBox_ = layout.place(control(new QCheckBox("&Backup original file", this), "backup", 1003), {16, 40, 148, 10});
    subfoldersBox_ =
        layout.place(control(new QCheckBox("Process &subfolders too", this), "subfolders", 1004), {16, 55, 148, 10});
    timestampBox_ = layout.place(
        control(new QCheckBox("Set file timestamp to &EXIF timestamp", this), "exifTimestamp", 1005),
        {16, 70, 148, 10});
    autoOrientBox_ = layout.place(
        control(new QCheckBox("&Turn by the camera's orientation tag", this), "autoOrient", 0), {16, 85, 148, 10});
    refuseEdgeStripBox_ = layout.place(
        control(new QCheckBox("Refuse photos that would lose an e&dge strip", this), "refuseEdgeStrip", 0),
        {16, 100, 148, 10});
    trashBox_ = layout.place(control(new QCheckBox("&Keep originals in the Trash", this), "trashOriginal", 0),
                             {16, 115, 148, 10});
    auto* info = layout.place(control(new QPushButton("&Info", this), "info", 1008), {9, 143, 52, 14});
    auto* help = layout.place(control(new QPushButton("&Help", this), "help", 1009), {115, 143, 52, 14});
    layout.apply(320, 166);

    // The tab order follows the layout: the switches, the commands, then the bottom row.
    std::vector<QWidget*> order = {backupBox_, subfoldersBox_, timestampBox_, autoOrientBox_, refuseEdgeStripBox_,
                                   trashBox_};
    order.insert(order.end(), commandButtons_.begin(), commandButtons_.end());
    order.insert(order.end(), {info, help, exitButton_});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    connect(exitButton_, &QPushButton::clicked, this, &MainDialog::reject);
    connect(info, &QPushButton::clicked, this, &MainDialog::showAbout);
    connect(help, &QPushButton::clicked, this, &MainDialog::showHelp);
    connect(autoOrientBox_, &QCheckBox::toggled, this, &MainDialog::showDescription);
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &MainDialog::showHelp);
    setAcceptDrops(true);
}

QPushButton* MainDialog::addCommand(DialogLayout& layout, const char* text, const char* name, int id,
                                    void (MainDialog::*slot)()) {
    const int top = kCommandsTop + kCommandRow * static_cast<int>(commandButtons_.size());
    auto* button = layout.place(control(new QPushButton(text, this), name, id),
                                {kCommandsLeft, top, kCommandWidth, kCommandHeight});
    connect(button, &QPushButton::clicked, this, slot);
    commandButtons_.push_back(button);
    return button;
}

void MainDialog::showDescription() {
    description_->setText(QString(autoOrientBox_->isChecked() ? kTurnsByTag : kTurnsQuarter) + "\n" + kDropHint);
}

void MainDialog::loadOptions() {
    options_ = shell::loadOptions(settings_);
    const auto fill = [](QCheckBox* box, std::int32_t& field) {
        field = shell::shownOptionValue(field);
        box->setChecked(shell::isChecked(field));
    };
    fill(backupBox_, options_.Backup);
    fill(subfoldersBox_, options_.bSubfolders);
    fill(timestampBox_, options_.EXIFTimestamp);
    fill(autoOrientBox_, options_.AutoOrient);
    fill(refuseEdgeStripBox_, options_.RefuseEdgeStrip);
    fill(trashBox_, options_.TrashOriginal);
    showDescription();
}

void MainDialog::saveOptions() {
    options_.Backup = backupBox_->isChecked() ? 1 : 0;
    options_.bSubfolders = subfoldersBox_->isChecked() ? 1 : 0;
    options_.EXIFTimestamp = timestampBox_->isChecked() ? 1 : 0;
    options_.AutoOrient = autoOrientBox_->isChecked() ? 1 : 0;
    options_.RefuseEdgeStrip = refuseEdgeStripBox_->isChecked() ? 1 : 0;
    options_.TrashOriginal = trashBox_->isChecked() ? 1 : 0;
    shell::saveOptions(settings_, options_);
}

int MainDialog::launch(const std::string& launchPath) {
    const int status = commands_->launch(launchPath);
    done(0);
    return status;
}

void MainDialog::runFrom(QPushButton* starter, const std::function<void()>& run) {
    if (running_) return;
    saveOptions();
    runStarter_ = starter;
    closeAfterRun_ = false;
    run();
    runStarter_ = nullptr;
    if (closeAfterRun_) reject();  // asked for during the run, once its result was seen
}

void MainDialog::processOneFile() {
    runFrom(oneFileButton_, [this] { commands_->processOneFile(); });
}

void MainDialog::processFolder() {
    runFrom(folderButton_, [this] { commands_->processFolder(); });
}

void MainDialog::reviewFolder() {
    if (running_) return;
    saveOptions();
    if (const std::optional<std::string> folder = commands_->chooseRunFolder()) openReview(*folder);
    reviewButton_->setFocus();
}

void MainDialog::openReview(const std::string& folder) {
    ReviewServices services;
    services.messages = messages_;
    services.rotate = rotate_;
    services.jobs = jobs_;
    ReviewWindow review(folder, options_, services, this);
    review.exec();
}

int MainDialog::launchReview(const std::string& folder) {
    int status = 0;
    if (folder.empty()) {
        if (const std::optional<std::string> chosen = commands_->chooseRunFolder()) openReview(*chosen);
    } else if (const int kind = platform::classifyPath(folder); kind == 1 || kind == 2) {
        openReview(folder);
    } else {
        const shell::ResultMessage refused = shell::notFileOrPathResult(folder);
        messages_->show(refused.text, refused.icon);
        status = 1;
    }
    done(0);
    return status;
}

void MainDialog::processDropped(const std::vector<std::string>& paths) {
    runFrom(oneFileButton_, [this, &paths] { commands_->processDropped(paths); });
}

void MainDialog::undoLastRun() {
    runFrom(folderButton_, [this] { commands_->undoLastRun(); });
}

void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::fitOnScreen(*this);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (running_) return;
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    if (paths.empty()) return;
    // Any files may be dropped, so that those left out can be named; only photos and folders light the window up.
    event->acceptProposedAction();
    setDropHighlight(!shell::sortDropped(paths, platform::classifyPath).targets.empty());
}

void MainDialog::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void MainDialog::dragLeaveEvent(QDragLeaveEvent* event) {
    QDialog::dragLeaveEvent(event);
    setDropHighlight(false);
}

void MainDialog::dropEvent(QDropEvent* event) {
    setDropHighlight(false);
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    event->acceptProposedAction();
    // The run starts once the drop is finished, so the program the photos came from is not kept waiting.
    QTimer::singleShot(0, this, [this, paths] { processDropped(paths); });
}

void MainDialog::setDropHighlight(bool on) {
    if (dropHighlight_ == on) return;
    dropHighlight_ = on;
    update();
}

void MainDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!dropHighlight_) return;
    // A tint of the selection colour over the window and a frame of it along the edge.
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::Highlight);
    constexpr int kFrame = 3;
    const QColor tint(colour.red(), colour.green(), colour.blue(), 70);
    painter.fillRect(rect().marginsRemoved({kFrame, kFrame, kFrame, kFrame}), tint);
    painter.setPen(QPen(colour, kFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(kFrame / 2.0, kFrame / 2.0, -kFrame / 2.0, -kFrame / 2.0));
}

void MainDialog::showAbout() {
    AboutDialog about(this, *links_, *messages_);
    about.exec();
}

void MainDialog::showHelp() {
    if (!helpWindow_) helpWindow_ = new HelpWindow(this);
    QStringList candidates;
    for (const std::string& path :
         shell::helpFileCandidates(QCoreApplication::applicationFilePath().toStdString(), helpDataFolders())) {
        candidates << QString::fromStdString(path);
    }
    helpWindow_->showDocument(candidates);
}

void MainDialog::reject() {
    if (running_) {
        // The run holds the status window and this dialog: it ends first, and runFrom closes the window then.
        if (!closeAfterRun_ && messages_->ask(kCancelRunQuestion)) {
            closeAfterRun_ = true;
            statusWindow_->reject();  // as its Cancel does
        }
        return;
    }
    saveOptions();
    delete statusWindow_;
    statusWindow_ = nullptr;
    QDialog::reject();
}

void MainDialog::beginRun() {
    running_ = true;
    for (QPushButton* button : commandButtons_) button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusWindow_->show();
    // Let the status window appear before the first file keeps the thread busy.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainDialog::endRun() {
    statusWindow_->hide();
    QApplication::restoreOverrideCursor();
    for (QPushButton* button : commandButtons_) button->setEnabled(true);
    // Disabling the command moved the focus on (to Info); Enter repeats the command instead.
    if (runStarter_) runStarter_->setFocus();
    running_ = false;
}

void MainDialog::pumpMessages() {
    if (!statusWindow_) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainDialog::showProgress(const shell::ShownProgress& progress) {
    if (statusWindow_) statusWindow_->showProgress(progress);
}
