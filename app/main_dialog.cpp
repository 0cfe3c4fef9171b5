#include "app/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <iterator>

#include "app/about_dialog.h"
#include "app/app_icon.h"
#include "app/dialog_choosers.h"
#include "app/dialog_units.h"
#include "app/help_window.h"
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
    shell::FileRotator rotate = services.rotate ? services.rotate
                                                : [](const std::string& path, const ProcessingOptions& options,
                                                     platform::StatusLine& status) {
                                                      return rotatePhoto(path, options, TurnSettings{}, status);
                                                  };
    commands_ = std::make_unique<shell::ShellCommands>(options_, settings_, *messages_, *this, *choosers_, rotate,
                                                       QDir::homePath().toStdString(), services.jobs);

    buildControls();

    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    auto* about = new QAction("&About Pivora...", this);
    about->setObjectName("aboutAction");
    connect(about, &QAction::triggered, this, &MainDialog::showAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowIcon(pivoraIcon());
    statusWindow_ = new StatusWindow(this);
    statusWindow_->hide();
    loadOptions();
}

MainDialog::~MainDialog() = default;

void MainDialog::buildControls() {
    setWindowTitle("Pivora");
    setObjectName("mainDialog");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogLayout layout(this);
    // The longer of its two texts, so that the window is laid out wide enough for either.
    description_ = layout.place(control(new QLabel(kTurnsByTag, this), "description", 0), {9, 5, 301, 10});
    oneFileButton_ = layout.place(control(new QPushButton("Process one JPEG &file", this), "processOneFile", 1002),
                                  {187, 23, 123, 14});
    oneFileButton_->setDefault(true);
    folderButton_ = layout.place(
        control(new QPushButton("Process all JPEG files in f&older", this), "processFolder", 1), {187, 46, 123, 14});
    exitButton_ = layout.place(control(new QPushButton("Exit", this), "exit", 2), {187, 103, 123, 14});
    layout.place(control(new QGroupBox("Settings ", this), "settingsGroup", 0), {9, 19, 158, 76}, true);
    backupBox_ = layout.place(control(new QCheckBox("&Backup original file", this), "backup", 1003), {16, 30, 148, 10});
    subfoldersBox_ =
        layout.place(control(new QCheckBox("Process &subfolders too", this), "subfolders", 1004), {16, 45, 148, 10});
    timestampBox_ = layout.place(
        control(new QCheckBox("Set file timestamp to &EXIF timestamp", this), "exifTimestamp", 1005),
        {16, 60, 148, 10});
    autoOrientBox_ = layout.place(
        control(new QCheckBox("&Turn by the camera's orientation tag", this), "autoOrient", 0), {16, 75, 148, 10});
    auto* info = layout.place(control(new QPushButton("&Info", this), "info", 1008), {9, 103, 52, 14});
    auto* help = layout.place(control(new QPushButton("&Help", this), "help", 1009), {115, 103, 52, 14});
    layout.apply(320, 126);

    // The tab order follows the layout: the switches, the commands, then the bottom row.
    QWidget* const order[] = {backupBox_,    subfoldersBox_, timestampBox_, autoOrientBox_, oneFileButton_,
                              folderButton_, info,           help,          exitButton_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(oneFileButton_, &QPushButton::clicked, this, &MainDialog::processOneFile);
    connect(folderButton_, &QPushButton::clicked, this, &MainDialog::processFolder);
    connect(exitButton_, &QPushButton::clicked, this, &MainDialog::reject);
    connect(info, &QPushButton::clicked, this, &MainDialog::showAbout);
    connect(help, &QPushButton::clicked, this, &MainDialog::showHelp);
    connect(autoOrientBox_, &QCheckBox::toggled, this, &MainDialog::showDescription);
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &MainDialog::showHelp);
    setAcceptDrops(true);
}

void MainDialog::showDescription() { description_->setText(autoOrientBox_->isChecked() ? kTurnsByTag : kTurnsQuarter); }

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
    showDescription();
}

void MainDialog::saveOptions() {
    options_.Backup = backupBox_->isChecked() ? 1 : 0;
    options_.bSubfolders = subfoldersBox_->isChecked() ? 1 : 0;
    options_.EXIFTimestamp = timestampBox_->isChecked() ? 1 : 0;
    options_.AutoOrient = autoOrientBox_->isChecked() ? 1 : 0;
    shell::saveOptions(settings_, options_);
}

int MainDialog::launch(const std::string& launchPath) {
    const int status = commands_->launch(launchPath);
    done(0);
    return status;
}

void MainDialog::processOneFile() {
    if (running_) return;
    saveOptions();
    commands_->processOneFile();
}

void MainDialog::processFolder() {
    if (running_) return;
    saveOptions();
    commands_->processFolder();
}

void MainDialog::processDropped(const std::vector<std::string>& paths) {
    if (running_) return;
    saveOptions();
    commands_->processDropped(paths);
}

void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::fitOnScreen(*this);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (!running_ && !shell::dropTargets(droppedPaths(event->mimeData()), platform::classifyPath).empty())
        event->acceptProposedAction();
}

void MainDialog::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void MainDialog::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    event->acceptProposedAction();
    // The run starts once the drop is finished, so the program the photos came from is not kept waiting.
    QTimer::singleShot(0, this, [this, paths] { processDropped(paths); });
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
    // A run in progress holds the status window and this dialog; it ends first.
    if (running_) return;
    saveOptions();
    delete statusWindow_;
    statusWindow_ = nullptr;
    QDialog::reject();
}

void MainDialog::beginRun() {
    running_ = true;
    for (QPushButton* button : {oneFileButton_, folderButton_, exitButton_}) button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusWindow_->show();
    // Let the status window appear before the first file keeps the thread busy.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainDialog::endRun() {
    statusWindow_->hide();
    QApplication::restoreOverrideCursor();
    for (QPushButton* button : {oneFileButton_, folderButton_, exitButton_}) button->setEnabled(true);
    running_ = false;
}

void MainDialog::pumpMessages() {
    if (!statusWindow_) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainDialog::showProgress(std::size_t done, std::size_t total, const std::string& fileInHand) {
    if (statusWindow_) statusWindow_->showProgress(done, total, fileInHand);
}
