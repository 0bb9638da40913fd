#include "measure/Exposure.h"
#include "measure/ExposureSetup.h"
#include "measure/LimitTable.h"
#include "measure/ResultsCsv.h"

#include "CycleRig.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

LimitTable generalPublic() {
    auto t = LimitTables::builtIn(QLatin1String(LimitTables::kDefaultName));
    EXPECT_TRUE(t.has_value());
    return t.value_or(LimitTable{});
}

std::optional<double> refE(const LimitTable& t, double f) {
    return t.referenceLevel(LimitField::E, f);
}

QString refusal(const QByteArray& text) {
    QString why;
    EXPECT_FALSE(LimitTables::parse(text, QStringLiteral("National.txt"), &why).has_value())
        << text.constData();
    return why;
}

// A run of one station whose panel chooses the limit table `name` in Limits/, with `periods`
// one-minute List Mode periods on E.
void runWithTable(CycleRig& rig, const QString& name, const QByteArray& table, int periods) {
    ASSERT_TRUE(writeAll(rig.dir.path() + "Limits/" + name, table));
    ASSERT_TRUE(ExposureChoiceFile::save(
        ExposureChoiceFile::sideFilePath(rig.session->panelModel().currentPanelPath()),
        {name, 100.0}));
    rig.listModeE(1);
    rig.session->run().maxPeriods = periods;
    QString why;
    EXPECT_EQ(rig.session->CMBExecute(&why), Session::ExecuteResult::ListModeRun)
        << why.toStdString();
}

} // namespace

// Known points of the 1998 tables, both shipped files.
TEST(LimitTable, ShippedTablesGiveThePublishedLevels) {
    const LimitTable gp = generalPublic();
    EXPECT_EQ(gp.name, QStringLiteral("ICNIRP 1998 general public"));
    EXPECT_DOUBLE_EQ(*refE(gp, 0.5), 87.0);
    EXPECT_DOUBLE_EQ(*refE(gp, 4.0), 43.5);
    EXPECT_DOUBLE_EQ(*refE(gp, 27.12), 28.0);
    EXPECT_NEAR(*refE(gp, 900.0), 1.375 * 30.0, 1e-9);
    EXPECT_DOUBLE_EQ(*refE(gp, 5000.0), 61.0);
    // A boundary belongs to the band below it: 0.15 MHz still has the 5 A/m of 3-150 kHz.
    EXPECT_DOUBLE_EQ(*gp.referenceLevel(LimitField::H, 0.15), 5.0);
    for (double f : {0.16, 0.5, 1.0, 4.0, 10.0})
        EXPECT_NEAR(*gp.referenceLevel(LimitField::H, f), 0.73 / f, 1e-12) << f;
    EXPECT_DOUBLE_EQ(*gp.referenceLevel(LimitField::H, 100.0), 0.073);
    // Below 1 Hz the guidelines give no E level.
    EXPECT_FALSE(refE(gp, 0.0000005).has_value());
    EXPECT_FALSE(gp.covers(400000.0));

    const auto occ = LimitTables::builtIn(QStringLiteral("ICNIRP 1998 occupational"));
    ASSERT_TRUE(occ.has_value());
    EXPECT_DOUBLE_EQ(*refE(*occ, 0.5), 610.0);
    EXPECT_DOUBLE_EQ(*refE(*occ, 4.0), 152.5);
    EXPECT_DOUBLE_EQ(*refE(*occ, 27.12), 61.0);
    EXPECT_NEAR(*occ->referenceLevel(LimitField::H, 2.0), 0.8, 1e-12);
    EXPECT_NEAR(*occ->summationLevel(LimitField::E, true, 0.5), 1220.0, 1e-9); // c = 610/f
}

