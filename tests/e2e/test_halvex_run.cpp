// The unattended runner against the probe simulator over pseudo-terminals: the real program,
// real serial ports, real time.

#include "app/AppContext.h"
#include "freqtable/FreqTableFile.h"
#include "panel/PanelModel.h"
#include "panel/SettingsFile.h"
#include "sim/Scenario.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Writes a panel of the simulator's three default stations, E and H Mode A, RMS, TAB,
// a rate of one minute, and a three-row table.
void preparePanel(const QString& dir) {
    VirtualClock clock;
    VirtualPump pump(clock);
    AppContext ctx(dir, {}, clock, pump);
    FreqTable t;
    t.rows[0] = {0.1, 0, 0};
    t.rows[1] = {1.8, 1, 0};
    t.rows[2] = {2.5, 3, 0};
    ASSERT_TRUE(FreqTableFile::write(dir + "Table/E2E.FTR", t));
    QDir().mkpath(dir + "Panels");
    SettingsRecord settings = SettingsDefaults();
    PanelModel model(ctx, settings);
    model.startUp();
    for (int port : {1, 2, 3})
        model.addStation(port, {}, {}, true);
    model.setFreqTableName("E2E");
    model.editSettings([](PanelRecord& p) {
        p.ListModeOn = 1;
        p.SpectrumModeOn = 1; // only its List Mode part runs here
        p.ListModeRate = 1;
        p.ListModeFields = {1, 1, 0};
        p.DetectorIndex = 1;
        p.SeparatorIndex = 0;
    });
    ASSERT_TRUE(model.checks().canExecute()) << model.statusText().toStdString();
}

bool waitFor(const std::function<bool()>& ready, int tenthsOfSecond) {
    for (int i = 0; i < tenthsOfSecond; ++i) {
        if (ready()) return true;
        QThread::msleep(100);
    }
    return ready();
}
} // namespace

TEST(HalvexRun, OnePeriodAgainstTheProbeSimulator) {
    const QString run = binDir() + "/halvex-run";
    const QString sim = binDir() + "/halvex-probesim";
    if (!QFileInfo::exists(run) || !QFileInfo::exists(sim))
        GTEST_SKIP() << "halvex-run or halvex-probesim not built";

    TempAppDir dir;
    preparePanel(dir.path());

    QProcess probes;
    probes.start(sim, {"--app-dir", dir.path()});
    ASSERT_TRUE(probes.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(dir.path() + "ports/COM3"); }, 100))
        << probes.readAllStandardError().constData();

    QProcess runner;
    runner.setWorkingDirectory(dir.path());
    runner.start(run, {"--app-dir", dir.path(), "--periods", "1"});
    ASSERT_TRUE(runner.waitForStarted());
    const bool finished = runner.waitForFinished(150000);
    const QByteArray out = runner.readAllStandardOutput();
    probes.terminate();
    probes.waitForFinished(5000);
    ASSERT_TRUE(finished) << out.constData();
    EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runner.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains(" MHz  E = ")) << out.constData();

    const QDate today = QDate::currentDate();
    const QByteArray log =
        readAll(dir.path() + "Test/Log/" + today.toString("yyyy/MM/dd") + ".TXT");
    const qsizetype start = log.indexOf("Scan Start (List Mode)");
    ASSERT_GE(start, 0) << log.constData();
    EXPECT_GT(log.indexOf("Scan Close (List Mode)"), start);

    // A run that spans midnight writes the report into the later day.
    for (const StationConfig& st : defaultScenario().stations) {
        const QString serial = QString::fromLatin1(st.serial);
        QByteArray report;
        for (const QDate d : {today, today.addDays(-1)}) {
            report = readAll(dir.path() + "Test/" + serial + "/" + d.toString("yyyy/MM/dd") +
                             "/Table_Mode.TXT");
            if (!report.isEmpty()) break;
        }
        ASSERT_FALSE(report.isEmpty()) << serial.toStdString();
        EXPECT_TRUE(report.startsWith("-------------------------- Start Test  "));
        EXPECT_TRUE(report.contains("Station: " + st.serial.left(10) + " Reading : "));
        EXPECT_TRUE(report.contains("Rel. FW: 1.0"));
        EXPECT_TRUE(report.contains("Frequency MHz  \t            RBW\t  E V/m (RMS)  \t"));
        EXPECT_TRUE(report.contains("\t         30 kHz\t")); // 0.1 MHz at 300 kHz is limited
        EXPECT_EQ(report.count("\r\n"), 9);                  // one block, then the stop line
        EXPECT_TRUE(report.endsWith(
            "-------------------------- Stop Test  ---------------------------\r\n"));
    }
}

TEST(HalvexRun, TerminateActsAsStop) {
    const QString run = binDir() + "/halvex-run";
    const QString sim = binDir() + "/halvex-probesim";
    if (!QFileInfo::exists(run) || !QFileInfo::exists(sim))
        GTEST_SKIP() << "halvex-run or halvex-probesim not built";

    TempAppDir dir;
    preparePanel(dir.path());
    QProcess probes;
    probes.start(sim, {"--app-dir", dir.path()});
    ASSERT_TRUE(probes.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(dir.path() + "ports/COM3"); }, 100));

    QProcess runner;
    runner.start(run, {"--app-dir", dir.path(), "/SEGNATUTTO"});
    ASSERT_TRUE(runner.waitForStarted());
    // Wait for the second pass to begin: station 1 read again after station 3.
    QByteArray out;
    const bool secondPass = waitFor(
        [&] {
            runner.waitForReadyRead(10);
            out += runner.readAllStandardOutput();
            const qsizetype third = out.indexOf("Station 3 (");
            return third >= 0 && out.indexOf("Station 1 (", third) >= 0;
        },
        600);
    runner.terminate();
    const bool finished = runner.waitForFinished(30000);
    out += runner.readAllStandardOutput();
    probes.terminate();
    probes.waitForFinished(5000);
    ASSERT_TRUE(secondPass) << out.constData();
    ASSERT_TRUE(finished) << out.constData();
    EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runner.exitCode(), 0);

    // The report of the one complete pass, closed by the stop line.
    for (const StationConfig& st : defaultScenario().stations) {
        const QByteArray report =
            readAll(dir.path() + "Test/" + QString::fromLatin1(st.serial) + "/" +
                    QDate::currentDate().toString("yyyy/MM/dd") + "/Table_Mode.TXT");
        EXPECT_TRUE(report.contains(" Reading : 1 ")) << report.constData();
        EXPECT_TRUE(report.endsWith(
            "-------------------------- Stop Test  ---------------------------\r\n"));
    }
    EXPECT_TRUE(
        readAll(dir.path() + "Test/Log/" + QDate::currentDate().toString("yyyy/MM/dd") + ".TXT")
            .contains("Scan Close (List Mode)"));
}

TEST(HalvexRun, PanelThatCannotRunExitsWithTwo) {
    const QString run = binDir() + "/halvex-run";
    if (!QFileInfo::exists(run)) GTEST_SKIP() << "halvex-run not built";
    TempAppDir dir; // no station, no table
    QProcess runner;
    runner.start(run, {"--app-dir", dir.path()});
    ASSERT_TRUE(runner.waitForFinished(30000));
    EXPECT_EQ(runner.exitCode(), 2);
    EXPECT_TRUE(runner.readAllStandardOutput().contains("NO STATION SELECTED"));
}
