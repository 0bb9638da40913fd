#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/TerminationSignals.h"
#include "link/SerialPortChannel.h"
#include "measure/Session.h"
#include "spectrum/SweepAcquisition.h"
#include "views/FrmSpettro.h"
#include "views/InitForm.h"
#include "views/MainForm.h"
#include "views/SingleSweep.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <memory>

int main(int argc, char** argv) {
    QtEventPump::preferLeanEventLoop();
    QApplication app(argc, argv);
    // Switches are substring tests of the arguments joined with spaces.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(QDir::currentPath(), commandLine, clock, pump);

    // The start-up form creates "Panels/", reads the settings and the setup release.
    InitForm init(ctx);
    SerialPortChannel channel(ctx.appDir);
    std::unique_ptr<Session> session;
    std::unique_ptr<MainForm> window;
    std::unique_ptr<MessageBoxPrompts> prompts;
    std::unique_ptr<PromptingSpectrumFiles> spectrumFiles;
    std::unique_ptr<SweepAcquisition> acquisition;
    std::unique_ptr<FrmSpettro> spectrum;
    std::unique_ptr<SingleSweep> singleSweep;
    init.onFirstTick = [&] {
        session = std::make_unique<Session>(ctx, init.settings(), channel);
        window =
            std::make_unique<MainForm>(ctx, session->panelModel(), appearanceFrom(init.settings()),
                                       init.SetupRelease(), &init);
        session->setRunView(window.get());
        session->setLinkView(window.get());
        window->attachSession(*session);
        window->attachFreqTable(session->freqTable());
        QObject::connect(window.get(), &MainForm::quitRequested, &QCoreApplication::quit);
        // The run returns when it has ended; its waits keep the window responsive.
        QObject::connect(window.get(), &MainForm::executeRequested, [&] {
            spectrum->applyPanel(session->panelModel().panel());
            session->CMBExecute();
        });
        QObject::connect(window.get(), &MainForm::stopRequested, [&] { session->CMBStop(); });

        // The spectrum window shows the acquisition's spectrum and gives it the level texts and
        // the full-scale rule of the unit it shows; the files take their picture from it.
        prompts = std::make_unique<MessageBoxPrompts>(window.get());
        spectrumFiles = std::make_unique<PromptingSpectrumFiles>(ctx, *prompts);
        AcquisitionTexts texts{
            [&](float level) { return spectrum->levelTextRule()(level); },
            [&](float fullScale) { return spectrum->refLevelRule()(fullScale); }};
        acquisition =
            std::make_unique<SweepAcquisition>(session->link(), *spectrumFiles, std::move(texts));
        spectrum = std::make_unique<FrmSpettro>(ctx, acquisition->data(), *prompts);
        acquisition->setView(spectrum.get());
        takePicturesFrom(*spectrumFiles, *spectrum);
        singleSweep = std::make_unique<SingleSweep>(*session, *acquisition, *spectrum, *window);
        QObject::connect(window.get(), &MainForm::singleSpectrumRequested,
                         [&] { singleSweep->run(window->selectedSlot()); });
        QObject::connect(window.get(), &MainForm::softwareClosing, [&] { spectrum->hide(); });
        // Spectrum Mode sweeps through the same acquisition and window as the single sweep.
        session->setSweepRunner(acquisition.get());
        // The scan browser hands saved spectra to the window, and the window's "Open Scan"
        // opens the browser again.
        QObject::connect(window.get(), &MainForm::reviewRequested,
                         [&](const QString& path) { spectrum->review(path); });
        if (QAbstractButton* openScan = spectrum->button(QStringLiteral("CMBOpenScan"))) {
            openScan->setEnabled(true);
            QObject::connect(openScan, &QAbstractButton::clicked,
                             [&] { window->mnuOpenScan_Click(); });
        }
        window->load();
        spectrum->applyPanel(session->panelModel().panel());
        window->show();
    };
    // A signal from the system closes the program as the close box does: during a run it only
    // asks the run to stop, and the run closes the program when it has written its reports.
    watchTerminationSignals(&app, [&] {
        if (window)
            window->close();
        else
            QCoreApplication::quit();
    });
    init.show();
    return app.exec();
}
