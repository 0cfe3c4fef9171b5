// The file and folder choosers: what they are asked, what they let be confirmed, and their columns.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "app/file_chooser.h"
#include "app/folder_chooser.h"
#include "tests/support/files.h"

TEST(Choosers, FileChooserFindsEveryJpegSpellingAndShowsItsColumnsUnclipped) {
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JPEG", "e.png", "jpg"})
        testsupport::writeFile(dir.file(name), {1});
    FileChooser files;
    QSignalSpy loaded(files.findChild<QFileSystemModel*>(), &QFileSystemModel::directoryLoaded);
    configureFileChooser(files, folder);
    EXPECT_EQ(files.windowTitle(), "Select JPEG file");
    EXPECT_EQ(files.fileMode(), QFileDialog::ExistingFile);
    const QStringList filters = files.nameFilters();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("All JPEG Files (") && filters[1].startsWith("All Files ("));
    const QStringList patterns = filters[0].mid(16).chopped(1).split(' ', Qt::SkipEmptyParts);
    EXPECT_EQ(QDir(folder).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
              (QStringList{"a.jpg", "b.JPG", "c.jpeg", "d.JPEG"}));

    // At its default size every column is as wide as its contents and its title, side by side.
    files.show();
    ASSERT_TRUE(loaded.wait(5000) || loaded.count() > 0);
    auto* details = files.findChild<QTreeView*>("treeView");
    ASSERT_NE(details, nullptr);
    details->setFocus();  // the date column's contents are in once the rows are laid out
    QCoreApplication::processEvents();
    QHeaderView* header = details->header();
    for (int column = 0; column < header->count(); ++column) {
        const int needed = std::max(static_cast<QAbstractItemView*>(details)->sizeHintForColumn(column),
                                    header->sectionSizeHint(column));
        EXPECT_GE(header->sectionSize(column), column == 0 ? header->sectionSizeHint(0) : needed) << column;
    }
    EXPECT_LE(header->length(), details->viewport()->width());
}

TEST(Choosers, FolderChooserTakesAFolderOrALinkToOneAndNothingElse) {
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    ASSERT_TRUE(QDir(folder).mkdir("Photos"));
    ASSERT_EQ(symlink(dir.file("Photos").c_str(), dir.file("Link").c_str()), 0);
    ASSERT_EQ(symlink(dir.file("Gone").c_str(), dir.file("Dangling").c_str()), 0);
    for (const char* name : {"Dangling", "Link", "Photos"}) {
        FolderChooser chooser(nullptr, folder);
        chooser.show();
        chooser.selectFile(folder + "/" + name);
        chooser.accept();
        const QString taken = chooser.result() == QDialog::Accepted ? chooser.selectedFiles().value(0) : "refused";
        EXPECT_EQ(taken, name[0] == 'D' ? QString("refused") : folder + "/" + name);
    }
}
