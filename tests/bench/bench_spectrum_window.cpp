// The spectrum window following a real-time acquisition of 4001 points per pass, served by
// halvex-probesim through a pseudo-terminal and read by the program's serial port channel,
// the window shown (offscreen). Prints two ratios:
//  - the program's CPU time over the acquisition against its duration; the aim is 0.03 or
//    less, so that following a sweep costs the machine next to nothing;
//  - the plot area repainted on screen per decoded point against the plot's area; the aim is
//    0.05 or less on average, so that only what a point changed is painted again.

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "link/ProbeLink.h"
#include "link/SerialPortChannel.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SweepAcquisition.h"
#include "support/TestSupport.h"
#include "views/FrmSpettro.h"
#include "views/Prompts.h"
#include "views/SingleSweep.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

// User + system CPU seconds of this process so far.
double ownCpuSeconds() {
#ifdef Q_OS_UNIX
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
#else
    return -1;
#endif
}

struct SilentPrompts : Prompts {
    bool question(const QString&) override { return false; }
    void message(const QString&, MessageIcon) override {}
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QtEventPump::preferLeanEventLoop(); // as the program does
    QApplication app(argc, argv);
    const QString program = binDir() + QStringLiteral("/halvex-probesim");
    if (!QFileInfo(program).isExecutable()) {
        std::printf("bench_spectrum_window: %s is not built; nothing measured\n",
                    qPrintable(program));
        return 0;
    }
    TempAppDir dir;
    QProcess sim;
    sim.start(program, {QStringLiteral("--app-dir"), dir.path()});
    if (!sim.waitForStarted(10000)) {
        std::printf("bench_spectrum_window: cannot start %s\n", qPrintable(program));
        return 1;
    }
    for (int i = 0; i < 200 && !QFileInfo(dir.file(QStringLiteral("ports/COM1"))).isSymLink(); ++i)
        QThread::msleep(50);

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(dir.path(), QString(), clock, pump);
    SerialPortChannel channel(ctx.appDir);
    ProbeLink link(ctx, channel);
    SpectrumFiles files(ctx.appDir, clock);
    SilentPrompts prompts;
    std::unique_ptr<FrmSpettro> window;
    SweepAcquisition acquisition(
        link, files,
        AcquisitionTexts{[&](float level) { return window->levelTextRule()(level); },
                         [&](float v) { return window->refLevelRule()(v); }});
    window = std::make_unique<FrmSpettro>(ctx, acquisition.data(), prompts);
    acquisition.setView(window.get());
    takePicturesFrom(files, *window);
    window->resize(1100, 640);
    window->show();

    int rc = 0;
    link.OpenStationPort(1);
    if (link.linkFailed(0)) {
        std::printf("bench_spectrum_window: cannot open the simulated COM1\n");
        rc = 1;
    } else {
        // 30 MHz at the 1 kHz RBW: the step widens to 7.5 kHz and each pass has 4001 points.
        SweepSettings settings;
        settings.setRange(0.0f, 30.0f);
        settings.RbwIndex = 5;
        AcquisitionRecord record;
        record.stationId = QStringLiteral("123AB01123");
        const SweepChoice choice = window->choiceFor(0);
        window->attachRecord(&record);
        window->plot()->resetPaintedArea();
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = ownCpuSeconds();
        const SweepOutcome outcome = acquisition.runAcquisition(0, settings, record, choice);
        const double cpu = ownCpuSeconds() - cpu0;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        window->attachRecord(nullptr);
        const int points = 3 * acquisition.data().NPoints;
        const QRect plot = window->painter().plotRect();
        const double plotArea = double(plot.width()) * plot.height();
        if (outcome != SweepOutcome::Done || points == 0) {
            std::printf("bench_spectrum_window: the acquisition did not complete\n");
            rc = 1;
        } else {
            std::printf("bench_spectrum_window: %d points in 3 passes over %.2f s: program CPU / "
                        "acquisition time = %.4f (aim <= 0.03)\n",
                        points, seconds, cpu / seconds);
            std::printf("bench_spectrum_window: plot area repainted per decoded point / plot "
                        "area = %.5f (aim <= 0.05)\n",
                        double(window->plot()->paintedArea()) / points / plotArea);
        }
    }
    link.CloseStationPort();
    window.reset();
    sim.terminate();
    sim.waitForFinished(5000);
    return rc;
}
