#include "views/GridCentraline.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QListWidget>

// The main window driving a real List Mode run against simulated probes on a virtual
// clock: two stations answer, the third has no probe on its port.
class TestRunWindow : public QObject {
    Q_OBJECT

private slots:
    void listModeRunShowsInTheWindow() {
        SessionWindow w({1.0, 2.0});
        MainForm& form = w.form;
        for (auto [port, serial, raw] : {std::tuple{1, "123AB01123", 222}, {2, "456CD10456", 170}})
            w.channel.network().add({.port = port,
                                     .serial = serial,
                                     .batteryRaw = raw,
                                     .emitters = {{.frequencyMHz = 1.0, .e = {1.0, 0.5, 0.25}}},
                                     .faults = {}});
        w.panel.addStation(1, {}, "Roof, north mast", true);
        w.panel.addStation(2, {}, "Parking lot", true);
        w.panel.addStation(9, {}, "Spare probe", true);
        w.panel.editSettings([](PanelRecord& p) { p.ListModeRate = 10; });
        form.grid()->RebuildGrid();
        QVERIFY(form.CMBExecute()->isEnabled());

        GridCentraline* g = form.grid();
        bool sawRun = false, sawFailure = false;
        // Look at the window while the third station's failed open is painted.
        w.pump.onEveryPump([&] {
            if (!sawFailure && g->rowColour(2) == QColor(255, 0, 0)) {
                sawFailure = true;
                QVERIFY(g->checkShown(2));
            }
            if (!sawRun && g->columnOf(Column::Battery) >= 0 && g->battery(1) &&
                !g->cellText(2, 2).isEmpty() && w.clock.secondsSinceMidnight() > 36030.0) {
                sawRun = true;
                QVERIFY(!form.CMBExecute()->isVisibleTo(&form));
                QVERIFY(form.CMBStop()->isVisibleTo(&form));
                QCOMPARE(g->cellText(1, 2), "123AB01123");
                QCOMPARE(g->battery(0)->caption, "3.91 V ");
                QCOMPARE(g->battery(0)->notches, 12);
                QVERIFY(g->battery(1)->notches < 12);
                QVERIFY(!g->cellText(1, g->columnOf(Column::LastLinkTime)).isEmpty());
                QVERIFY(!g->cellText(1, g->columnOf(Column::FieldE)).isEmpty());
                QVERIFY(form.FRMAttesaRateLM()->isVisibleTo(&form));
                // The field list beside a station's E cell.
                form.pointerOverCell(1, g->columnOf(Column::FieldE));
                QVERIFY(form.ListaCampo()->isVisibleTo(&form));
                QVERIFY(form.ListaCampo()->count() >= 2);
                QVERIFY(form.ListaCampo()->item(0)->text().contains("V/m"));
                // Read-only while running.
                g->pressCell(1, 1, Qt::LeftButton);
                QVERIFY(!g->CBXCella()->isVisibleTo(g));
                form.pointerOverCell(1, 3);
                QVERIFY(!form.ListaCampo()->isVisibleTo(&form));
            }
        });
        w.pump.after(120.0, [&] { form.CMBStop_Click(); });
        form.show();

        QCOMPARE(w.session.CMBExecute(), Session::ExecuteResult::ListModeRun);
        QVERIFY(sawFailure);
        QVERIFY(sawRun);
        QVERIFY(w.prompts.shown.isEmpty());

        // Afterwards the panel grid is back, unlocked and neutral.
        QCOMPARE(g->columns(), (QList<Column>{Column::Number, Column::Comm, Column::SerialNumber,
                                              Column::Comment, Column::Enabled}));
        QVERIFY(form.CMBExecute()->isVisibleTo(&form));
        QVERIFY(!form.CMBStop()->isVisibleTo(&form));
        QVERIFY(!form.FRMAttesaCent()->isVisibleTo(&form));
        QVERIFY(form.CBXFrequencyTable()->isEnabled());
        QCOMPARE(g->rowColour(2), g->neutralColour());
        QCOMPARE(form.windowTitle(), "Halvex Panel: Untitled");
        const QByteArray log = readAll(w.dir.path() + "Test/Log/2026/01/15.TXT");
        QVERIFY(log.contains("Scan Start (List Mode)"));
        QVERIFY(log.contains("Scan Close (List Mode)"));
    }
};

QTEST_MAIN(TestRunWindow)
#include "test_run_window.moc"
