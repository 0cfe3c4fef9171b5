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

// Shows the chooser owned by `owner`: the chosen file's full path, or nullopt when cancelled.
std::optional<std::string> chooseJpegFile(QWidget* owner, const std::string& initialFolder);
