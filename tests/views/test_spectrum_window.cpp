#include "link/ProbeLink.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SweepAcquisition.h"
#include "views/FrmSpettro.h"
#include "views/SingleSweep.h"

#include "ViewsFixture.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QLabel>
#include <QScrollBar>
#include <algorithm>

namespace {

// The spectrum window as the view of a real acquisition on one simulated E-field station.
struct WindowRig {
    explicit WindowRig(const QString& commandLine = {})
        : ctx(dir.path(), commandLine, clock, pump), link(ctx, channel), files(dir.path(), clock) {
        StationConfig st; // on port 1
        st.serial = "241AB01001";
        st.noiseJitter = 0;
        for (auto [mhz, level] : {std::pair{3.0, 2.0}, std::pair{13.56, 8.0}, {21.0, 0.5}})
            st.emitters.push_back({.frequencyMHz = mhz, .e = {level, level / 2, level / 4}});
        channel.network().add(st);
        window = std::make_unique<FrmSpettro>(ctx, acquisition.data(), prompts);
        acquisition.setView(window.get());
        takePicturesFrom(files, *window);
        window->resize(1100, 640);
        link.OpenStationPort(1);
        settings.setRange(0.1f, 30.0f);
        record.stationId = "241AB01001";
    }

    SweepOutcome sweep(int field = 0) {
        settings.SweepField = qint16(field);
        const SweepChoice choice = window->choiceFor(field);
        window->attachRecord(&record);
        const SweepOutcome o = acquisition.runAcquisition(0, settings, record, choice);
        window->attachRecord(nullptr);
        return o;
    }
    QString text(const char* name) const { return window->label(name)->text(); }
    QString spcFile() const {
        QDirIterator it(dir.path() + "Test", {"SM_*.SPC"}, QDir::Files,
                        QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }

    TempAppDir dir;
    VirtualClock clock{QDate(2026, 1, 15), 36000.0};
    VirtualPump pump{clock, 0.002};
    AppContext ctx;
    SimChannel channel{clock};
    ProbeLink link;
    SpectrumFiles files;
    RecordingPrompts prompts;
    std::unique_ptr<FrmSpettro> window;
    SweepAcquisition acquisition{
        link, files,
        AcquisitionTexts{[this](float l) { return window->levelTextRule()(l); },
                         [this](float v) { return window->refLevelRule()(v); }}};
    SweepSettings settings;
    AcquisitionRecord record;
};

} // namespace

class TestSpectrumWindow : public QObject {
    Q_OBJECT

private slots:
    void followsALiveAcquisitionAndRestartsWithThePreamplifier() {
        WindowRig rig;
        QStringList tunings;
        bool alarmSeen = false, preampTicked = false;
        float refBefore = 0;
        rig.window->button("CHKShowThreshold")->click();
        rig.record.thresholds = {5.0f, 0.015f};
        rig.pump.onEveryPump([&] {
            const QString t = rig.text("LbFtune");
            if (!t.isEmpty() && (tunings.isEmpty() || tunings.last() != t)) tunings << t;
            alarmSeen = alarmSeen || rig.window->label("LbFtune")->styleSheet().contains("#ff0000");
            SpectrumData& d = rig.acquisition.data();
            // Half-way through the first pass the operator ticks "Preamplifier".
            if (!preampTicked && rig.window->live() && d.PointIndex > 200) {
                preampTicked = true;
                refBefore = d.RefLevel;
                QVERIFY(rig.window->isVisible());
                rig.window->button("ChkPre")->click();
                rig.channel.probe(1)->clearCommands();
            }
        });
        QCOMPARE(rig.sweep(), SweepOutcome::Done);
        QVERIFY(preampTicked);
        // The restart sent the preamplifier's range byte and the full scale is five times lower.
        const auto& sent = rig.channel.probe(1)->commands();
        QVERIFY(std::ranges::find(sent, ProbeLink::Frame(QByteArray("~A") + char(3))) !=
                sent.end());
        QCOMPARE(rig.acquisition.data().RefLevel, refBefore / 5);
        QVERIFY(!alarmSeen);
        // The tuning text followed the sweep upwards to its end.
        QVERIFY(tunings.size() > 20);
        QVERIFY(tunings.contains(" 0.100000 MHz"));
        // The boxes show the latched peak of the strongest carrier.
        QCOMPARE(rig.text("PnlLevel"), rig.window->display().peakLevelText().trimmed());
        QVERIFY(rig.text("PnlFreq").startsWith("13.5"));
        QVERIFY(rig.text("LBWideBand").endsWith(" V/m"));
        QVERIFY(!rig.window->isVisible()); // the window hides after the acquisition

        // The stream stalls for a second in the next sweep: the tuning text turns to the alarm
        // colours, and the sweep goes on.
        Fault stall = Fault::defaults(FaultKind::Stall);
        stall.point = 300;
        stall.duration = 1.0;
        stall.count = 1;
        rig.channel.probe(1)->faults()[FaultKind::Stall] = stall;
        QCOMPARE(rig.sweep(), SweepOutcome::Done);
        QVERIFY(alarmSeen);

        // Spectrum Mode hands the acquisition its own choice, not the window's (E here): an
        // H sweep must not be labelled in V/m.
        rig.settings.SweepField = 1;
        QCOMPARE(rig.acquisition.runAcquisition(0, rig.settings, rig.record, {.fieldType = 2}),
                 SweepOutcome::Done);
        QCOMPARE(rig.window->display().unitCode(), 10);
    }

