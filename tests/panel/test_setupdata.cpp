#include "panel/SetupData.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

TEST(ReleaseLine, TheLastLineReadIsTheReleaseText) {
    struct Case {
        QByteArray content;
        QString expected;
    };
    const Case cases[] = {
        {"1.0\r\n1.1\r\n", "1.1"},
        {"1.0\r\n1.1", "1.1"},                                 // no line end after the last line
        {"1.0\r\n1.1\r\n\r\n", QString()},                     // a final empty line hides the entry
        {"1.0\n2.0\n", "2.0"},                                 // bare LF line ends
        {"1.0\r2.0\r", "2.0"},                                 // bare CR line ends
        {"", QString()},                                       // empty file
        {"  3.2 beta  \r\n", "  3.2 beta  "},                  // kept as written
        {"Rel \xB0 2\r\n", QString::fromLatin1("Rel \xB0 2")}, // single-byte text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.toHex().constData());
        TempAppDir dir;
        writeAll(dir.file("Orsk Halvex.DAT"), c.content);
        EXPECT_EQ(ReadReleaseLine(dir.path()), c.expected);
    }
}

TEST(ReleaseLine, FileNameIsMatchedIgnoringCaseAndOnlyExactly) {
    TempAppDir dir;
    EXPECT_EQ(ReadReleaseLine(dir.path()), QString());

    writeAll(dir.file("Orsk Halvex.DAT.bak"), "9.9\r\n");
    writeAll(dir.file("Orsk Halvex.DA"), "9.8\r\n");
    EXPECT_EQ(ReadReleaseLine(dir.path()), QString());

    writeAll(dir.file("ORSK HALVEX.dat"), "2.5\r\n");
    EXPECT_EQ(ReadReleaseLine(dir.path()), "2.5");
    // The application directory comes with or without its trailing separator.
    EXPECT_EQ(ReadReleaseLine(dir.path().chopped(1)), "2.5");
}

TEST(ReleaseLine, UnreadableOrHugeFilesDoNotHurt) {
    TempAppDir dir;
    // A folder carrying the name is no release file.
    ASSERT_TRUE(QDir().mkpath(dir.file("orsk halvex.dat")));
    EXPECT_EQ(ReadReleaseLine(dir.path()), QString());
    EXPECT_EQ(ReadReleaseLine(dir.file("missing-folder")), QString());

    TempAppDir big;
    writeAll(big.file("Orsk Halvex.DAT"), QByteArray(3 * 1024 * 1024, 'x') + "\r\n4.0\r\n");
    EXPECT_EQ(ReadReleaseLine(big.path()), "4.0");

#ifdef Q_OS_UNIX
    // A device or a pipe under that name is no release file either, and must not hang the
    // start (the one never ends, the other never opens).
    TempAppDir device;
    ASSERT_TRUE(QFile::link("/dev/zero", device.file("Orsk Halvex.DAT")));
    EXPECT_EQ(ReadReleaseLine(device.path()), QString());
    TempAppDir pipe;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.file("orsk halvex.dat")).constData(), 0600), 0);
    EXPECT_EQ(ReadReleaseLine(pipe.path()), QString());
#endif

    TempAppDir noBreaks;
    writeAll(noBreaks.file("Orsk Halvex.DAT"), QByteArray(1024 * 1024, 'y'));
    const QString line = ReadReleaseLine(noBreaks.path());
    EXPECT_FALSE(line.isEmpty());
    EXPECT_LE(line.size(), 4096);
}
