#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/ValueLists.h"
#include "freqtable/FreqTableFile.h"
#include "measure/Session.h"
#include "sim/SimChannel.h"
#include "views/GridCentraline.h"
#include "views/InitForm.h"
#include "views/MainForm.h"
#include "views/widgets/PB_OCX.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QListWidget>
#include <QTest>

// The main window driving a real List Mode run against simulated probes on a virtual
// clock: two stations answer, the third has no probe on its port.
class TestRunWindow : public QObject {
    Q_OBJECT

private slots:
    void listModeRunShowsInTheWindow() {
        TempAppDir dir;
        VirtualClock clock(QDate(2026, 1, 15), 36000.0);
        VirtualPump pump(clock, 0.002);
        AppContext ctx(dir.path(), QString(), clock, pump);
        SimChannel channel(clock);
        SettingsRecord settings = SettingsDefaults();
        Session session(ctx, settings, channel);

        for (auto [port, serial, raw] : {std::tuple{1, QByteArray("123AB01123"), 222},
                                         std::tuple{2, QByteArray("456CD10456"), 170}}) {
            StationConfig c;
            c.port = port;
            c.serial = serial;
            c.batteryRaw = raw;
            Emitter em;
            em.frequencyMHz = 1.0;
            em.e = {1.0, 0.5, 0.25};
            c.emitters.push_back(em);
            channel.network().add(c);
        }
        FreqTable t;
        t.rows[0] = {1.0, 1, 0};
        t.rows[1] = {2.0, 1, 0};
        FreqTableFile::write(dir.path() + "Table/T1.FTR", t);

        MainForm form(ctx, session.panelModel(), AppearanceValues{}, QString());
        RecordingPrompts prompts;
        const QStringList& messages = prompts.shown;
        form.setPrompts(prompts);
        form.attachSession(session);
        session.setRunView(&form);
        session.setLinkView(&form);
        form.load();
        PanelModel& panel = session.panelModel();
        panel.setFreqTableName(QStringLiteral("T1"));
        panel.addStation(1, {}, QStringLiteral("Roof, north mast"), true);
        panel.addStation(2, {}, QStringLiteral("Parking lot"), true);
        panel.addStation(9, {}, QStringLiteral("Spare probe"), true);
        panel.editSettings([](PanelRecord& p) { p.ListModeRate = 10; });
        form.grid()->RebuildGrid();
        QVERIFY(form.CMBExecute()->isEnabled());

        GridCentraline* g = form.grid();
        bool sawRun = false;
        bool sawFailure = false;
        const QByteArray shot = qgetenv("HALVEX_SCREENSHOT_RUN");
        // Look at the window while the third station's failed open is painted.
        pump.onEveryPump([&] {
            if (!sawFailure && g->rowColour(2) == QColor(255, 0, 0)) {
                sawFailure = true;
                QVERIFY(g->checkShown(2));
            }
            if (!sawRun && g->columnOf(Column::Battery) >= 0 && g->battery(1) &&
                !g->cellText(2, 2).isEmpty() && clock.secondsSinceMidnight() > 36030.0) {
                sawRun = true;
                QVERIFY(!form.CMBExecute()->isVisibleTo(&form));
                QVERIFY(form.CMBStop()->isVisibleTo(&form));
                QCOMPARE(g->cellText(1, 2), QStringLiteral("123AB01123"));
                QCOMPARE(g->battery(0)->caption, QStringLiteral("3.91 V "));
                QCOMPARE(g->battery(0)->notches, 12);
                QVERIFY(g->battery(1)->notches < 12);
                QVERIFY(!g->cellText(1, g->columnOf(Column::LastLinkTime)).isEmpty());
                QVERIFY(!g->cellText(1, g->columnOf(Column::FieldE)).isEmpty());
                QVERIFY(form.FRMAttesaRateLM()->isVisibleTo(&form));
                // The field list beside a station's E cell.
                form.pointerOverCell(1, g->columnOf(Column::FieldE));
                QVERIFY(form.ListaCampo()->isVisibleTo(&form));
                QVERIFY(form.ListaCampo()->count() >= 2);
                QVERIFY(form.ListaCampo()->item(0)->text().contains(QStringLiteral("V/m")));
                // Read-only while running.
                g->pressCell(1, 1, Qt::LeftButton);
                QVERIFY(!g->CBXCella()->isVisibleTo(g));
                if (!shot.isEmpty()) {
                    QCoreApplication::processEvents();
                    form.grab().save(QString::fromLocal8Bit(shot));
                }
                form.pointerOverCell(1, 3);
                QVERIFY(!form.ListaCampo()->isVisibleTo(&form));
            }
        });
        pump.after(120.0, [&] { form.CMBStop_Click(); });
        form.show();

        QCOMPARE(session.CMBExecute(), Session::ExecuteResult::ListModeRun);
        QVERIFY(sawFailure);
        QVERIFY(sawRun);
        QVERIFY(messages.isEmpty());

        // Afterwards the panel grid is back, unlocked and neutral.
        QCOMPARE(g->columns(), (QList<Column>{Column::Number, Column::Comm, Column::SerialNumber,
                                              Column::Comment, Column::Enabled}));
        QVERIFY(form.CMBExecute()->isVisibleTo(&form));
        QVERIFY(!form.CMBStop()->isVisibleTo(&form));
        QVERIFY(!form.FRMAttesaCent()->isVisibleTo(&form));
        QVERIFY(form.CBXFrequencyTable()->isEnabled());
        QCOMPARE(g->rowColour(2), g->neutralColour());
        QCOMPARE(form.windowTitle(), QStringLiteral("Halvex Panel: Untitled"));
        const QByteArray log =
            readAll(dir.path() + "Test/Log/" + QDate(2026, 1, 15).toString("yyyy/MM/dd") + ".TXT");
        QVERIFY(log.contains("Scan Start (List Mode)"));
        QVERIFY(log.contains("Scan Close (List Mode)"));
    }
};

QTEST_MAIN(TestRunWindow)
#include "test_run_window.moc"