    void reviewShowsTheFileAndSavesItsHeaderAsText() {
        WindowRig rig;
        QCOMPARE(rig.sweep(), SweepOutcome::Done);
        const QString spc = rig.spcFile();
        SpcHeader header;
        SweepSettings s;
        auto stored = std::make_unique<SpectrumData>();
        QCOMPARE(CaricaStrSpettro(spc, header, s, *stored), SpcLoad::Loaded);

        // Something else is shown first, then the file is reviewed.
        rig.acquisition.data() = SpectrumData{};
        QVERIFY(rig.window->review(spc));
        QVERIFY(rig.window->isVisible());
        QVERIFY(rig.window->reviewing());
        const SpectrumDisplay& d = rig.window->display();
        QCOMPARE(d.printedLines(),
                 QStringList({header.HeaderLine1.trimmed(), header.HeaderLine2.trimmed()}));
        QCOMPARE(rig.text("PnlFreq"), d.peakFreqText());
        QVERIFY(rig.text("PnlFreq").startsWith("13.5"));
        QVERIFY(rig.window->button("CMBSaveSpectrumAs")->isEnabled());

        // The marker on the highest peak; an E field has no µT.
        rig.window->button("CmdAutoSpan1")->click();
        QVERIFY(rig.text("LBFreqMarker").startsWith("Freq. = 13.5"));
        QVERIFY(rig.text("LBLevMarker").startsWith("Lev. = "));
        QVERIFY(!rig.window->button("OptUnit3")->isEnabled());

        // Text: the reviewed header, then the columns.
        const QString txt = rig.dir.path() + "Test/review.TXT";
        QVERIFY(rig.window->saveSpectrumAs(txt));
        const QStringList lines = QString::fromLatin1(readAll(txt)).split('\n');
        QCOMPARE(QStringList({lines[0].trimmed(), lines[1].trimmed()}), d.printedLines());
        QVERIFY(rig.window->saveSpectrumAs(rig.dir.path() + "Test/review.JPG"));
        QVERIFY(!QImage(rig.dir.path() + "Test/review.JPG").isNull());

        // Nothing goes outside the application directory: asked, then abandoned on Cancel.
        QVERIFY(!rig.window->saveSpectrumAs(QDir::tempPath() + "/halvex-outside.BMP"));
        QCOMPARE(rig.prompts.cannotSave.size(), 1);
        QVERIFY(!QFile::exists(QDir::tempPath() + "/halvex-outside.BMP"));

        // A damaged file: "Failed loading", and Cancel keeps what was shown.
        const QString bad = rig.dir.path() + "Test/bad.SPC";
        writeAll(bad, QByteArray(SpcFile::Size, '\xff').left(SpcFile::Size - 1));
        QVERIFY(!rig.window->review(bad));
        QCOMPARE(rig.prompts.failedLoading, QStringList{bad});
        QCOMPARE(rig.window->reviewFile(), spc);
        QCOMPARE(rig.window->display().printedLines().size(), 2);
    }

    void markerKeysWheelAndZoomFollowTheDisplay() {
        WindowRig rig("/VISSB");
        QCOMPARE(rig.sweep(1), SweepOutcome::Done); // an H sweep, in Mode B
        QVERIFY(rig.window->review(rig.spcFile()));
        FrmSpettro& w = *rig.window;
        QCOMPARE(w.display().data().FieldType, 2);
        w.button("CmdAutoSpan1")->click();
        const int peak = w.display().markerIndex();
        QTest::keyClick(w.plot(), Qt::Key_Right);
        QCOMPARE(w.display().markerIndex(), peak + 1);
        QTest::keyClick(w.plot(), Qt::Key_Left);
        QCOMPARE(w.display().markerIndex(), peak);

        // The middle button turns the pointer into zoom mode, where the wheel zooms in around
        // the pointer; the scroll bar shows with "/VISSB".
        const QPoint at(int(w.painter().xOf(w.display().data().Freq[size_t(peak)])),
                        w.painter().plotRect().center().y());
        QTest::mouseMove(w.plot(), at);
        QTest::mouseClick(w.plot(), Qt::MiddleButton, {}, at);
        QCOMPARE(w.display().pointerMode(), SpectrumDisplay::PointerMode::Zoom);
        QVERIFY(!w.SBSweep()->isVisible());
        for (int i = 0; i < 3; ++i) {
            QWheelEvent wheel(at, w.plot()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(w.plot(), &wheel);
        }
        QCOMPARE(w.display().zoomFactor(), 8.0);
        QVERIFY(w.SBSweep()->isVisible());

        // µT: the H field's fourth unit.
        w.button("OptUnit3")->click();
        QCOMPARE(w.display().unitCode(), 13);
        QVERIFY(rig.text("PnlLevel").endsWith(QString::fromUtf8("µT")));
        QTest::keyClick(w.plot(), Qt::Key_Up); // zoom out in zoom mode
        QCOMPARE(w.display().zoomFactor(), 4.0);

        // Exit raises the sweep stop flag and the window goes.
        w.button("CMBExit")->click();
        QVERIFY(rig.ctx.flags.SweepStop);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestSpectrumWindow)
#include "test_spectrum_window.moc"
