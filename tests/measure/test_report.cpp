#include "app/Clock.h"
#include "app/TestDirs.h"
#include "measure/ListReport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
QByteArray expected(const char* name) {
    return readAll(qEnvironmentVariable("HALVEX_SOURCE_DIR") + "/tests/measure/data/" + name);
}

void read(LetturaFreq& r, const RunSettings& s, std::array<float, 6> v, bool accumulate) {
    const FieldSelection f = FieldSelection::from(s);
    const int n = f.e && f.h() ? 6 : 3;
    for (int i = 0; i < n; ++i)
        storeComponent(r, f, i, v[i]);
    updateAccumulators(r, f, s.detectorIndex == 1, accumulate);
    evaluateRecord(r, s, false);
    r.DatoValido = true;
}

struct ReportFixture {
    TempAppDir dir;
    VirtualClock clock{QDate(2026, 1, 15), 36000.0};
    TestDirs dirs{dir.path(), clock};
    RunSettings s;
    TableRows table{};
    NumberColumns freq;
    RunStations stations{};
    DatiStazioni data{};
    ReportStations report{};

    void setTable(std::initializer_list<TableRow> rows) {
        int i = 0;
        for (const TableRow& r : rows) {
            freq.TrovaCMaxIntDec(r.frequency, i > 0); // the first row starts the column afresh
            table[i++] = r;
        }
    }
    // Writes the period's blocks (and the stop lines on a stop); true while the run goes on.
    bool write(bool stop) {
        return ListReport::StampaReportListMode(dirs, s, table, freq, stations, data, report, stop);
    }
    QString fileOf(const QString& serial) {
        return dir.path() + "Test/" + serial + "/2026/01/15/Table_Mode.TXT";
    }
};
} // namespace

TEST(ListReportFile, SemicolonEOnlyMatchesHandWrittenFile) {
    ReportFixture f;
    f.s.separatorIndex = 2;
    f.s.listModeRate = 10;
    f.setTable({{0.1, 2}, {1.5, 1}, {27.12, 0}});
    f.stations[0] = {4, true};
    DatiCentralina& d = f.data[0];
    read(d.rows[0], f.s, {3, 4, 0}, false);
    read(d.rows[0], f.s, {0, 0, 1}, true);
    read(d.rows[1], f.s, {0.3f, 0.4f, 0}, false);
    read(d.rows[1], f.s, {0, 0, 0}, true);
    read(d.rows[2], f.s, {60, 80, 0}, false);
    read(d.rows[2], f.s, {0, 0, 150.2468f}, true);
    d.NumLetture = 2;
    f.report[0] = {"123AB01123", "1.07", true, QDateTime(QDate(2026, 1, 15), QTime(10, 0, 0))};

    EXPECT_FALSE(f.write(true));
    EXPECT_EQ(readAll(f.fileOf("123AB01123")), expected("report_semicolon_e.txt"));
    EXPECT_FALSE(f.report[0].firstBlock);
}

TEST(ListReportFile, TabWithEAndHTwoPeriodsMatchesHandWrittenFile) {
    ReportFixture f;
    f.s.separatorIndex = 0;
    f.s.listModeRate = 10;
    f.s.detectorIndex = 1;
    f.s.listModeFields = {true, true, false};
    f.s.spectrumModeOn = true;
    f.s.spectrumRateOn = false;
    f.s.thresholdE = 3.0f;
    f.s.thresholdH = 0.053f;
    f.setTable({{0.15, 1}, {3.0, 0}});
    f.stations[2] = {7, true};
    f.stations[5] = {8, true}; // incomplete data: no block, no file
    DatiCentralina& d = f.data[2];
    read(d.rows[0], f.s, {3, 4, 0, 0.01f, 0, 0}, false);
    read(d.rows[0], f.s, {0, 0, 1, 0.03f, 0, 0}, true);
    read(d.rows[1], f.s, {1, 0, 0, 0.06f, 0.08f, 0}, false);
    read(d.rows[1], f.s, {1, 0, 0, 0.06f, 0.08f, 0}, true);
    d.NumLetture = 2;
    f.report[2] = {"456CD11789", "2.01", true, QDateTime(QDate(2026, 1, 15), QTime(10, 0, 5))};
    f.report[5] = {"789EF01000", "2.01", true, QDateTime(QDate(2026, 1, 15), QTime(10, 0, 5))};
    read(f.data[5].rows[0], f.s, {1, 1, 1, 1, 1, 1}, false);

    EXPECT_TRUE(f.write(false));
    f.data = DatiStazioni{};
    read(d.rows[0], f.s, {2, 0, 0, 0, 0, 0.05f}, false);
    read(d.rows[1], f.s, {0, 3, 4, 0, 0, 0}, false);
    d.NumLetture = 1;
    f.report[2].firstReading = QDateTime(QDate(2026, 1, 15), QTime(10, 10, 30));
    EXPECT_FALSE(f.write(true));
    EXPECT_EQ(readAll(f.fileOf("456CD11789")), expected("report_tab_eh.txt"));
    EXPECT_FALSE(QFileInfo::exists(f.fileOf("789EF01000")));
    EXPECT_TRUE(f.report[5].firstBlock);
}

TEST(ListReportFile, HeadingCellsAndUnsafeSerialsStayInsideAppDir) {
    ReportFixture f;
    f.s.separatorIndex = 2;
    EXPECT_EQ(ListReport::headingLine(f.s),
              QStringLiteral("Frequency MHz  ;            RBW;  E V/m (AVG)  ;"));
    f.setTable({{1.0, 0}});
    for (int i = 0; i < 3; ++i) {
        f.stations[i] = {i + 1, true};
        read(f.data[i].rows[0], f.s, {1, 0, 0}, false);
        f.data[i].NumLetture = 1;
        f.report[i].firstReading = QDateTime(QDate(2026, 1, 15), QTime(10, 0, 0));
    }
    f.report[0].serial = "../../../evil";
    f.report[1].serial = "..";
    f.report[2].serial = "a/b";
    f.write(true);
    EXPECT_FALSE(QFileInfo::exists(f.dir.path() + "../evil"));
    EXPECT_FALSE(QFileInfo::exists(f.dir.path() + "Test/a"));
    EXPECT_FALSE(QFileInfo::exists(f.dir.path() + "Test/2026"));
}

TEST(ListReportFile, StopLineOnlyIntoFilesOfTheDayThatHoldData) {
    ReportFixture f;
    f.setTable({{1.0, 0}});
    f.stations[0] = {1, true};
    f.stations[1] = {2, true};
    f.report[0].serial = "111AA01111"; // earlier block in today's file
    f.report[1].serial = "222BB02222"; // never complete: no file to close
    QDir().mkpath(f.dir.path() + "Test/111AA01111/2026/01/15");
    writeAll(f.fileOf("111AA01111"), "x\r\n");
    f.write(true);
    EXPECT_EQ(readAll(f.fileOf("111AA01111")),
              QByteArray("x\r\n") + ListReport::kStopLine + "\r\n");
    EXPECT_FALSE(QFileInfo::exists(f.fileOf("222BB02222")));
}
