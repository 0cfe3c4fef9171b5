#pragma once
// The file chooser of the one-file command: "Select JPEG file", JPEG files first, only an
// existing file can be confirmed.

#include <QFileDialog>
#include <optional>
#include <string>

// The chooser's two filters; the JPEG one names every letter case a case-sensitive file system tells apart.
QStringList fileChooserFilters();

// Gives `dialog` the chooser's title, filters, start folder and rules.
void configureFileChooser(QFileDialog& dialog, const QString& initialFolder);

// In Qt's own file dialog (not a desktop's), the size, type and date columns as wide as their
// contents and the name column the rest, so that no column is cut off.
void showColumnsUnclipped(QFileDialog& dialog);

// A file dialog that stays on a small screen.
class FileChooser : public QFileDialog {
    Q_OBJECT
public:
    using QFileDialog::QFileDialog;

protected:
    void showEvent(QShowEvent* event) override;
};

// Shows the chooser owned by `owner`: the chosen file's full path, or nullopt when cancelled.
std::optional<std::string> chooseJpegFile(QWidget* owner, const std::string& initialFolder);
