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
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {
struct PanelStation {
    int port;
    bool enabled;
};
const std::vector<PanelStation> kSimStations = {{1, true}, {2, true}, {3, true}};
const char* const kStopLine =
    "-------------------------- Stop Test  ---------------------------\r\n";

// Table Mode of E alone; the rest as a new panel has it (a rate of one minute, AVG, TAB).
void tableModeOfE(PanelRecord& p) {
    p.SpectrumModeOn = 0;
    p.ListModeFields = {1, 0, 0};
}

// Writes, as the program would, the current panel of dir with the stations and the table
// `tableName` of `rows` (none written when empty), its settings set by `edit`. Returns why
// the panel cannot run, empty when it can.
QString writePanel(const QString& dir, const std::vector<PanelStation>& stations,
                   const QString& tableName, const std::vector<FreqTableRow>& rows,
                   const std::function<void(PanelRecord&)>& edit = tableModeOfE) {
    VirtualClock clock;
    VirtualPump pump(clock);
    AppContext ctx(dir, {}, clock, pump);
    if (!rows.empty()) {
        FreqTable t;
        for (size_t i = 0; i < rows.size(); ++i)
            t.rows[i] = rows[i];
        EXPECT_TRUE(FreqTableFile::write(dir + "Table/" + tableName + ".FTR", t));
    }
    SettingsRecord settings = SettingsDefaults();
    PanelModel model(ctx, settings);
    model.startUp();
    for (const PanelStation& s : stations)
        model.addStation(s.port, {}, {}, s.enabled);
    model.setFreqTableName(tableName);
    model.editSettings(edit);
    return model.checks().canExecute() ? QString() : model.statusText();
}

// The simulator's three default stations, E and H Mode A, RMS, TAB, a rate of one minute,
// and a three-row table. Spectrum Mode stays on, as a new panel has it: its turn of sweeps
// follows the report.
QString prepareRunPanel(const QString& dir) {
    return writePanel(dir, kSimStations, "E2E", {{0.1, 0, 0}, {1.8, 1, 0}, {2.5, 3, 0}},
                      [](PanelRecord& p) {
                          p.ListModeFields = {1, 1, 0};
                          p.DetectorIndex = 1;
                      });
}

// The simulator's three default stations on a one-minute rate reading E at two frequencies,
// and Spectrum Mode of E and H over 1-30 MHz at 300 kHz (a short sweep); what is not set here
// is as a new panel has it.
QString prepareSpectrumPanel(const QString& dir, bool listMode, bool pictures) {
    return writePanel(dir, kSimStations, "SM", {{1.0, 0, 0}, {13.56, 0, 0}}, [&](PanelRecord& p) {
        p.ListModeOn = listMode ? 1 : 0;
        p.SpectrumModeRateIndex = 0;
        p.SpectrumStartFrequency = 1.0f;
        p.SpectrumRBWIndex = 0;
        p.SaveImage = {qint16(pictures ? 1 : 0), 0};
    });
}

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome runProgram(const QString& program, const QStringList& args, const QString& cwd) {
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {}; // killed as p goes
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// Every entry below dir, so that a test sees anything a program created.
QStringList listing(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

// The names of the files below a station's folder that match pattern.
QStringList stationFiles(const QString& dir, const QString& serial, const QString& pattern) {
    QStringList out;
    QDirIterator it(dir + "Test/" + serial, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QFileInfo(it.next()).fileName();
    return out;
}

QByteArray todaysLog(const QString& dir) {
    return readAll(dir + "Test/Log/" + QDate::currentDate().toString("yyyy/MM/dd") + ".TXT");
}

bool waitFor(const std::function<bool()>& ready, int tenthsOfSecond) {
    for (int i = 0; i < tenthsOfSecond; ++i) {
        if (ready()) return true;
        QThread::msleep(100);
    }
    return ready();
}

class HalvexRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(run) || !QFileInfo::exists(sim))
            GTEST_SKIP() << "halvex-run or halvex-probesim not built";
    }
    void TearDown() override {
        runner.kill();
        runner.waitForFinished(5000);
        probes.terminate();
        probes.waitForFinished(5000);
    }
    // The simulator on the ports of dir, with the runner started once they are there.
    bool start(const QStringList& args) {
        out.clear();
        probes.start(sim, {"--app-dir", dir.path()});
        if (!probes.waitForStarted()) return false;
        if (!waitFor([&] { return QFileInfo::exists(dir.path() + "ports/COM3"); }, 100))
            return false;
        runner.start(run, QStringList{"--app-dir", dir.path()} + args);
        return runner.waitForStarted();
    }
    // The runner ends by itself within ms with `code`; what it printed is added to out.
    void expectExit(int ms, int code) {
        const bool finished = runner.waitForFinished(ms);
        out += runner.readAllStandardOutput();
        ASSERT_TRUE(finished) << out.constData();
        EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(runner.exitCode(), code) << out.constData();
    }

    const QString run = binDir() + "/halvex-run";
    const QString sim = binDir() + "/halvex-probesim";
    TempAppDir dir;
    QProcess probes, runner;
    QByteArray out;
};
using HalvexRunSpectrum = HalvexRun;
} // namespace

