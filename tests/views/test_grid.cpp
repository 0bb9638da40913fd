#include "views/FrmInsRemCent.h"
#include "views/GridCentraline.h"
#include "views/widgets/Appearance.h"

#include "ViewsFixture.h"

#include <QLineEdit>
#include <QSignalSpy>

// A panel of the given stations with its station grid filled.
struct GridOn : ViewsFixture {
    GridCentraline g{*model};
    explicit GridOn(const QList<Station>& stations) : ViewsFixture(stations) { g.RebuildGrid(); }
};

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
        GridOn f({{4, {}, true}, {2, {}, true}});
        QCOMPARE(f.g.gridRows(), 4); // titles, two stations, the empty row
        typePort(f.g, 3, "5");

        QCOMPARE(int(f.slot(2).Comm), 5);
        QCOMPARE(int(f.fileRecord().Stations[2].Comm), 5);
        QCOMPARE(f.g.gridRows(), 5); // row 4 is the new empty row
        QCOMPARE(f.g.cellText(3, 0), "3");
        QCOMPARE(f.g.cellText(3, 1), "5");
        QCOMPARE(f.g.cellText(4, 1), QString());
        // Enter moved on to the serial number, which has no editor.
        QCOMPARE(f.g.currentGridCell(), (GridRules::Cell{3, 2}));
        QVERIFY(!f.g.CBXCella()->isVisibleTo(&f.g));

        // "0" and "100" are no entries: back to "1".
        for (auto [typed, kept] : {std::pair{"0", 1}, {"100", 1}, {"42", 42}}) {
            typePort(f.g, 1, typed);
            QCOMPARE(int(f.slot(0).Comm), kept);
        }
        QCOMPARE(int(f.fileRecord().Stations[0].Comm), 42);
    }

    void leavingEmptyRowAddsNothing() {
        GridOn f({{1, {}, true}});
        f.g.BeginCellEdit(2, commCol(f.g));
        f.g.BeginCellEdit(1, 3); // the operator clicks elsewhere
        QCOMPARE(f.model->stationCount(), 1);
        QCOMPARE(f.g.gridRows(), 3);
        // A comment typed in the empty row has no station to go to.
        f.g.TBCella()->setText("x");
        f.g.BeginCellEdit(2, 3);
        f.g.TBCella()->setText("lost");
        QTest::keyClick(f.g.TBCella(), Qt::Key_Return);
        QCOMPARE(f.model->stationCount(), 1);
        QCOMPARE(f.g.cellText(2, 3), QString());
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
        GridOn f({{5, {}, true}, {5, {}, true}, {7, {}, true}});
        for (int row : {1, 2}) {
            QCOMPARE(f.g.cellForeground(row, 1), QColor(128, 0, 0));
            QVERIFY(f.g.cellBold(row, 1));
        }
        QVERIFY(!f.g.cellBold(3, 1));

        f.g.pressPictChk(0, Qt::LeftButton);
        QVERIFY(!f.g.checkShown(0));
        for (int row : {1, 2}) {
            QCOMPARE(f.g.cellForeground(row, 1), QColor(Qt::black));
            QVERIFY(!f.g.cellBold(row, 1));
        }
        QVERIFY(!f.model->checks().CommInUse);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), 0);

        // A click on the "Enabled" cell switches it back on.
        f.g.pressCell(1, f.g.lastColumn(), Qt::LeftButton);
        QVERIFY(f.g.checkShown(0));
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        QVERIFY(f.model->checks().CommInUse);
    }

    void removeRowMovesLaterStationsUp() {
        GridOn f({{1, "a", true}, {2, "b", true}, {3, "c", false}, {4, "d", true}});
        QSignalSpy asked(&f.g, &GridCentraline::removeRowRequested);
        f.g.pressCell(2, 3, Qt::RightButton);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(f.g.MouseRow, 2);

        FrmInsRemCent dlg(f.g, f.g.MouseRow, AppearanceValues{});
        QCOMPARE(dlg.text(), "Remove row 2");
        dlg.remove();

        const PanelRecord file = f.fileRecord();
        QCOMPARE(int(file.Stations[1].Comm), 3);
        QCOMPARE(int(file.Stations[1].Enabled), 0);
        QCOMPARE(int(file.Stations[3].Comm), 0);
        QCOMPARE(f.g.gridRows(), 5);
        QCOMPARE(f.g.cellText(2, 3), "c");
        QVERIFY(!f.g.checkShown(1)); // station "c" is disabled
        QVERIFY(f.g.checkShown(2));
        // The port cell of the row above is open for editing.
        QCOMPARE(f.g.EditRow, 1);
        QVERIFY(f.g.CBXCella()->isVisibleTo(&f.g));
    }

    void fullPanelWrapsToFirstRow() {
        QList<ViewsFixture::Station> st;
        for (int i = 0; i < 16; ++i)
            st.append({i + 1, {}, true});
        GridOn f(st);
        QCOMPARE(f.g.gridRows(), 17);
        QCOMPARE(f.g.cellText(16, 0), "16");
        QCOMPARE(f.g.cellText(16, 1), "16");

        f.g.setCurrentGridCell(16, f.g.lastColumn());
        f.g.enterOnGrid();
        QCOMPARE(f.g.currentGridCell(), (GridRules::Cell{1, 1}));
        QVERIFY(f.g.CBXCella()->isVisibleTo(&f.g));
        QCOMPARE(f.g.CBXCella()->currentText(), "1");

        f.g.setCurrentGridCell(1, 1);
        f.g.MoveToNextCell(true);
        QCOMPARE(f.g.currentGridCell(), (GridRules::Cell{16, f.g.lastColumn()}));
    }

    void commentEditReachesFileAtOnce() {
        GridOn f({{1, "old", true}});
        f.g.BeginCellEdit(1, 3);
        QCOMPARE(f.g.TBCella()->maxLength(), 200);
        QCOMPARE(f.g.TBCella()->text(), "old");
        f.g.TBCella()->setText("north mast");
        QTest::keyClick(f.g.TBCella(), Qt::Key_Return);
        QCOMPARE(f.fileRecord().Stations[0].commentText(), "north mast");
        QCOMPARE(f.g.cellText(1, 3), "north mast");
        QCOMPARE(f.fileRecord(), f.model->panel());
        // A character the file cannot hold is shown as the file holds it.
        f.g.BeginCellEdit(1, 3);
        f.g.TBCella()->setText("mast \u03a9 east");
        QTest::keyClick(f.g.TBCella(), Qt::Key_Return);
        QCOMPARE(f.g.cellText(1, 3), f.fileRecord().Stations[0].commentText());
        QCOMPARE(f.g.cellText(1, 3), "mast ? east");
        f.g.RebuildGrid();
        QCOMPARE(f.g.cellText(1, 3), "mast ? east");
        // Escape leaves the cell as it was.
        f.g.BeginCellEdit(1, 3);
        f.g.TBCella()->setText("discarded");
        QTest::keyClick(f.g.TBCella(), Qt::Key_Escape);
        QCOMPARE(f.fileRecord().Stations[0].commentText(), "mast ? east");
    }

    void readOnlyWhileRunning() {
        GridOn f({{1, {}, true}, {2, {}, true}});
        f.g.setRunningQuery([&] { return f.ctx->flags.MeasurementRunning; });
        // A port typed in the empty row just before the run began is not written by the run's
        // own keys, nor does it rebuild the grid over the run columns.
        f.g.BeginCellEdit(3, commCol(f.g));
        f.g.CBXCella()->lineEdit()->selectAll();
        QTest::keyClicks(f.g.CBXCella()->lineEdit(), "7");
        f.ctx->flags.MeasurementRunning = true;
        f.g.insertRunColumns({Column::LastLinkTime, Column::Battery});
        QTest::keyClick(f.g.CBXCella()->lineEdit(), Qt::Key_Return);
        QVERIFY(!f.g.CBXCella()->isVisibleTo(&f.g));
        QCOMPARE(f.model->stationCount(), 2);
        QCOMPARE(int(f.fileRecord().Stations[2].Comm), 0);
        QCOMPARE(f.g.columns(), withRun({Column::LastLinkTime, Column::Battery}));
        QSignalSpy asked(&f.g, &GridCentraline::removeRowRequested);
        f.g.pressCell(1, commCol(f.g), Qt::LeftButton);
        QVERIFY(!f.g.CBXCella()->isVisibleTo(&f.g));
        f.g.pressPictChk(0, Qt::LeftButton);
        f.g.pressCell(2, f.g.lastColumn(), Qt::LeftButton);
        f.g.pressCell(1, 1, Qt::RightButton);
        f.g.enterOnGrid();
        QCOMPARE(asked.size(), 0);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        QCOMPARE(int(f.fileRecord().Stations[1].Enabled), -1);
    }

    void runColumnsComeAndGoKeepingCells() {
        GridOn f({{1, "a", true}});
        // Each set replaces the one before: a narrower one drops the columns it no longer names,
        // and "Enabled" stays single and last.
        using C = Column;
        const QList<Column> all = {C::LastLinkTime, C::Battery, C::FieldE, C::FieldH,
                                   C::SpectrumInhibit};
        for (const QList<Column>& run :
             {QList<Column>{C::LastLinkTime, C::Battery, C::FieldE, C::SpectrumInhibit}, all,
              QList<Column>{C::LastLinkTime, C::Battery, C::FieldH}, all}) {
            f.g.insertRunColumns(run);
            QCOMPARE(f.g.columns(), withRun(run));
        }
        f.g.setCellText(1, f.g.columnOf(Column::FieldE), "1.25");
        f.g.showBattery(0, {.caption = "3.91 V "});
        QVERIFY(f.g.battery(0));
        // The voltage is the gauge's tip, as it was the control's.
        QCOMPARE(
            f.g.model()->index(0, f.g.columnOf(Column::Battery)).data(Qt::ToolTipRole).toString(),
            "3.91 V");
        f.g.removeRunColumns();
        QCOMPARE(f.g.columns(), withRun({}));
        QCOMPARE(f.g.cellText(1, 3), "a");
        QVERIFY(!f.g.battery(0));
        // The check picture follows its column.
        QCOMPARE(f.g.columnAt(f.g.lastColumn()), Column::Enabled);
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
