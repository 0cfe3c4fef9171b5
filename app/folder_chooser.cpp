#include "app/folder_chooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>

#include "app/file_chooser.h"
#include "app/shell/folder_entry.h"
#include "platform/qt/screen_fit.h"

FolderChooser::FolderChooser(QWidget* owner, const QString& startFolder) : QFileDialog(owner) {
    setObjectName("folderChooser");
    // Qt's own dialog, so that every selection passes through the vetting below.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    setDirectory(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
    showColumnsUnclipped(*this);
    connect(this, &QFileDialog::currentChanged, this, &FolderChooser::vetSelection);
}

void FolderChooser::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    platform::fitOnScreen(*this);
}

bool FolderChooser::acceptable(const QString& path) { return shell::isChoosableFolder(path.toStdString()); }

void FolderChooser::vetSelection(const QString& path) {
    if (acceptable(path)) return;  // the dialog's own rule decides
    if (auto* buttons = findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Open)) ok->setEnabled(false);
    }
}

void FolderChooser::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty() || !acceptable(chosen.front())) return;
    QFileDialog::accept();
}

std::optional<std::string> chooseFolder(QWidget* owner, const std::string& startFolder) {
    FolderChooser chooser(owner, QString::fromStdString(startFolder));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    return chooser.selectedFiles().front().toStdString();
}