TEST_F(HalvexRun, OnePeriodAgainstTheProbeSimulator) {
    ASSERT_EQ(prepareRunPanel(dir.path()), QString());
    // An alarm level that any field reaches: the run ends with its own exit status.
    ASSERT_TRUE(writeAll(dir.path() + "Panels/Untitled.json",
                         R"({"limitTable": "ICNIRP 1998 general public", "alarmPercent": 0.001})"));
    ASSERT_TRUE(start({"--periods", "1"})) << probes.readAllStandardError().constData();
    ASSERT_NO_FATAL_FAILURE(expectExit(150000, 3));
    for (const char* part :
         {" MHz  E = ", "% of ICNIRP 1998 general public (E linear ", "; ABOVE THE ALARM LEVEL\n"})
        EXPECT_TRUE(out.contains(part)) << out.constData();

    const QDate today = QDate::currentDate();
    const QByteArray log = todaysLog(dir.path());
    const qsizetype start = log.indexOf("Scan Start (List Mode)");
    ASSERT_GE(start, 0) << log.constData();
    EXPECT_GT(log.indexOf("Scan Close (List Mode)"), start);

    // A run that spans midnight writes the report into the later day.
    for (const StationConfig& st : defaultScenario().stations) {
        const QString serial = QString::fromLatin1(st.serial);
        QByteArray report, csv;
        for (const QDate d : {today, today.addDays(-1)}) {
            const QString day = dir.path() + "Test/" + serial + "/" + d.toString("yyyy/MM/dd");
            report = readAll(day + "/Table_Mode.TXT");
            csv = readAll(day + "/Table_Mode.csv");
            if (!report.isEmpty()) break;
        }
        ASSERT_FALSE(report.isEmpty()) << serial.toStdString();
        EXPECT_TRUE(report.startsWith("-------------------------- Start Test  "));
        // 0.1 MHz at 300 kHz is limited to 30 kHz.
        for (const QByteArray& part :
             {"Station: " + st.serial.left(10) + " Reading : ", QByteArray("Rel. FW: 1.0"),
              QByteArray("Frequency MHz  \t            RBW\t  E V/m (RMS)  \t"),
              QByteArray("\t         30 kHz\t")})
            EXPECT_TRUE(report.contains(part)) << report.constData();
        EXPECT_EQ(report.count("\r\n"), 9); // one block, then the stop line
        EXPECT_TRUE(csv.startsWith("serial,period_start,period_end,")) << serial.toStdString();
        EXPECT_TRUE(report.endsWith(kStopLine));
    }
}

