// Kills a process that writes the program's files with SIGKILL at random moments and checks
// what it leaves: every whole-file rewrite is the old or the new file byte for byte, and an
// append cut short never glues the next block or line to the torn one.
#include "app/EventLog.h"
#include "reliability/CrashFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace {
// Kills in CI; scripts/killtest runs the same tests with HALVEX_KILLS=1000.
int kills(int ciDefault) {
    const int n = qEnvironmentVariableIntValue("HALVEX_KILLS");
    return n > 0 ? n : ciDefault;
}

// Starts the writer, lets it write for a random time of up to maxMs after it started its loop,
// and kills it with SIGKILL.
void runAndKill(const QString& mode, const QString& dir, std::mt19937& random, int maxMs) {
    QProcess writer;
    writer.start(qEnvironmentVariable("HALVEX_CRASH_WRITER"), {mode, dir});
    ASSERT_TRUE(writer.waitForStarted(10000));
    ASSERT_TRUE(writer.waitForReadyRead(10000)) << "the writer did not start its loop";
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, maxMs * 1000)(random)));
    writer.kill(); // SIGKILL
    ASSERT_TRUE(writer.waitForFinished(10000));
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer stopped by itself";
}

// The last line's start of a report or log must follow a line end; no line carries a second
// block or entry glued after a torn one.
void expectNothingGlued(const QByteArray& text, const QByteArray& marker) {
    int at = 0;
    for (const QByteArray& line : CrashFiles::lines(text)) {
        ++at;
        const qsizetype i = line.indexOf(marker);
        EXPECT_TRUE(i <= 0) << "line " << at << " glued: " << line.left(120).constData();
    }
}

// Cuts a file's end off inside its last line, as a kill in the middle of an append leaves it.
void cutTail(const QString& path, int bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(f.size() - bytes));
}
} // namespace

TEST(CrashSafety, RewritesKilledAtRandomLeaveTheOldOrTheNewFile) {
    TempAppDir dir;
    ASSERT_TRUE(CrashFiles::writeAll(dir.path(), 0));
    std::mt19937 random(19);
    std::array<std::array<int, 2>, 3> seen{};
    const int n = kills(30);
    for (int k = 0; k < n; ++k) {
        runAndKill("rewrite", dir.path(), random, 20);
        if (testing::Test::HasFatalFailure()) return;
        for (int f = 0; f < 3; ++f) {
            const QByteArray now = readAll(dir.file(CrashFiles::kFiles[f]));
            const int version = now == CrashFiles::image(f, 0)   ? 0
                                : now == CrashFiles::image(f, 1) ? 1
                                                                 : -1;
            ASSERT_NE(version, -1) << "kill " << k << ": " << CrashFiles::kFiles[f] << " is torn ("
                                   << now.size() << " bytes)";
            ++seen[size_t(f)][size_t(version)];
        }
    }
    // A kill before the commit may leave a temporary file beside them; the next save that
    // commits removes it.
    ASSERT_TRUE(CrashFiles::writeAll(dir.path(), 0));
    EXPECT_EQ(QDir(dir.file("Panels")).entryList(QDir::Files),
              (QStringList{"Crash.EST", "Untitled.EPN"}));
    EXPECT_EQ(QDir(dir.file("Table")).entryList(QDir::Files), QStringList{"Crash.FTR"});
    // The kills fell in the middle of the work, not all before or after it.
    for (int f = 0; f < 3; ++f)
        EXPECT_TRUE(seen[size_t(f)][0] > 0 && seen[size_t(f)][1] > 0)
            << CrashFiles::kFiles[f] << ": old " << seen[size_t(f)][0] << ", new "
            << seen[size_t(f)][1];
}

TEST(CrashSafety, ReportAppendKilledLeavesTheNextBlockOnALineOfItsOwn) {
    // The block a run appends to a report that already holds data.
    TempAppDir ref;
    CrashFiles::Report reference(ref.path());
    ASSERT_TRUE(writeAll(reference.path(), "x\r\n"));
    ASSERT_TRUE(reference.appendBlock());
    const QByteArray block = readAll(reference.path()).mid(3);

    TempAppDir dir;
    const QString path = CrashFiles::Report(dir.path()).path();
    std::mt19937 random(1919);
    const int n = std::max(1, kills(30) / 3);
    for (int k = 0; k < n; ++k) {
        // Each round starts a new file holding one block, so the file stays small.
        QFile::remove(path);
        ASSERT_TRUE(CrashFiles::Report(dir.path()).appendBlock());
        runAndKill("report", dir.path(), random, 10);
        if (testing::Test::HasFatalFailure()) return;
        // Sometimes the kill lands between blocks; cut the file inside a line as a kill in the
        // middle of a block leaves it.
        if (k % 2 == 1) cutTail(path, 1 + k % 37);
        CrashFiles::Report next(dir.path());
        ASSERT_TRUE(next.appendBlock());
        const QByteArray text = readAll(path);
        ASSERT_TRUE(text.endsWith(block)) << "kill " << k;
        EXPECT_EQ(text.at(text.size() - block.size() - 1), '\n') << "kill " << k;
        expectNothingGlued(text, "Station: ");
        expectNothingGlued(text, ListReport::kStartLine);
    }
}

TEST(CrashSafety, EventLogAppendKilledLeavesTheNextLineOnALineOfItsOwn) {
    TempAppDir dir;
    VirtualClock clock(CrashFiles::kDay, 43200.0);
    std::mt19937 random(2019);
    const int n = std::max(1, kills(30) / 3);
    const QString file = dir.file("Test/Log/2026/03/14.TXT");
    for (int k = 0; k < n; ++k) {
        QFile::remove(file);
        EventLog(dir.path(), clock).write(false, QStringLiteral("Before the writer"));
        runAndKill("log", dir.path(), random, 10);
        if (testing::Test::HasFatalFailure()) return;
        if (k % 2 == 1) cutTail(file, 1 + k % 23);
        EventLog next(dir.path(), clock);
        next.write(false, QStringLiteral("After kill %1").arg(k));
        const QList<QByteArray> lines = CrashFiles::lines(readAll(file));
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.last().startsWith("2026/03/14  12:00:00:      After kill"))
            << "kill " << k << ": " << lines.last().left(120).constData();
        expectNothingGlued(readAll(file), "2026/03/14  12:00:00:");
    }
}
