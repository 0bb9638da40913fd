#include "views/FreqTableGridModel.h"
#include "views/FrmTTTFreqTab.h"
#include "views/FrmTableLimFacFT.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QFont>
#include <QMouseEvent>
#include <QTableView>

class TestTableView : public QObject {
    Q_OBJECT

private slots:
    void showsTheTableWithCoupledCellsMarkedAndStaysOnTop() {
        FreqTable table;
        table.rows[0] = {0.01, 0, 0};
        table.rows[1] = {27.12, 2, 0};
        FrmTTTFreqTab view(table, Switches());
        view.load();
        QVERIFY(view.viewOpen());
        QCOMPARE(view.clickedRow(), -1);
        const QAbstractItemModel* m = view.gridModel();
        QCOMPARE(m->rowCount(), 2);
        // The RBW the coupling raised is shown, marked, and stored.
        QCOMPARE(m->index(0, 2).data().toString(), "  3 kHz");
        QVERIFY(m->index(0, 2).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!m->index(1, 2).data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(table.rows[0].RbwIndex, 4);
        QVERIFY(
            view.windowFlags().testFlags(Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus));
        QVERIFY(view.testAttribute(Qt::WA_ShowWithoutActivating));
        QTRY_COMPARE(view.timerCount(), 1);
        QTest::qWait(150);
        QCOMPARE(view.timerCount(), 1); // one shot
        view.close();
        QVERIFY(!view.viewOpen());
        QCOMPARE(view.timerCount(), 0);
        // An empty table shows only the titles.
        FreqTable empty;
        FrmTTTFreqTab emptyView(empty, Switches());
        emptyView.load();
        QCOMPARE(emptyView.gridModel()->rowCount(), 0);
    }

    void choosingATableShowsItAndADoubleClickOpensTheEditorThere() {
        ViewsFixture f;
        FreqTable t;
        for (int i = 0; i < 4; ++i)
            t.rows[size_t(i)] = {1.0 + i, 0, 0};
        FreqTableFile::write(f.dir.file("Table/Four.FTR"), t);
        FreqTable table;
        WindowOn<> w(f);
        MainForm& form = w.form;
        form.attachFreqTable(table);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.chooseTable(form.CBXFrequencyTable()->findText("Four"));
        FrmTTTFreqTab* view = form.tableView();
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->gridModel()->rowCount(), 4);
        QVERIFY(form.TimerNascFreq().isActive()); // it goes by itself after a moment
        // The pointer over the stations frame puts it away at once.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.FRMCentraline(), &move);
        QVERIFY(!view->isVisible());
        QVERIFY(!form.TimerNascFreq().isActive());
        form.chooseTable(form.CBXFrequencyTable()->findText("Four"));
        QTRY_VERIFY(view->isVisible());

        // Double-click row 3, frequency column: the view goes, the editor opens on that cell.
        QModelIndex seen;
        bool found = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &form, [&] {
            if (auto* ed = form.findChild<FrmTableLimFacFT*>(); ed && ed->isVisible()) {
                found = true;
                seen = ed->TabFreqTable()->currentIndex();
                ed->CMBExitFT_Click();
            }
        });
        poll.start(10);
        QTableView* grid = view->TabFreqTable();
        const QRect cell = grid->visualRect(view->gridModel()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(found);
        QCOMPARE(std::pair(seen.row(), seen.column()), std::pair(2, 1));
        QVERIFY(!view->isVisible());
        QCOMPARE(f.model->panel().freqTableNameText(), "Four");

        // A run closes the view, and a double-click during it opens nothing.
        form.chooseTable(form.CBXFrequencyTable()->findText("Four"));
        QTRY_VERIFY(view->isVisible());
        form.DisabilitaControlli();
        f.ctx->flags.MeasurementRunning = true;
        QVERIFY(!view->isVisible());
        view->load();
        found = false;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::qWait(30);
        QVERIFY(!found);
        QVERIFY(view->isVisible());
    }
};

QTEST_MAIN(TestTableView)
#include "test_table_view.moc"
