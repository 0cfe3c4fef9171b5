#include "app/file_chooser.h"

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
}

std::optional<std::string> chooseJpegFile(QWidget* owner, const std::string& initialFolder) {
    QFileDialog dialog(owner);
    configureFileChooser(dialog, QString::fromStdString(initialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}