TEST_F(HalvexRun, TerminateActsAsStop) {
    ASSERT_EQ(prepareRunPanel(dir.path()), QString());
    ASSERT_TRUE(start({"/SEGNATUTTO"}));
    // Wait for the second pass to begin: station 1 read again after station 3.
    const bool secondPass = waitFor(
        [&] {
            runner.waitForReadyRead(10);
            out += runner.readAllStandardOutput();
            const qsizetype third = out.indexOf("Station 3 (");
            return third >= 0 && out.indexOf("Station 1 (", third) >= 0;
        },
        600);
    runner.terminate();
    ASSERT_NO_FATAL_FAILURE(expectExit(30000, 0));
    ASSERT_TRUE(secondPass) << out.constData();

    // The report of the one complete pass, closed by the stop line.
    for (const StationConfig& st : defaultScenario().stations) {
        const QByteArray report =
            readAll(dir.path() + "Test/" + QString::fromLatin1(st.serial) + "/" +
                    QDate::currentDate().toString("yyyy/MM/dd") + "/Table_Mode.TXT");
        EXPECT_TRUE(report.contains(" Reading : 1 ")) << report.constData();
        EXPECT_TRUE(report.endsWith(kStopLine));
    }
    EXPECT_TRUE(todaysLog(dir.path()).contains("Scan Close (List Mode)"));
}

TEST_F(HalvexRunSpectrum, OnePeriodThenOneTurnOfSweeps) {
    ASSERT_EQ(prepareSpectrumPanel(dir.path(), true, true), QString());
    ASSERT_TRUE(start({"--periods", "1"}));
    ASSERT_NO_FATAL_FAILURE(expectExit(240000, 0));

    // One report, then one E and one H spectrum of every station, with its picture.
    for (const StationConfig& st : defaultScenario().stations) {
        QList<qsizetype> counts;
        for (const char* pattern :
             {"Table_Mode.TXT", "SM_E_*.SPC", "SM_E_*.TXT", "SM_H_*.SPC", "SM_H_*.TXT", "SM_*.BMP"})
            counts << stationFiles(dir.path(), QString::fromLatin1(st.serial), pattern).size();
        EXPECT_EQ(counts, QList<qsizetype>({1, 1, 1, 1, 1, 2})) << out.constData();
        EXPECT_TRUE(out.contains(" (" + st.serial.left(10) + "): E spectrum saved"))
            << out.constData();
    }
    EXPECT_EQ(out.count("spectrum saved"), 6);
    const QByteArray log = todaysLog(dir.path());
    EXPECT_LT(log.indexOf("Scan Start (List Mode)"), log.indexOf("Stop Sweep Spectrum: E"));
    EXPECT_LT(log.lastIndexOf("Stop Sweep Spectrum: H"), log.indexOf("Scan Close (List Mode)"));
}

TEST_F(HalvexRunSpectrum, SpectrumModeAloneForADurationThenTerminateMidSweep) {
    ASSERT_EQ(prepareSpectrumPanel(dir.path(), false, false), QString());
    // The first station's folder cannot be made: its spectra cannot be written.
    const QString blocked = QString::fromLatin1(defaultScenario().stations[0].serial);
    ASSERT_TRUE(writeAll(dir.path() + "Test/" + blocked, {}));
    ASSERT_TRUE(start({"--duration", "45"}));
    ASSERT_NO_FATAL_FAILURE(expectExit(120000, 0));
    for (const StationConfig& st : defaultScenario().stations) {
        const QString serial = QString::fromLatin1(st.serial);
        if (serial == blocked) continue;
        EXPECT_EQ(stationFiles(dir.path(), serial, "SM_E_*.SPC").size(), 1) << out.constData();
        EXPECT_EQ(stationFiles(dir.path(), serial, "SM_H_*.SPC").size(), 1);
    }
    const QByteArray log = todaysLog(dir.path());
    EXPECT_TRUE(log.contains("*** Cannot save file ")) << log.constData();
    EXPECT_TRUE(out.contains("(" + blocked.toLatin1() + "): E spectrum failed"));
    EXPECT_GE(log.indexOf("Scan Start (Spectrum Mode)"), 0);
    EXPECT_GT(log.indexOf("Scan Close (Spectrum Mode)"), log.indexOf("Stop Sweep Spectrum"));

    // Again with no bound, stopped by a signal in the middle of a sweep.
    TearDown();
    ASSERT_TRUE(QDir(dir.path() + "Test").removeRecursively());
    ASSERT_TRUE(start({}));
    ASSERT_TRUE(
        waitFor([&] { return todaysLog(dir.path()).contains("Start Sweep Spectrum: E"); }, 600));
    QThread::msleep(300);
    runner.terminate();
    ASSERT_NO_FATAL_FAILURE(expectExit(30000, 0));
    const QByteArray stopLog = todaysLog(dir.path());
    EXPECT_TRUE(stopLog.contains("*** Stop Sweep Spectrum manual")) << stopLog.constData();
    EXPECT_TRUE(stopLog.contains("Scan Close (Spectrum Mode)"));
    EXPECT_TRUE(out.contains("E spectrum stopped")) << out.constData();
}

