// The built program itself: its version, and what it does without a display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome runPivora(const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PIVORA_PATH, arguments);
    process.closeWriteChannel();
    Outcome outcome;
    if (!process.waitForFinished(60000)) return outcome;
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    return environment;
}

TEST(Program, VersionPrintsTheBuildVersionEvenWithoutADisplay) {
    const Outcome outcome = runPivora({"--version"}, withoutDisplay());
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "pivora " PIVORA_VERSION "\n");
}

TEST(Program, WithoutADisplayItPointsToTheConsoleProgramAndExitsWithTwo) {
    const Outcome outcome = runPivora({"/tmp"}, withoutDisplay());
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.err.contains("pivora-cli")) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.isEmpty());
}

}  // namespace
