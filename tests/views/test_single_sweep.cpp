#include "app/Format.h"
#include "spectrum/SweepAcquisition.h"
#include "views/FrmSpettro.h"
#include "views/GridCentraline.h"
#include "views/SingleSweep.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QDirIterator>
#include <QMenu>
#include <QSignalSpy>

namespace {

// The main window with the spectrum window and the single sweep wired as the program wires
// them, on one simulated station (port 1) and the virtual clock.
struct SweepProgram : SessionWindow {
    PromptingSpectrumFiles files{ctx, prompts};
    std::unique_ptr<FrmSpettro> window;
    SweepAcquisition acquisition{
        session.link(), files,
        AcquisitionTexts{[this](float l) { return window->levelTextRule()(l); },
                         [this](float v) { return window->refLevelRule()(v); }}};
    std::unique_ptr<SingleSweep> sweep;

    SweepProgram() : SessionWindow({1.0}) {
        channel.network().add({.serial = "241AB01001",
                               .emitters = {{.frequencyMHz = 13.56, .e = {3, 1, 2}}},
                               .faults = {}}); // on port 1
        window = std::make_unique<FrmSpettro>(ctx, acquisition.data(), prompts);
        sweep = std::make_unique<SingleSweep>(session, acquisition, *window, form);
        acquisition.setView(window.get());
        takePicturesFrom(files, *window);
        QObject::connect(&form, &MainForm::singleSpectrumRequested,
                         [this] { sweep->run(form.selectedSlot()); });
        panel.addStation(1, {}, "Roof", true);
        // E and H over 0.1-30 MHz at 300 kHz; the rest as a new panel has it.
        panel.editSettings([](PanelRecord& p) {
            p.SpectrumStartFrequency = 0.1f;
            p.SpectrumRBWIndex = 0;
        });
        form.grid()->RebuildGrid();
        form.grid()->setCurrentGridCell(1, 1);
    }

    // The spectrum files of the station, by their kind ("SM_E_", "SM_H_").
    QStringList spectrumFiles() const {
        QStringList out;
        QDirIterator it(dir.path() + "Test/241AB01001", {"SM_*.SPC"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QFileInfo(it.next()).fileName().left(5);
        out.sort();
        return out;
    }
    // Whether each control the single sweep locks is enabled.
    QList<bool> lockables() {
        return {form.CMBEseguiSpettroSingCent()->isEnabled(),
                form.FRMCentraline()->isEnabled(),
                form.CMBExecute()->isEnabled(),
                form.FrmFrequencyTable()->isEnabled(),
                form.CBXFrequencyTable()->isEnabled(),
                form.menu("MNUFile")->isEnabled(),
                form.menu("MNUOptions")->isEnabled(),
                form.menu("MNUSettings")->isEnabled()};
    }
};

} // namespace

class TestSingleSweep : public QObject {
    Q_OBJECT

private slots:
    void sweepsEAndHOfTheSelectedStationWithTheWindowLocked() {
        SweepProgram p;
        const QList<bool> allOn(8, true);
        QCOMPARE(p.lockables(), allOn);

        QList<bool> during;
        bool shown = false;
        p.pump.onEveryPump([&] {
            if (during.isEmpty() && p.window->live()) during = p.lockables();
            shown = shown || p.window->isVisible();
        });
        QTest::mouseClick(p.form.CMBEseguiSpettroSingCent(), Qt::LeftButton);

        QCOMPARE(during, QList<bool>(8, false));
        QVERIFY(shown);
        QCOMPARE(p.lockables(), allOn);
        QCOMPARE(p.spectrumFiles(), QStringList({"SM_E_", "SM_H_"}));
        QCOMPARE(p.sweep->spectrumCount(0), 2);
        // The serial number read from the probe is in the grid; the window hid itself.
        QCOMPARE(
            p.form.grid()->cellText(1, p.form.grid()->columnOf(Column::SerialNumber)).trimmed(),
            "241AB01001");
        QVERIFY(!p.window->isVisible());
        QVERIFY(!p.ctx.flags.MeasurementRunning);

        // During a run the button does nothing.
        p.ctx.flags.MeasurementRunning = true;
        p.channel.probe(1)->clearCommands();
        p.form.CMBEseguiSpettroSingCent_Click();
        QVERIFY(p.channel.probe(1)->commands().empty());
        QCOMPARE(p.spectrumFiles(), QStringList({"SM_E_", "SM_H_"}));
        p.ctx.flags.MeasurementRunning = false;
    }

    void closingTheMainWindowDuringTheSweepEndsTheProgramAfterIt() {
        SweepProgram p;
        QSignalSpy quit(&p.form, &MainForm::quitRequested);
        bool asked = false;
        p.pump.onEveryPump([&] {
            if (!asked && p.window->live() && p.acquisition.data().PointIndex > 50) {
                asked = true;
                p.form.close();
                // The close only asked: the sweep is still going.
                QVERIFY(!p.form.closing());
            }
        });
        QTest::mouseClick(p.form.CMBEseguiSpettroSingCent(), Qt::LeftButton);

        QVERIFY(asked);
        QVERIFY(p.form.closing());
        QCOMPARE(quit.count(), 1);
        QVERIFY(p.spectrumFiles().isEmpty()); // the E sweep stopped, no H sweep began
        const QStringList log = logLines(p.ctx);
        QCOMPARE(log.filter("*** Stop Sweep Spectrum manual").size(), 1);
        QVERIFY(log.last().endsWith(PadLogText("Software Close")));
        QCOMPARE(log.filter("Start Sweep Spectrum: ").size(), 1);
    }

    void aFileThatCannotBeWrittenAsksAndCancelEndsTheProgramInOrder() {
        SweepProgram p;
        // The station's folder cannot be made: a file holds its name.
        writeAll(p.dir.path() + "Test/241AB01001", "in the way");
        p.prompts.retries = {true}; // Retry once, then Cancel
        QSignalSpy quit(&p.form, &MainForm::quitRequested);
        QTest::mouseClick(p.form.CMBEseguiSpettroSingCent(), Qt::LeftButton);

        QCOMPARE(p.prompts.cannotSave.size(), 2);
        QVERIFY(p.prompts.cannotSave[0].contains("SM_E_"));
        QCOMPARE(quit.count(), 1);
        const QStringList log = logLines(p.ctx);
        QCOMPARE(log.filter("Start Sweep Spectrum: ").size(), 1); // no H sweep after Cancel
        QVERIFY(log.last().endsWith(PadLogText("Software Close")));
    }
};

QTEST_MAIN(TestSingleSweep)
#include "test_single_sweep.moc"