TEST_F(HalvexRun, RefusedCommandLinesExitOneAndCreateNothing) {
    const QString missing = dir.path() + "no/such/dir";
    const QString noSwitch = " is not a switch; switches begin with \"/\" and are written in "
                             "capitals, e.g. /SEGNATUTTO.";
    const struct {
        QStringList args;
        QString says;
    } cases[] = {
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"--period", "1"}, "Unknown option 'period'."},
        {{"--periods"}, "Missing value after '--periods'."},
        {{"--periods", "0"}, "--periods needs a whole number of periods from 1, not \"0\"."},
        {{"--duration", "soon"}, "--duration needs a number of seconds above 0, not \"soon\"."},
        {{"SEGNATUTTO"}, "\"SEGNATUTTO\"" + noSwitch},
        {{"/segnatutto"}, "\"/segnatutto\"" + noSwitch},
        {{"--app-dir", missing}, "the application directory " + missing + " does not exist."},
    };
    // The reason, then the help text.
    const QString help = runProgram(run, {"--help"}, QDir::tempPath()).out;
    const QStringList before = listing(dir.path());
    for (const auto& c : cases) {
        const Outcome o = runProgram(run, c.args, dir.path());
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(o.code, 1) << what;
        EXPECT_EQ(o.err, "halvex-run: " + c.says + "\n\n" + help) << what;
        EXPECT_TRUE(o.out.isEmpty()) << what;
        EXPECT_EQ(listing(dir.path()), before) << what;
    }

    // Switches keep their substring rule: glued ones and value switches are accepted.
    writePanel(dir.path(), {}, "T", {{1.0, 2, 0}});
    const Outcome glued =
        runProgram(run, {"/ICONE/SEGNATUTTO", "/DELAYSC=2/", "--check"}, dir.path());
    EXPECT_EQ(glued.code, 2) << glued.err.toStdString(); // the panel has no station
    EXPECT_TRUE(glued.out.contains("Switches: /ICONE/SEGNATUTTO /DELAYSC=2/"))
        << glued.out.toStdString();

    // The simulator refuses a missing directory too, unless asked to create it.
    const Outcome o = runProgram(sim, {"--app-dir", missing}, dir.path());
    EXPECT_EQ(o.code, 1);
    EXPECT_TRUE(o.err.contains("does not exist")) << o.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "no"));
    probes.start(sim, {"--app-dir", missing, "--create-app-dir"});
    ASSERT_TRUE(probes.waitForStarted());
    EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(missing + "/ports/COM1"); }, 100));
}

TEST_F(HalvexRun, CheckAndRunSayWhyAPanelCannotRun) {
    const struct {
        std::vector<PanelStation> stations;
        const char* says; // %1: the application directory
        const char* table = "T";
        std::vector<FreqTableRow> rows = {{1.0, 2, 0}};
    } cases[] = {
        {{}, "NO STATION SELECTED: the panel has no station.\n"},
        {{{1, false}, {2, false}},
         "NO STATION SELECTED: no station is enabled (the panel has 2 stations).\n"},
        {{{5, true}, {7, true}, {5, true}, {7, true}, {8, true}},
         "COMM IN USE: port 5 is set for stations 1 and 3, port 7 for stations 2 and 4; each "
         "enabled station needs a port of its own.\n"},
        {{{1, true}},
         "FREQUENCY TABLE NOT FOUND: the panel's table \"Gone\" was looked for as "
         "%1Table/Gone.FTR and is not there.\n",
         "Gone",
         {}},
        {{{1, true}},
         "FREQUENCY TABLE NOT SUITABLE: in table \"Wide\", row 2: 45 MHz is out of range. "
         "Frequency range is 9kHz - 30MHz.\n",
         "Wide",
         {{1.0, 2, 0}, {45.0, 2, 0}}},
    };
    for (const auto& c : cases) {
        TempAppDir dir;
        writePanel(dir.path(), c.stations, c.table, c.rows);
        const QString says = QString::fromUtf8(c.says).replace("%1", dir.path());
        for (const QStringList& args : {QStringList{}, QStringList{"--check"}}) {
            const Outcome o =
                runProgram(run, QStringList{"--app-dir", dir.path()} + args, dir.path());
            EXPECT_EQ(o.code, 2) << says.toStdString();
            EXPECT_EQ(o.err, says) << args.join(' ').toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "Test/Log")) << says.toStdString();
    }
}

