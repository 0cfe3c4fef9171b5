// The file and folder choosers: what they are asked, and what they let be confirmed.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>

#include "app/file_chooser.h"
#include "app/folder_chooser.h"
#include "tests/support/files.h"

namespace {

QStringList patternsOf(const QString& filter) {
    const int open = filter.indexOf('(');
    return filter.mid(open + 1, filter.indexOf(')') - open - 1).split(' ', Qt::SkipEmptyParts);
}

TEST(FileChooser, IsTitledWithTwoFiltersJpegFirstAndTakesOnlyAnExistingFile) {
    testsupport::TempDir dir;
    QFileDialog dialog;
    configureFileChooser(dialog, QString::fromStdString(dir.path()));
    EXPECT_EQ(dialog.windowTitle(), "Select JPEG file");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    ASSERT_EQ(dialog.nameFilters().size(), 2);
    EXPECT_TRUE(dialog.nameFilters()[0].startsWith("All JPEG Files ("));
    EXPECT_TRUE(dialog.nameFilters()[1].startsWith("All Files ("));
    EXPECT_EQ(dialog.selectedNameFilter(), dialog.nameFilters()[0]);
    EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(dir.path()));
}

TEST(FileChooser, JpegFilterMatchesEveryUsualSpellingOnACaseSensitiveFileSystem) {
    testsupport::TempDir dir;
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JPEG", "e.png", "f.txt", "jpg", "README"}) {
        testsupport::writeFile(dir.file(name), {1});
    }
    const QDir folder(QString::fromStdString(dir.path()));
    const QDir::Filters caseSensitive = QDir::Files | QDir::CaseSensitive;
    EXPECT_EQ(folder.entryList(patternsOf(fileChooserFilters()[0]), caseSensitive, QDir::Name),
              (QStringList{"a.jpg", "b.JPG", "c.jpeg", "d.JPEG"}));
    EXPECT_EQ(folder.entryList(patternsOf(fileChooserFilters()[1]), caseSensitive, QDir::Name).size(), 8);
}

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(photos()));
        ASSERT_EQ(symlink(photos().toUtf8().constData(), shortcut().toUtf8().constData()), 0);
    }
    QString photos() const { return QString::fromStdString(dir.file("Photos")); }
    QString shortcut() const { return QString::fromStdString(dir.file("Shortcut")); }
    testsupport::TempDir dir;
};

TEST_F(FolderChooserTest, StartsAtTheGivenFolderOrTheCurrentDirectory) {
    FolderChooser given(nullptr, photos());
    EXPECT_EQ(given.directory().absolutePath(), photos());
    EXPECT_EQ(given.fileMode(), QFileDialog::Directory);
    FolderChooser none(nullptr, "");
    EXPECT_EQ(none.directory().absolutePath(), QDir::currentPath());
}

TEST_F(FolderChooserTest, OkIsRefusedForASymbolicLinkOrAMissingFolder) {
    EXPECT_TRUE(FolderChooser::acceptable(photos()));
    EXPECT_FALSE(FolderChooser::acceptable(shortcut()));
    EXPECT_FALSE(FolderChooser::acceptable(photos() + "/gone"));

    FolderChooser chooser(nullptr, QString::fromStdString(dir.path()));
    chooser.show();
    chooser.selectFile(shortcut());
    chooser.accept();
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_NE(chooser.result(), QDialog::Accepted);

    chooser.selectFile(photos());
    chooser.accept();
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.selectedFiles().value(0), photos());
}

}  // namespace
