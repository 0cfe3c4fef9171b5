// The built program without a display: it points to the console program instead of failing in the toolkit.
#include <gtest/gtest.h>

#include <QProcess>

TEST(Program, WithoutADisplayItPointsToTheConsoleProgramAndExitsWithTwo) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    QProcess pivora;
    pivora.setProcessEnvironment(environment);
    pivora.start(PIVORA_PATH, {"/tmp"});
    ASSERT_TRUE(pivora.waitForFinished(60000));
    EXPECT_EQ(pivora.exitCode(), 2);
    EXPECT_TRUE(pivora.readAllStandardError().contains("pivora-cli"));
}
