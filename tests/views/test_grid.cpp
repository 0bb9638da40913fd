#include "views/FrmInsRemCent.h"
#include "views/GridCentraline.h"
#include "views/widgets/Appearance.h"

#include "ViewsFixture.h"

#include <QLineEdit>
#include <QSignalSpy>

// The station grid's editing rules, driven the way the operator drives them, with the panel
// file read back after every change.
class TestGrid : public QObject {
    Q_OBJECT

private:
    static int commCol(const GridCentraline& g) { return g.columnOf(Column::Comm); }
    // The panel's columns with `run` between the comment and "Enabled".
    static QList<Column> withRun(const QList<Column>& run) {
        return QList<Column>{Column::Number, Column::Comm, Column::SerialNumber, Column::Comment} +
               run + QList<Column>{Column::Enabled};
    }

    static void typePort(GridCentraline& g, int row, const QString& port) {
        g.BeginCellEdit(row, commCol(g));
        QVERIFY(g.CBXCella()->isVisibleTo(&g));
        g.CBXCella()->lineEdit()->selectAll();
        QTest::keyClicks(g.CBXCella()->lineEdit(), port);
        QTest::keyClick(g.CBXCella()->lineEdit(), Qt::Key_Return);
    }

private slots:
    void portInEmptyRowAddsStationAndTheListOnlyTakesItsEntries() {
        ViewsFixture f({{4, {}, true}, {2, {}, true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        QCOMPARE(g.gridRows(), 4); // titles, two stations, the empty row
        typePort(g, 3, "5");

        QCOMPARE(int(f.slot(2).Comm), 5);
        QCOMPARE(int(f.fileRecord().Stations[2].Comm), 5);
        QCOMPARE(g.gridRows(), 5); // row 4 is the new empty row
        QCOMPARE(g.cellText(3, 0), "3");
        QCOMPARE(g.cellText(3, 1), "5");
        QCOMPARE(g.cellText(4, 1), QString());
        // Enter moved on to the serial number, which has no editor.
        QCOMPARE(g.currentGridCell(), (GridRules::Cell{3, 2}));
        QVERIFY(!g.CBXCella()->isVisibleTo(&g));

        // "0" and "100" are no entries: back to "1".
        for (auto [typed, kept] : {std::pair{"0", 1}, {"100", 1}, {"42", 42}}) {
            typePort(g, 1, typed);
            QCOMPARE(int(f.slot(0).Comm), kept);
        }
        QCOMPARE(int(f.fileRecord().Stations[0].Comm), 42);
    }

    void leavingEmptyRowAddsNothing() {
        ViewsFixture f({{1, {}, true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        g.BeginCellEdit(2, commCol(g));
        g.BeginCellEdit(1, 3); // the operator clicks elsewhere
        QCOMPARE(f.model->stationCount(), 1);
        QCOMPARE(g.gridRows(), 3);
        // A comment typed in the empty row has no station to go to.
        g.TBCella()->setText("x");
        g.BeginCellEdit(2, 3);
        g.TBCella()->setText("lost");
        QTest::keyClick(g.TBCella(), Qt::Key_Return);
        QCOMPARE(f.model->stationCount(), 1);
        QCOMPARE(g.cellText(2, 3), QString());
    }

    void leavingTheEditorCommitsIt() {
        ViewsFixture f({{1, "a", true}});
        QWidget window;
        QLineEdit other(&window);
        GridCentraline* g = new GridCentraline(*f.model, &window);
        g->setGeometry(0, 30, 700, 300);
        window.resize(720, 340);
        g->RebuildGrid();
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window)) QSKIP("the platform does not activate windows");

        // Focus loss on the port list commits it and adds the row, like Enter.
        g->BeginCellEdit(2, commCol(*g));
        QTRY_VERIFY(g->CBXCella()->hasFocus());
        g->CBXCella()->setEditText("7");
        other.setFocus();
        QTRY_COMPARE(f.model->stationCount(), 2);
        QCOMPARE(int(f.fileRecord().Stations[1].Comm), 7);
        QCOMPARE(g->gridRows(), 4);
        QVERIFY(!g->CBXCella()->isVisible());

        g->BeginCellEdit(1, 3);
        QTRY_VERIFY(g->TBCella()->hasFocus());
        g->TBCella()->setText("b");
        other.setFocus();
        QTRY_COMPARE(f.fileRecord().Stations[0].commentText(), "b");
        QVERIFY(!g->TBCella()->isVisible());
    }

    void duplicatePortsMarkedUntilOneIsDisabled() {
        ViewsFixture f({{5, {}, true}, {5, {}, true}, {7, {}, true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        const QColor red(128, 0, 0);
        QCOMPARE(g.cellForeground(1, 1), red);
        QCOMPARE(g.cellForeground(2, 1), red);
        QVERIFY(g.cellBold(1, 1) && g.cellBold(2, 1));
        QVERIFY(!g.cellBold(3, 1));

        g.pressPictChk(0, Qt::LeftButton);
        QVERIFY(!g.checkShown(0));
        QCOMPARE(g.cellForeground(1, 1), QColor(Qt::black));
        QCOMPARE(g.cellForeground(2, 1), QColor(Qt::black));
        QVERIFY(!g.cellBold(1, 1) && !g.cellBold(2, 1));
        QVERIFY(!f.model->checks().CommInUse);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), 0);

        // A click on the "Enabled" cell switches it back on.
        g.pressCell(1, g.lastColumn(), Qt::LeftButton);
        QVERIFY(g.checkShown(0));
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        QVERIFY(f.model->checks().CommInUse);
    }

    void removeRowMovesLaterStationsUp() {
        ViewsFixture f({{1, "a", true}, {2, "b", true}, {3, "c", false}, {4, "d", true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        QSignalSpy asked(&g, &GridCentraline::removeRowRequested);
        g.pressCell(2, 3, Qt::RightButton);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(g.MouseRow, 2);

        FrmInsRemCent dlg(g, g.MouseRow, AppearanceValues{});
        QCOMPARE(dlg.text(), "Remove row 2");
        dlg.remove();

        const PanelRecord file = f.fileRecord();
        QCOMPARE(int(file.Stations[1].Comm), 3);
        QCOMPARE(int(file.Stations[1].Enabled), 0);
        QCOMPARE(int(file.Stations[3].Comm), 0);
        QCOMPARE(g.gridRows(), 5);
        QCOMPARE(g.cellText(2, 3), "c");
        QVERIFY(!g.checkShown(1)); // station "c" is disabled
        QVERIFY(g.checkShown(2));
        // The port cell of the row above is open for editing.
        QCOMPARE(g.EditRow, 1);
        QVERIFY(g.CBXCella()->isVisibleTo(&g));
    }

    void fullPanelWrapsToFirstRow() {
        QList<ViewsFixture::Station> st;
        for (int i = 0; i < 16; ++i)
            st.append({i + 1, {}, true});
        ViewsFixture f(st);
        GridCentraline g(*f.model);
        g.RebuildGrid();
        QCOMPARE(g.gridRows(), 17);
        QCOMPARE(g.cellText(16, 0), "16");
        QCOMPARE(g.cellText(16, 1), "16");

        g.setCurrentGridCell(16, g.lastColumn());
        g.enterOnGrid();
        QCOMPARE(g.currentGridCell(), (GridRules::Cell{1, 1}));
        QVERIFY(g.CBXCella()->isVisibleTo(&g));
        QCOMPARE(g.CBXCella()->currentText(), "1");

        g.setCurrentGridCell(1, 1);
        g.MoveToNextCell(true);
        QCOMPARE(g.currentGridCell(), (GridRules::Cell{16, g.lastColumn()}));
    }

    void commentEditReachesFileAtOnce() {
        ViewsFixture f({{1, "old", true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        g.BeginCellEdit(1, 3);
        QCOMPARE(g.TBCella()->maxLength(), 200);
        QCOMPARE(g.TBCella()->text(), "old");
        g.TBCella()->setText("north mast");
        QTest::keyClick(g.TBCella(), Qt::Key_Return);
        QCOMPARE(f.fileRecord().Stations[0].commentText(), "north mast");
        QCOMPARE(g.cellText(1, 3), "north mast");
        QCOMPARE(f.fileRecord(), f.model->panel());
        // A character the file cannot hold is shown as the file holds it.
        g.BeginCellEdit(1, 3);
        g.TBCella()->setText("mast \u03a9 east");
        QTest::keyClick(g.TBCella(), Qt::Key_Return);
        QCOMPARE(g.cellText(1, 3), f.fileRecord().Stations[0].commentText());
        QCOMPARE(g.cellText(1, 3), "mast ? east");
        g.RebuildGrid();
        QCOMPARE(g.cellText(1, 3), "mast ? east");
        // Escape leaves the cell as it was.
        g.BeginCellEdit(1, 3);
        g.TBCella()->setText("discarded");
        QTest::keyClick(g.TBCella(), Qt::Key_Escape);
        QCOMPARE(f.fileRecord().Stations[0].commentText(), "mast ? east");
    }

    void readOnlyWhileRunning() {
        ViewsFixture f({{1, {}, true}, {2, {}, true}});
        GridCentraline g(*f.model);
        g.setRunningQuery([&] { return f.ctx->flags.MeasurementRunning; });
        g.RebuildGrid();
        // A port typed in the empty row just before the run began is not written by the run's
        // own keys, nor does it rebuild the grid over the run columns.
        g.BeginCellEdit(3, commCol(g));
        g.CBXCella()->lineEdit()->selectAll();
        QTest::keyClicks(g.CBXCella()->lineEdit(), "7");
        f.ctx->flags.MeasurementRunning = true;
        g.insertRunColumns({Column::LastLinkTime, Column::Battery});
        QTest::keyClick(g.CBXCella()->lineEdit(), Qt::Key_Return);
        QVERIFY(!g.CBXCella()->isVisibleTo(&g));
        QCOMPARE(f.model->stationCount(), 2);
        QCOMPARE(int(f.fileRecord().Stations[2].Comm), 0);
        QCOMPARE(g.columns(), withRun({Column::LastLinkTime, Column::Battery}));
        QSignalSpy asked(&g, &GridCentraline::removeRowRequested);
        g.pressCell(1, commCol(g), Qt::LeftButton);
        QVERIFY(!g.CBXCella()->isVisibleTo(&g));
        g.pressPictChk(0, Qt::LeftButton);
        g.pressCell(2, g.lastColumn(), Qt::LeftButton);
        g.pressCell(1, 1, Qt::RightButton);
        g.enterOnGrid();
        QCOMPARE(asked.size(), 0);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        QCOMPARE(int(f.fileRecord().Stations[1].Enabled), -1);
    }

    void runColumnsComeAndGoKeepingCells() {
        ViewsFixture f({{1, "a", true}});
        GridCentraline g(*f.model);
        g.RebuildGrid();
        // Each set replaces the one before: a narrower one drops the columns it no longer names,
        // and "Enabled" stays single and last.
        using C = Column;
        const QList<Column> all = {C::LastLinkTime, C::Battery, C::FieldE, C::FieldH,
                                   C::SpectrumInhibit};
        for (const QList<Column>& run :
             {QList<Column>{C::LastLinkTime, C::Battery, C::FieldE, C::SpectrumInhibit}, all,
              QList<Column>{C::LastLinkTime, C::Battery, C::FieldH}, all}) {
            g.insertRunColumns(run);
            QCOMPARE(g.columns(), withRun(run));
        }
        g.setCellText(1, g.columnOf(Column::FieldE), "1.25");
        BatteryDisplay gauge;
        gauge.caption = "3.91 V ";
        g.showBattery(0, gauge);
        QVERIFY(g.battery(0));
        // The voltage is the gauge's tip, as it was the control's.
        QCOMPARE(g.model()->index(0, g.columnOf(Column::Battery)).data(Qt::ToolTipRole).toString(),
                 "3.91 V");
        g.removeRunColumns();
        QCOMPARE(g.columns(), withRun({}));
        QCOMPARE(g.cellText(1, 3), "a");
        QVERIFY(!g.battery(0));
        // The check picture follows its column.
        QCOMPARE(g.columnAt(g.lastColumn()), Column::Enabled);
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
