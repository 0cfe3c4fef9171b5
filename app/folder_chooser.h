#pragma once
// The folder chooser of the folder command: starts at a given folder and confirms only a
// folder that exists (a symbolic link to one included).

#include <QFileDialog>
#include <optional>
#include <string>

class FolderChooser : public QFileDialog {
    Q_OBJECT
public:
    // `startFolder` empty: the current directory.
    FolderChooser(QWidget* owner, const QString& startFolder);

    // Whether OK would be taken for `path`.
    static bool acceptable(const QString& path);

public slots:
    void accept() override;  // refused while the selection is not acceptable

protected:
    void showEvent(QShowEvent* event) override;

private:
    void vetSelection(const QString& path);
};

// Shows the chooser owned by `owner`: the chosen folder's path, or nullopt when cancelled.
std::optional<std::string> chooseFolder(QWidget* owner, const std::string& startFolder);