TEST_F(HalvexRun, CheckOfAGoodPanelSaysWhatARunWouldDoWithoutOpeningAPort) {
    ASSERT_EQ(writePanel(dir.path(), {{1, true}, {9, false}}, "Good", {{0.1, 2, 0}, {27.12, 2, 0}}),
              QString());
    // Port 1 leads to a device that is there (a plain file: nothing may open it), port 9 to
    // one that is not.
    QDir().mkpath(dir.path() + "ports");
    ASSERT_TRUE(writeAll(dir.path() + "device", {}));
    ASSERT_TRUE(QFile::link(dir.path() + "device", dir.path() + "ports/COM1"));
    ASSERT_TRUE(QFile::link(dir.path() + "no-such-device", dir.path() + "ports/COM9"));
    const Outcome o = runProgram(run, {"--check", "/SEGNATUTTO"}, dir.path());
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.isEmpty()) << o.err.toStdString();
    EXPECT_EQ(o.out, QString("Application directory: %1\n"
                             "Panel: Untitled (%1Panels/Untitled.EST)\n"
                             "Frequency table: Good, 2 rows\n"
                             "  row 1: 0.1 MHz, RBW 30 kHz\n"
                             "  row 2: 27.12 MHz, RBW 30 kHz\n"
                             "Stations: 1 of 2 enabled\n"
                             "  Station 1: port 1 (%1device), enabled\n"
                             "  Station 2: port 9 (%1no-such-device, not present), disabled\n"
                             "Table Mode: on, fields E, AVG, report every 1 min., separator TAB\n"
                             "Spectrum Mode: off\n"
                             "Switches: /SEGNATUTTO\n"
                             "The panel can run.\n")
                         .arg(dir.path()));
    EXPECT_TRUE(readAll(dir.path() + "device").isEmpty());
    // With /SEGNATUTTO every port open would be in the event log: there is none.
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "Test/Log")) << o.out.toStdString();
}

TEST_F(HalvexRun, AMissingPortIsNamedInTheWordsOfTheEventLog) {
    ASSERT_EQ(writePanel(dir.path(), {{9, true}}, "T", {{1.0, 2, 0}}), QString());
    // COM9 leads nowhere, whatever serial ports this machine has.
    QDir().mkpath(dir.path() + "ports");
    ASSERT_TRUE(QFile::link(dir.path() + "no-such-device", dir.path() + "ports/COM9"));
    const Outcome o = runProgram(run, {"--duration", "2.5"}, dir.path());
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains(QRegularExpression("\\d\\d:\\d\\d:\\d\\d Station 1: Port 9 not "
                                                  "available\n")))
        << o.out.toStdString();
    EXPECT_FALSE(o.out.contains("no answer")) << o.out.toStdString();
}

TEST_F(HalvexRun, TheReadmeCarriesTheHelpText) {
    const QByteArray readme = readAll(qEnvironmentVariable("HALVEX_SOURCE_DIR") + "/README.md");
    const qsizetype from = readme.indexOf("```text\nUsage: halvex-run ");
    ASSERT_GE(from, 0) << "README has no copy of halvex-run --help";
    const qsizetype begin = from + qsizetype(strlen("```text\n"));
    const qsizetype end = readme.indexOf("```", begin);
    const Outcome o = runProgram(run, {"--help"}, QDir::tempPath());
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(QString::fromUtf8(readme.mid(begin, end - begin)), o.out);
}
