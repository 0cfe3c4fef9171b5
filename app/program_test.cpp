// The built program's own arguments and its start without a display, where no window can come up.
#include <gtest/gtest.h>

#include <QProcess>

TEST(Program, HelpVersionAndUsageErrorsNeedNoDisplayAndWithoutOneItPointsToTheConsoleProgram) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    const struct {
        QStringList arguments;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--help"}, 0, "Usage: pivora [PATH]\n", ""},
        {{"--version"}, 0, "pivora " PIVORA_VERSION "\n", ""},
        {{"--rotate", "/tmp"}, 2, "", "pivora: unknown option '--rotate'\n"},
        {{"/tmp"}, 2, "", "pivora-cli"},
    };
    for (const auto& row : cases) {
        QProcess pivora;
        pivora.setProcessEnvironment(environment);
        pivora.start(PIVORA_PATH, row.arguments);
        ASSERT_TRUE(pivora.waitForFinished(60000));
        const QByteArray out = pivora.readAllStandardOutput(), err = pivora.readAllStandardError();
        EXPECT_EQ(pivora.exitCode(), row.status) << row.arguments.join(' ').toStdString();
        EXPECT_TRUE(out.startsWith(row.out) && err.contains(row.err)) << out.toStdString() << err.toStdString();
    }
}
