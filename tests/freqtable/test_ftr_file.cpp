#include "freqtable/FreqTableFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {
FreqTable threeRows() {
    FreqTable t;
    t.rows[0] = {0.1, 2, 0};
    t.rows[1] = {1.0, 0, 0};
    t.rows[2] = {10.0, 0, 0};
    return t;
}

QByteArray record(double f, qint16 rbw, quint16 reserved = 0) {
    QByteArray r(12, '\0');
    qToLittleEndian<quint64>(std::bit_cast<quint64>(f), r.data());
    qToLittleEndian<qint16>(rbw, r.data() + 8);
    qToLittleEndian<quint16>(reserved, r.data() + 10);
    return r;
}

bool allInRange(const FreqTable& t) {
    for (const FreqTableRow& r : t.rows)
        if (!std::isfinite(r.Freq) || r.RbwIndex < 0 || r.RbwIndex > 5) return false;
    return true;
}
} // namespace

TEST(FtrFile, ThreeRowsAreTwelveHundredBytesWithEmptyRecordsAfterThem) {
    TempAppDir app;
    const QString path = app.file("Table/three.FTR");
    ASSERT_TRUE(FreqTableFile::write(path, threeRows()));
    const QByteArray empty97(97 * 12, '\0'); // an empty row is twelve zero bytes
    EXPECT_EQ(readAll(path), record(0.1, 2) + record(1.0, 0) + record(10.0, 0) + empty97);

    FreqTable back;
    back.rows[50] = {5.0, 1, 0}; // replaced by the file's empty row
    ASSERT_EQ(FreqTableFile::read(path, back), FreqTableFile::ReadResult::Loaded);
    EXPECT_EQ(back, threeRows());
}

TEST(FtrFile, WritingKeepsTheTailOfALongerFileAndTheReservedBytes) {
    TempAppDir app;
    const QString path = app.file("Table/long.FTR");
    const QByteArray tail("extra bytes written by someone else");
    ASSERT_TRUE(writeAll(path, QByteArray(1200, 'x') + tail));
    FreqTable t = threeRows();
    t.rows[1].Reserved = 0xBEEF;
    ASSERT_TRUE(FreqTableFile::write(path, t));
    EXPECT_EQ(readAll(path), record(0.1, 2) + record(1.0, 0, 0xBEEF) + record(10.0, 0) +
                                 QByteArray(97 * 12, '\0') + tail);
    FreqTable back;
    ASSERT_EQ(FreqTableFile::read(path, back), FreqTableFile::ReadResult::Loaded);
    EXPECT_EQ(back, t);
}

TEST(FtrFile, MissingFileLeavesTheTableAndCreatesTheFolder) {
    TempAppDir app;
    FreqTable t = threeRows();
    EXPECT_EQ(FreqTableFile::read(app.file("Table/none.FTR"), t),
              FreqTableFile::ReadResult::Missing);
    EXPECT_EQ(t, threeRows());
    EXPECT_TRUE(QDir(app.file("Table")).exists());
}

TEST(FtrFile, ShortFileClearsTheRowsItDoesNotCover) {
    // One and a half records: the half record and everything after it read as empty rows.
    const QByteArray data = record(2.0, 1) + record(3.0, 1).left(6);
    TempAppDir app;
    const QString path = app.file("Table/short.FTR");
    ASSERT_TRUE(writeAll(path, data));
    FreqTable t = threeRows();
    ASSERT_EQ(FreqTableFile::read(path, t), FreqTableFile::ReadResult::Loaded);
    FreqTable expected;
    expected.rows[0] = {2.0, 1, 0};
    EXPECT_EQ(t, expected);
}

TEST(FtrFile, HostileContentComesBackInRange) {
    QByteArray data = record(std::numeric_limits<double>::quiet_NaN(), 2) +
                      record(std::numeric_limits<double>::infinity(), 2) +
                      record(-std::numeric_limits<double>::infinity(), 2) + record(1.0, 77) +
                      record(1.0, -3);
    FreqTable t = FreqTable::fromBytes(data);
    EXPECT_TRUE(allInRange(t));
    for (size_t i : {0, 1, 2})
        EXPECT_FALSE(t.rows[i].inUse()) << i;
    EXPECT_EQ(t.rows[3].RbwIndex, 5);
    EXPECT_EQ(t.rows[4].RbwIndex, 0);

    // Every truncation of a full file, and random files of many lengths.
    const QByteArray full = threeRows().toBytes();
    for (int n = 0; n <= full.size(); ++n)
        EXPECT_TRUE(allInRange(FreqTable::fromBytes(full.left(n)))) << n;
    QRandomGenerator rng(1234);
    for (int i = 0; i < 300; ++i) {
        QByteArray junk(int(rng.bounded(2500)), '\0');
        for (char& c : junk)
            c = char(rng.bounded(256));
        EXPECT_TRUE(allInRange(FreqTable::fromBytes(junk)));
    }
}

TEST(FtrFile, ListingAndLookupIgnoreCaseAndRefuseNamesThatLeaveTheFolder) {
    TempAppDir app;
    for (const char* name : {"Table/Alpha.FTR", "Table/beta.ftr", "Table/gamma.txt", "secret.FTR"})
        ASSERT_TRUE(writeAll(app.file(name), QByteArray(1200, '\0')));
    QStringList names = FreqTableFile::list(app.path());
    names.sort();
    EXPECT_EQ(names, (QStringList{"Alpha", "beta"}));
    EXPECT_EQ(FreqTableFile::find(app.path(), " alpha "), app.file("Table/Alpha.FTR"));
    EXPECT_EQ(FreqTableFile::find(app.path(), "BETA"), app.file("Table/beta.ftr"));
    EXPECT_TRUE(FreqTableFile::find(app.path(), "gamma").isEmpty());
    EXPECT_TRUE(FreqTableFile::find(app.path(), "../secret").isEmpty());
    EXPECT_TRUE(FreqTableFile::pathFor(app.path(), "../secret").isEmpty());
    EXPECT_TRUE(FreqTableFile::pathFor(app.path(), "").isEmpty());
    EXPECT_EQ(FreqTableFile::pathFor(app.path(), "new"), app.file("Table/new.FTR"));
}