TEST(Exposure, HandComputedCases) {
    const LimitTable gp = generalPublic();
    // One 1 MHz line at 43.5 V/m: half the level, on both rules.
    PeriodExposure one = evaluateExposure(gp, {{1.0, 43.5, std::nullopt}});
    ASSERT_EQ(one.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(*one.lines[0].e, 0.5);
    EXPECT_DOUBLE_EQ(*one.e.linear, 0.5);
    EXPECT_DOUBLE_EQ(*one.e.square, 0.5);
    EXPECT_DOUBLE_EQ(*one.total(), 0.5);
    EXPECT_FALSE(one.h.linear.has_value());

    // Two lines at 50 % where both rules divide by the same level (two rows at 1 MHz):
    // 100 % linear, sqrt(0.5) on the square rule.
    PeriodExposure two = evaluateExposure(gp, {{1.0, 43.5, {}}, {1.0, 43.5, {}}});
    EXPECT_NEAR(*two.e.linear, 1.0, 1e-12);
    EXPECT_NEAR(*two.e.square, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(*two.total(), 1.0, 1e-12);
    // Below 1 MHz the heating rule divides by c = 87/sqrt(f), not by the reference level.
    PeriodExposure below = evaluateExposure(gp, {{0.5, 43.5, {}}, {1.0, 43.5, {}}});
    EXPECT_NEAR(*below.e.linear, 1.0, 1e-12);
    EXPECT_NEAR(*below.e.square, std::sqrt(0.125 + 0.25), 1e-12);

    // 4 MHz at 43.5 V/m is the full reference level; the stimulation rule divides by the
    // constant 87 V/m above 1 MHz, the heating rule by the level itself.
    PeriodExposure four = evaluateExposure(gp, {{4.0, 43.5, {}}});
    EXPECT_DOUBLE_EQ(*four.lines[0].e, 1.0);
    EXPECT_DOUBLE_EQ(*four.e.linear, 0.5);
    EXPECT_DOUBLE_EQ(*four.e.square, 1.0);

    // An H-only station: 0.073 A/m at 2 MHz against 0.365 A/m; the linear rule divides by
    // b = 5 A/m above 65 kHz. 27.12 MHz lies beyond the stimulation range.
    PeriodExposure h = evaluateExposure(gp, {{2.0, {}, 0.073}, {27.12, {}, 0.0365}});
    EXPECT_FALSE(h.e.linear.has_value());
    EXPECT_FALSE(h.e.square.has_value());
    EXPECT_NEAR(*h.lines[0].h, 0.2, 1e-12);
    EXPECT_NEAR(*h.lines[1].h, 0.5, 1e-12);
    EXPECT_NEAR(*h.h.linear, 0.073 / 5.0, 1e-12);
    EXPECT_NEAR(*h.h.square, std::sqrt(0.04 + 0.25), 1e-12);

    // A line outside every band is left out of the totals and named.
    PeriodExposure out = evaluateExposure(gp, {{1.0, 43.5, {}}, {500000.0, 1000.0, {}}});
    EXPECT_FALSE(out.lines[1].evaluated);
    EXPECT_FALSE(out.lines[1].e.has_value());
    EXPECT_EQ(out.notEvaluated(), std::vector<double>{500000.0});
    EXPECT_DOUBLE_EQ(*out.total(), 0.5);
}

TEST(LimitTable, HostileFilesAreRefusedNamingFileAndLine) {
    const std::pair<const char*, const char*> refused[] = {
        {"", "the file is empty"},
        {"# only a comment\n", "no band"},
        {"name X\n\nband 1 10 E -87 H 1\n", "line 3: a level must be greater than 0"},
        {"band 1 10 E nan H 1\n", "line 1: \"nan\" is not a number"},
        {"band 1 10 E 87 H 1\nband 5 20 E 28 H 1\n",
         "line 2: the range overlaps the one before or is out of order"},
        {"band 10 1 E 87 H 1\n", "line 1: the range ends before it begins"},
        {"band 0 1 E 87*f^-1 H 1\n", "line 1: a level in f^k cannot start at 0 MHz"},
        {"band 1 10 E 1e308*f^4 H 1\n",
         "line 1: the level is not a positive number over its range"},
        {"band 1 10 E 87 H 1\nsquare E 1 10 87\nsquare E 5 20 table\n",
         "line 3: the range overlaps the one before or is out of order"},
    };
    for (const auto& [text, why] : refused) {
        const QString line = QString::fromLatin1(why);
        EXPECT_EQ(refusal(text),
                  QStringLiteral("National.txt") + (line.startsWith("line") ? ", " : ": ") + line);
    }
    EXPECT_TRUE(refusal("band 1 10 E 87 H 1\nrm -rf /\n").startsWith("National.txt, line 2"));
    EXPECT_TRUE(refusal(QByteArray("band 1 10 E 87\0 H 1\n", 20)).contains("line 1"));

    // A huge file is refused unread; a refused table leaves the run without evaluation.
    QTemporaryDir dir;
    ASSERT_TRUE(
        writeAll(dir.filePath("Limits/Huge.txt"), QByteArray(LimitTables::kMaxFileBytes + 1, '#')));
    ExposureChoice c;
    c.table = QStringLiteral("Huge.txt");
    const ExposureSetup s = ExposureChoiceFile::resolve(dir.path(), c);
    EXPECT_FALSE(s.table.has_value());
    EXPECT_EQ(s.problem, QStringLiteral("Huge.txt: too large (65537 bytes, at most 65536)"));
    c.table = QStringLiteral("../Panels/x.txt");
    EXPECT_FALSE(ExposureChoiceFile::resolve(dir.path(), c).table.has_value());
}

TEST(ExposureSetup, SideFileKeepsTheChoiceBesideThePanel) {
    QTemporaryDir dir;
    const QString side = ExposureChoiceFile::sideFilePath(dir.filePath("Panels/North.EST"));
    EXPECT_EQ(side, dir.filePath("Panels/North.json"));
    EXPECT_EQ(ExposureChoiceFile::load(side), ExposureChoice{}); // missing: the default table
    ExposureChoice c{QStringLiteral("National.txt"), 50.0};
    ASSERT_TRUE(ExposureChoiceFile::save(side, c));
    EXPECT_EQ(ExposureChoiceFile::load(side), c);

    ASSERT_TRUE(writeAll(side, R"({"limitTable": "National.txt", "alarmPercent": -3})"));
    QString why;
    EXPECT_EQ(ExposureChoiceFile::load(side, &why), ExposureChoice{});
    EXPECT_EQ(why, QStringLiteral("North.json: alarmPercent is not a number above 0"));

    ASSERT_TRUE(
        writeAll(dir.filePath("Limits/National.txt"), "name Nation\nband 0.1 3000 E 6 H 0.016\n"));
    EXPECT_EQ(
        ExposureChoiceFile::choices(dir.path()),
        (QStringList{"ICNIRP 1998 general public", "ICNIRP 1998 occupational", "National.txt"}));
}

TEST(ResultsCsv, AppendsKeepEarlierRowsAndCutATornLastRow) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Table_Mode.csv");
    QString note;
    ASSERT_TRUE(ResultsCsv::append(path, "a,1\r\n", &note));
    ASSERT_TRUE(ResultsCsv::append(path, "b,2\r\n", &note));
    EXPECT_TRUE(note.isEmpty());
    EXPECT_EQ(readAll(path), ResultsCsv::header() + "a,1\r\nb,2\r\n");

    // A crash in the middle of a row leaves it without its line end.
    ASSERT_TRUE(writeAll(path, readAll(path) + "c,3"));
    ASSERT_TRUE(ResultsCsv::append(path, "d,4\r\n", &note));
    EXPECT_EQ(readAll(path), ResultsCsv::header() + "a,1\r\nb,2\r\nd,4\r\n");
    EXPECT_EQ(note, QStringLiteral("Table_Mode.csv: a torn last row (3 bytes) was cut"));

    // A torn header: the file starts again with a whole one.
    ASSERT_TRUE(writeAll(path, "serial,per"));
    ASSERT_TRUE(ResultsCsv::append(path, "e,5\r\n", &note));
    EXPECT_EQ(readAll(path), ResultsCsv::header() + "e,5\r\n");

    EXPECT_EQ(ResultsCsv::isoTimestamp(
                  QDateTime(QDate(2026, 1, 15), QTime(10, 0), Qt::OffsetFromUTC, 3600)),
              QStringLiteral("2026-01-15T10:00:00+01:00"));
    EXPECT_EQ(ResultsCsv::isoTimestamp(QDateTime(QDate(2026, 1, 15), QTime(10, 0), Qt::UTC)),
              QStringLiteral("2026-01-15T10:00:00+00:00"));
}

// A run on the simulator: each period adds its rows beside the text report, with the same
// values, and the grid shows the station's total.
TEST(ResultsCsv, RunWritesRowsBesideTheReport) {
    CycleRig rig;
    rig.station(1, "111AA01111", {3.0, 4.0, 0.0}, {1.0, 27.12});
    rig.setTable({{1.0, 0}, {27.12, 0}, {28.0, 0}});
    std::vector<StationPeriodResult> seen;
    rig.session->run().periodResults = [&](const std::vector<StationPeriodResult>& r) {
        seen.insert(seen.end(), r.begin(), r.end());
    };
    // A national table without levels above 27.5 MHz.
    runWithTable(rig, "National.txt",
                 "name Nation\nband 0.1 10 E 87 H 5\nband 10 27.5 E 28 H 0.073\n"
                 "square E 0.1 27.5 table\n",
                 2);
    ASSERT_EQ(seen.size(), 2u) << rig.eventLog().constData();
    ASSERT_TRUE(seen[0].exposure.has_value());
    // 5 V/m at 27.12 MHz against 28 V/m; 5 V/m at 1 MHz against 87 V/m.
    EXPECT_NEAR(*seen[0].exposure->lines[1].e, 5.0 / 28.0, 1e-5);
    EXPECT_NEAR(*seen[0].exposure->e.square, std::hypot(5.0 / 87.0, 5.0 / 28.0), 1e-5);
    EXPECT_FALSE(seen[0].exposure->lines[2].evaluated);
    EXPECT_FALSE(seen[0].aboveAlarm);
    EXPECT_EQ(rig.view.exposureCells[0], QStringLiteral("18.8 %"));
    EXPECT_EQ(rig.view.exposureColours[0], 0x00008000u);

    const QString dir = rig.dir.path() + "Test/111AA01111/2026/01/15/";
    const QList<QByteArray> lines = readAll(dir + "Table_Mode.csv").split('\n');
    ASSERT_EQ(lines.size(), 1 + 2 * 3 + 1);
    EXPECT_EQ(lines[0] + '\n', ResultsCsv::header());
    const QList<QByteArray> row = lines[2].trimmed().split(',');
    EXPECT_EQ(row[0], "111AA01111");
    EXPECT_EQ(row[3], "27.12");
    EXPECT_EQ(row[7], "5.0000");
    EXPECT_EQ(row[15], "17.86");
    EXPECT_EQ(lines[3].trimmed().split(',').last(), "not evaluated: outside the table's bands");
    EXPECT_TRUE(readAll(dir + "Table_Mode.TXT").contains("5.0000"));
}

// A refused table: the run goes on, the CSV rows say why, the event log names file and line.
TEST(ResultsCsv, RefusedTableLeavesTheRunWithoutEvaluation) {
    CycleRig rig;
    rig.oneStation();
    runWithTable(rig, "Bad.txt", "name Bad\nband 0.1 10 E nan H 1\n", 1);
    EXPECT_TRUE(rig.eventLog().contains(
        "Exposure not evaluated: Bad.txt, line 2: \"nan\" is not a number"));
    const QByteArray csv = readAll(rig.dir.path() + "Test/111AA01111/2026/01/15/Table_Mode.csv");
    EXPECT_TRUE(csv.contains(",5.0000,")) << csv.constData();
    EXPECT_TRUE(
        csv.endsWith(",\"not evaluated: Bad.txt, line 2: \"\"nan\"\" is not a number\"\r\n"))
        << csv.constData();
    EXPECT_TRUE(rig.view.exposureCells[0].isEmpty());
    EXPECT_TRUE(rig.report("111AA01111").contains("5.0000"));
}
