#include "app/file_chooser.h"

#include <QHeaderView>
#include <QTreeView>

#include "platform/qt/screen_fit.h"

QStringList fileChooserFilters() {
    // "All Files" uses "*": on this platform "*.*" would leave out names without a dot.
    return {"All JPEG Files (*.JPG *.JPEG *.jpg *.jpeg)", "All Files (*)"};
}

void configureFileChooser(QFileDialog& dialog, const QString& initialFolder) {
    dialog.setWindowTitle("Select JPEG file");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(fileChooserFilters());
    dialog.selectNameFilter(fileChooserFilters().front());
    dialog.setDirectory(initialFolder);
    showColumnsUnclipped(dialog);
}

void showColumnsUnclipped(QFileDialog& dialog) {
    auto* details = dialog.findChild<QTreeView*>("treeView");
    if (!details) return;  // a desktop's own dialog lays itself out
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

void FileChooser::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    platform::fitOnScreen(*this);
}

std::optional<std::string> chooseJpegFile(QWidget* owner, const std::string& initialFolder) {
    FileChooser dialog(owner);
    configureFileChooser(dialog, QString::fromStdString(initialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}
