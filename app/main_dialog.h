#pragma once
// The main window: the lines saying what it does and that photos may be dropped onto it, the
// commands, Exit, the switches, Info and Help. It owns the switches (ProcessingOptions), the
// status window and the help window, and is the run window of the commands. After a run the
// focus is back on the command that started it; closing it during a run asks whether to cancel.

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/choosers.h"
#include "app/shell/run_window.h"
#include "app/shell/shell_commands.h"
#include "platform/link_opener.h"
#include "platform/message_sink.h"
#include "platform/settings_store.h"
#include "workflow/processing_options.h"

class DialogLayout;
class HelpWindow;
class StatusWindow;

// What the main window works with. Null members are replaced by the real ones: message boxes,
// Qt's choosers, the desktop's link opener, rotatePhoto.
struct MainDialogServices {
    platform::SettingsStore* settings = nullptr;  // required
    platform::MessageSink* messages = nullptr;
    shell::Choosers* choosers = nullptr;
    platform::LinkOpener* links = nullptr;
    shell::FileRotator rotate;
    unsigned jobs = 0;  // files turned at once; 0: one for each core
};

class MainDialog : public QDialog, public shell::RunWindow {
    Q_OBJECT
public:
    explicit MainDialog(const MainDialogServices& services, QWidget* parent = nullptr);
    ~MainDialog() override;

    // The launch with the path from the command line: runs (or refuses) it and ends the dialog
    // with result 0. The program's exit status: 0 when every file was rotated, 1 otherwise.
    int launch(const std::string& launchPath);

    // `pivora --review [FOLDER]`: the review window of the folder (the folder command's chooser
    // asks for one when it is empty), and the program ends when it closes. 0, or 1 when the path
    // is neither file nor folder.
    int launchReview(const std::string& folder);

    // Copies the check boxes into the switches and stores them.
    void saveOptions();
    const ProcessingOptions& options() const { return options_; }
    const shell::ShellCommands& commands() const { return *commands_; }
    // A drag of photos or folders hovers over the window.
    bool dropHighlighted() const { return dropHighlight_; }

    StatusWindow* statusWindow() const { return statusWindow_; }
    HelpWindow* helpWindow() const { return helpWindow_; }

    // RunWindow
    void beginRun() override;
    void endRun() override;
    void pumpMessages() override;
    void showProgress(const shell::ShownProgress& progress) override;

public slots:
    void processOneFile();
    void processFolder();
    // The review of a chosen folder: its photos shown as they are to be turned, turned when asked.
    void reviewFolder();
    // What a drop onto the window runs: the paths as the commands would, with the switches in force.
    void processDropped(const std::vector<std::string>& paths);
    // "Undo last run" of the context menu.
    void undoLastRun();
    void showAbout();
    void showHelp();
    // Exit: Escape, the close control and the Exit button. During a run it asks whether to cancel
    // the run; Yes cancels it and closes the window once the run has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    // A command button in the right column, below those added before it.
    QPushButton* addCommand(DialogLayout& layout, const char* text, const char* name, int id, void (MainDialog::*slot)());
    // Runs `run` (a command of shell::ShellCommands) as started by `starter`, which has the focus
    // again once the run has ended.
    void runFrom(QPushButton* starter, const std::function<void()>& run);
    void setDropHighlight(bool on);
    void loadOptions();
    void showDescription();
    void openReview(const std::string& folder);

    platform::SettingsStore& settings_;
    std::unique_ptr<platform::MessageSink> ownMessages_;
    std::unique_ptr<shell::Choosers> ownChoosers_;
    std::unique_ptr<platform::LinkOpener> ownLinks_;
    platform::MessageSink* messages_;
    shell::Choosers* choosers_;
    platform::LinkOpener* links_;

    ProcessingOptions options_;
    shell::FileRotator rotate_;
    unsigned jobs_ = 0;
    std::unique_ptr<shell::ShellCommands> commands_;
    bool running_ = false;
    bool closeAfterRun_ = false;  // Exit was asked for during the run, and the run cancelled
    bool dropHighlight_ = false;
    QPushButton* runStarter_ = nullptr;

    QPushButton* oneFileButton_ = nullptr;
    QPushButton* folderButton_ = nullptr;
    QPushButton* reviewButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    std::vector<QPushButton*> commandButtons_;  // the commands that start a run, top down
    QCheckBox* backupBox_ = nullptr;
    QCheckBox* subfoldersBox_ = nullptr;
    QCheckBox* timestampBox_ = nullptr;
    QCheckBox* autoOrientBox_ = nullptr;
    QCheckBox* refuseEdgeStripBox_ = nullptr;
    QCheckBox* trashBox_ = nullptr;
    QLabel* description_ = nullptr;
    StatusWindow* statusWindow_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
};
