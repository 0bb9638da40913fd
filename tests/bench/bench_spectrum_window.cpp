// The spectrum window following a real-time acquisition of 4001 points per pass, served by
// halvex-probesim through a pseudo-terminal and read by the program's serial port channel,
// the window shown (offscreen). Prints two ratios:
//  - the program's CPU time over the acquisition against its duration; the aim is 0.03 or
//    less, so that following a sweep costs the machine next to nothing;
//  - the plot area repainted on screen per decoded point against the plot's area; the aim is
//    0.05 or less on average, so that only what a point changed is painted again.

#include "bench/BenchSupport.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SweepAcquisition.h"
#include "views/FrmSpettro.h"
#include "views/Prompts.h"
#include "views/SingleSweep.h"

#include <QApplication>

#include <memory>

namespace {

struct SilentPrompts : Prompts {
    bool question(const QString&) override { return false; }
    void message(const QString&, MessageIcon) override {}
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QtEventPump::preferLeanEventLoop(); // as the program does
    QApplication app(argc, argv);
    TempAppDir dir;
    bench::ProbeSim sim;
    if (!sim.start(dir.path(), 1)) return sim.built ? 1 : 0;

    bench::PortLink port(dir.path());
    SpectrumFiles files(port.ctx.appDir, port.clock);
    SilentPrompts prompts;
    std::unique_ptr<FrmSpettro> window;
    SweepAcquisition acquisition(
        port.link, files,
        AcquisitionTexts{[&](float level) { return window->levelTextRule()(level); },
                         [&](float v) { return window->refLevelRule()(v); }});
    window = std::make_unique<FrmSpettro>(port.ctx, acquisition.data(), prompts);
    acquisition.setView(window.get());
    takePicturesFrom(files, *window);
    window->resize(1100, 640);
    window->show();

    port.link.OpenStationPort(1);
    if (port.link.linkFailed(0)) {
        std::printf("bench_spectrum_window: cannot open the simulated COM1\n");
        return 1;
    }
    // 30 MHz at the 1 kHz RBW: the step widens to 7.5 kHz and each pass has 4001 points.
    SweepSettings settings;
    settings.setRange(0.0f, 30.0f);
    settings.RbwIndex = 5;
    AcquisitionRecord record;
    record.stationId = QStringLiteral("123AB01123");
    const SweepChoice choice = window->choiceFor(0);
    window->attachRecord(&record);
    window->plot()->resetPaintedArea();
    const bench::Stopwatch time;
    const SweepOutcome outcome = acquisition.runAcquisition(0, settings, record, choice);
    const double cpu = time.cpu();
    const double seconds = time.wall();
    window->attachRecord(nullptr);
    const int points = 3 * acquisition.data().NPoints;
    if (outcome != SweepOutcome::Done || points == 0) {
        std::printf("bench_spectrum_window: the acquisition did not complete\n");
        return 1;
    }
    const QRect plot = window->painter().plotRect();
    std::printf("bench_spectrum_window: %d points in 3 passes over %.2f s: program CPU / "
                "acquisition time = %.4f (aim <= 0.03)\n",
                points, seconds, cpu / seconds);
    std::printf("bench_spectrum_window: plot area repainted per decoded point / plot "
                "area = %.5f (aim <= 0.05)\n",
                double(window->plot()->paintedArea()) / points / plot.width() / plot.height());
    return 0;
}
