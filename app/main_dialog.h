#pragma once
// The main window: the two commands, Exit, the three switches, Info and Help. It owns the
// switches (ProcessingOptions), the status window and the help window, and is the run window
// of the commands.

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <memory>
#include <string>

#include "app/shell/choosers.h"
#include "app/shell/run_window.h"
#include "app/shell/shell_commands.h"
#include "platform/link_opener.h"
#include "platform/message_sink.h"
#include "platform/settings_store.h"
#include "workflow/processing_options.h"

class HelpWindow;
class StatusWindow;

// What the main window works with. Null members are replaced by the real ones: message boxes,
// Qt's choosers, the desktop's link opener, rotateJpegFile.
struct MainDialogServices {
    platform::SettingsStore* settings = nullptr;  // required
    platform::MessageSink* messages = nullptr;
    shell::Choosers* choosers = nullptr;
    platform::LinkOpener* links = nullptr;
    shell::FileRotator rotate;
};

class MainDialog : public QDialog, public shell::RunWindow {
    Q_OBJECT
public:
    explicit MainDialog(const MainDialogServices& services, QWidget* parent = nullptr);
    ~MainDialog() override;

    // The launch with the command-line text: false when it names no path, so the window is to be
    // offered; otherwise the path was run (or refused) and the dialog has ended with result 0.
    bool launch(const std::string& commandLine);

    // Copies the check boxes into the switches and stores them.
    void saveOptions();
    const ProcessingOptions& options() const { return options_; }
    const shell::ShellCommands& commands() const { return *commands_; }
    bool runInProgress() const { return running_; }

    StatusWindow* statusWindow() const { return statusWindow_; }
    HelpWindow* helpWindow() const { return helpWindow_; }

    // RunWindow
    void beginRun() override;
    void endRun() override;
    void pumpMessages() override;
    platform::StatusLine& statusLine() override;

public slots:
    void processOneFile();
    void processFolder();
    void showAbout();
    void showHelp();
    void reject() override;  // Exit: Escape, the close control and the Exit button

private:
    void buildControls();
    void loadOptions();

    platform::SettingsStore& settings_;
    std::unique_ptr<platform::MessageSink> ownMessages_;
    std::unique_ptr<shell::Choosers> ownChoosers_;
    std::unique_ptr<platform::LinkOpener> ownLinks_;
    platform::MessageSink* messages_;
    shell::Choosers* choosers_;
    platform::LinkOpener* links_;

    ProcessingOptions options_;
    std::unique_ptr<shell::ShellCommands> commands_;
    bool running_ = false;

    QPushButton* oneFileButton_ = nullptr;
    QPushButton* folderButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QCheckBox* backupBox_ = nullptr;
    QCheckBox* subfoldersBox_ = nullptr;
    QCheckBox* timestampBox_ = nullptr;
    StatusWindow* statusWindow_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
};
