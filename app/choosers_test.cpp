// The file and folder choosers: what they are asked, and what they let be confirmed.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>

#include "app/file_chooser.h"
#include "app/folder_chooser.h"
#include "tests/support/files.h"

TEST(Choosers, FileChooserFindsEveryJpegSpellingAndFolderChooserRefusesALink) {
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    QFileDialog files;
    configureFileChooser(files, folder);
    EXPECT_EQ(files.windowTitle(), "Select JPEG file");
    EXPECT_EQ(files.fileMode(), QFileDialog::ExistingFile);
    const QStringList filters = files.nameFilters();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("All JPEG Files (") && filters[1].startsWith("All Files ("));
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JPEG", "e.png", "jpg"})
        testsupport::writeFile(dir.file(name), {1});
    const QStringList patterns = filters[0].mid(16).chopped(1).split(' ', Qt::SkipEmptyParts);
    EXPECT_EQ(QDir(folder).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
              (QStringList{"a.jpg", "b.JPG", "c.jpeg", "d.JPEG"}));

    ASSERT_TRUE(QDir(folder).mkdir("Photos"));
    ASSERT_EQ(symlink(dir.file("Photos").c_str(), dir.file("Link").c_str()), 0);
    FolderChooser folders(nullptr, folder);
    folders.show();
    folders.selectFile(folder + "/Link");
    folders.accept();
    EXPECT_TRUE(folders.isVisible()) << "OK refused for a symbolic link";
    folders.selectFile(folder + "/Photos");
    folders.accept();
    EXPECT_EQ(folders.result(), QDialog::Accepted);
    EXPECT_EQ(folders.selectedFiles().value(0), folder + "/Photos");
}
