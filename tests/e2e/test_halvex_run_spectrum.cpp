// Spectrum Mode in the unattended runner against the probe simulator over pseudo-terminals:
// the real program, real serial ports, real time.

#include "E2ePanel.h"
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
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

namespace {
// The simulator's three default stations on a one-minute rate reading E at two frequencies,
// and Spectrum Mode of E and H over 1-30 MHz at 300 kHz (a short sweep).
void preparePanel(const QString& dir, bool listMode, bool pictures) {
    writeE2ePanel(dir, QStringLiteral("SM"), {{1.0, 0, 0}, {13.56, 0, 0}}, [&](PanelRecord& p) {
        p.ListModeOn = listMode ? 1 : 0;
        p.SpectrumModeOn = 1;
        p.SpectrumRateOn = 1;
        p.SpectrumModeRateIndex = 0;
        p.ListModeRate = 1;
        p.ListModeFields = {1, 0, 1};
        p.SpectrumModeFields = {1, 1};
        p.SpectrumStartFrequency = 1.0f;
        p.SpectrumStopFrequency = 30.0f;
        p.SpectrumRBWIndex = 0;
        p.SaveImage = {qint16(pictures ? 1 : 0), 0};
    });
}

bool waitFor(const std::function<bool()>& ready, int tenthsOfSecond) {
    for (int i = 0; i < tenthsOfSecond; ++i) {
        if (ready()) return true;
        QThread::msleep(100);
    }
    return ready();
}

QStringList spectra(const QString& dir, const QString& serial, const QString& pattern) {
    QStringList out;
    QDirIterator it(dir + "Test/" + serial, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QFileInfo(it.next()).fileName();
    return out;
}

QByteArray todaysLog(const QString& dir) {
    return readAll(dir + "Test/Log/" + QDate::currentDate().toString("yyyy/MM/dd") + ".TXT");
}

// The simulator on dir's ports, with the runner started once they are there.
struct Programs {
    explicit Programs(const QString& dir) : dir_(dir) {}
    ~Programs() {
        runner.kill();
        runner.waitForFinished(5000);
        probes.terminate();
        probes.waitForFinished(5000);
    }
    bool start(const QStringList& args) {
        run_ = binDir() + "/halvex-run";
        const QString sim = binDir() + "/halvex-probesim";
        if (!QFileInfo::exists(run_) || !QFileInfo::exists(sim)) return false;
        probes.start(sim, {"--app-dir", dir_});
        if (!probes.waitForStarted()) return false;
        if (!waitFor([&] { return QFileInfo::exists(dir_ + "ports/COM3"); }, 100)) return false;
        runner.start(run_, QStringList{"--app-dir", dir_} + args);
        return runner.waitForStarted();
    }
    QString dir_, run_;
    QProcess probes, runner;
};
} // namespace

TEST(HalvexRunSpectrum, OnePeriodThenOneTurnOfSweeps) {
    if (!QFileInfo::exists(binDir() + "/halvex-run")) GTEST_SKIP() << "halvex-run not built";
    TempAppDir dir;
    preparePanel(dir.path(), true, true);
    Programs p(dir.path());
    ASSERT_TRUE(p.start({"--periods", "1"}));
    const bool finished = p.runner.waitForFinished(240000);
    const QByteArray out = p.runner.readAllStandardOutput();
    ASSERT_TRUE(finished) << out.constData();
    EXPECT_EQ(p.runner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.runner.exitCode(), 0) << out.constData();

    // One report, then one E and one H spectrum of every station, with its picture.
    for (const StationConfig& st : defaultScenario().stations) {
        const QString serial = QString::fromLatin1(st.serial);
        EXPECT_EQ(spectra(dir.path(), serial, "Table_Mode.TXT").size(), 1);
        EXPECT_EQ(spectra(dir.path(), serial, "SM_E_*.SPC").size(), 1) << serial.toStdString();
        EXPECT_EQ(spectra(dir.path(), serial, "SM_E_*.TXT").size(), 1);
        EXPECT_EQ(spectra(dir.path(), serial, "SM_H_*.SPC").size(), 1);
        EXPECT_EQ(spectra(dir.path(), serial, "SM_H_*.TXT").size(), 1);
        EXPECT_EQ(spectra(dir.path(), serial, "SM_*.BMP").size(), 2);
        EXPECT_TRUE(out.contains(" (" + st.serial.left(10) + "): E spectrum saved"))
            << out.constData();
    }
    EXPECT_EQ(out.count("spectrum saved"), 6);
    const QByteArray log = todaysLog(dir.path());
    EXPECT_LT(log.indexOf("Scan Start (List Mode)"), log.indexOf("Stop Sweep Spectrum: E"));
    EXPECT_LT(log.lastIndexOf("Stop Sweep Spectrum: H"), log.indexOf("Scan Close (List Mode)"));
}

TEST(HalvexRunSpectrum, SpectrumModeAloneForADurationThenTerminateMidSweep) {
    if (!QFileInfo::exists(binDir() + "/halvex-run")) GTEST_SKIP() << "halvex-run not built";
    {
        TempAppDir dir;
        preparePanel(dir.path(), false, false);
        // The first station's folder cannot be made: its spectra cannot be written.
        const QString blocked = QString::fromLatin1(defaultScenario().stations[0].serial);
        QDir().mkpath(dir.path() + "Test");
        QFile block(dir.path() + "Test/" + blocked);
        ASSERT_TRUE(block.open(QIODevice::WriteOnly));
        block.close();
        Programs p(dir.path());
        ASSERT_TRUE(p.start({"--duration", "45"}));
        const bool finished = p.runner.waitForFinished(120000);
        const QByteArray out = p.runner.readAllStandardOutput();
        ASSERT_TRUE(finished) << out.constData();
        EXPECT_EQ(p.runner.exitCode(), 0) << out.constData();
        for (const StationConfig& st : defaultScenario().stations) {
            const QString serial = QString::fromLatin1(st.serial);
            if (serial == blocked) continue;
            EXPECT_EQ(spectra(dir.path(), serial, "SM_E_*.SPC").size(), 1) << out.constData();
            EXPECT_EQ(spectra(dir.path(), serial, "SM_H_*.SPC").size(), 1);
        }
        const QByteArray log = todaysLog(dir.path());
        EXPECT_TRUE(log.contains("*** Cannot save file ")) << log.constData();
        EXPECT_TRUE(out.contains("(" + blocked.toLatin1() + "): E spectrum failed"));
        EXPECT_GE(log.indexOf("Scan Start (Spectrum Mode)"), 0);
        EXPECT_GT(log.indexOf("Scan Close (Spectrum Mode)"), log.indexOf("Stop Sweep Spectrum"));
    }
    {
        TempAppDir dir;
        preparePanel(dir.path(), false, false);
        Programs p(dir.path());
        ASSERT_TRUE(p.start({}));
        ASSERT_TRUE(waitFor(
            [&] { return todaysLog(dir.path()).contains("Start Sweep Spectrum: E"); }, 600));
        QThread::msleep(300);
        p.runner.terminate();
        const bool finished = p.runner.waitForFinished(30000);
        const QByteArray out = p.runner.readAllStandardOutput();
        ASSERT_TRUE(finished) << out.constData();
        EXPECT_EQ(p.runner.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.runner.exitCode(), 0);
        const QByteArray log = todaysLog(dir.path());
        EXPECT_TRUE(log.contains("*** Stop Sweep Spectrum manual")) << log.constData();
        EXPECT_TRUE(log.contains("Scan Close (Spectrum Mode)"));
        EXPECT_TRUE(out.contains("E spectrum stopped")) << out.constData();
    }
}
