#include "app/Format.h"
#include "app/Release.h"
#include "views/GridCentraline.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>

using Window = WindowOn<>;

namespace {

void touch(const QString& path, int secondsAgo) {
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                         QFileDevice::FileModificationTime);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void startUpAndCloseWriteTheLog() {
        TempAppDir dir;
        VirtualClock clock;
        VirtualPump pump(clock);
        AppContext ctx(dir.path(), QString(), clock, pump);
        InitForm init(ctx);
        QCOMPARE(init.releaseText(), QStringLiteral("Rel. ") + ReleaseText());
        QVERIFY(QDir(dir.file(QStringLiteral("Panels"))).exists());
        QVERIFY(QFile::exists(dir.file(QStringLiteral("Panels/Untitled.EPN"))));
        QVERIFY(!init.Timer1().isActive());

        std::unique_ptr<PanelModel> model;
        std::unique_ptr<MainForm> form;
        bool quit = false;
        init.onFirstTick = [&] {
            model = std::make_unique<PanelModel>(ctx, init.settings());
            form = std::make_unique<MainForm>(ctx, *model, appearanceFrom(init.settings()),
                                              init.SetupRelease(), &init);
            QObject::connect(form.get(), &MainForm::quitRequested, [&] { quit = true; });
            form->load();
            form->show();
        };
        init.show();
        QVERIFY(init.Timer1().isActive());
        QTRY_VERIFY_WITH_TIMEOUT(form != nullptr, 10000);
        QVERIFY(!init.isVisible());
        QVERIFY(!init.Timer1().isActive());
        QCOMPARE(form->windowTitle(), QStringLiteral("Halvex Panel: Untitled"));
        QVERIFY(!form->action(QStringLiteral("MNUInfo"))->isVisible());

        QStringList lines = logLines(ctx);
        QVERIFY(lines.last().endsWith(QStringLiteral("    ") +
                                      PadLogText(QStringLiteral("Software Start"))));
        QCOMPARE(lines.size(), 1);

        form->CMBExit_Click();
        QVERIFY(quit);
        QVERIFY(!form->isVisible());
        lines = logLines(ctx);
        QVERIFY(lines.last().endsWith(QStringLiteral("    ") +
                                      PadLogText(QStringLiteral("Software Close"))));
    }

    void closeDuringRunOnlyRaisesRequests() {
        ViewsFixture f({{1, {}, true}});
        Window w(f);
        w.form.show();
        f.ctx->flags.MeasurementRunning = true;
        w.form.close();
        QVERIFY(w.form.isVisible());
        QVERIFY(f.ctx->flags.ExitRequest && f.ctx->flags.StopRequest);
        w.form.CMBExit_Click();
        QVERIFY(w.form.isVisible());
        QVERIFY(!w.quit);
        QVERIFY(!logLines(*f.ctx).last().contains(QStringLiteral("Software Close")));

        // The run ends and finds the close request.
        f.ctx->flags.MeasurementRunning = false;
        w.form.shutdownRequested();
        QVERIFY(w.quit);
        QVERIFY(logLines(*f.ctx).last().contains(QStringLiteral("Software Close")));
    }

    void infoShowsTheSetupRelease() {
        ViewsFixture f;
        writeAll(f.dir.file(QStringLiteral("orsk halvex.dat")), "1.0\r\n1.1\r\n");
        InitForm init(*f.ctx);
        QCOMPARE(init.SetupRelease(), QStringLiteral("1.1"));
        Window w(f, init.SetupRelease());
        QVERIFY(w.form.action(QStringLiteral("MNUInfo"))->isVisible());
        w.form.action(QStringLiteral("MNUInfo"))->trigger();
        QCOMPARE(w.prompts.shown, QStringList{QStringLiteral("Setup Release: 1.1")});
    }

    void undoRestoresPanelAndFile() {
        ViewsFixture f({{1, QStringLiteral("a"), true}, {2, QStringLiteral("b"), false}});
        Window w(f);
        GridCentraline* g = w.form.grid();
        const PanelRecord before = f.model->panel();
        QVERIFY(!w.form.CMBUndo()->isEnabled());

        g->pressCell(2, g->lastColumn(), Qt::LeftButton); // enable station 2
        g->BeginCellEdit(1, 1);
        g->CBXCella()->setEditText(QStringLiteral("9"));
        QTest::keyClick(g->CBXCella()->lineEdit(), Qt::Key_Return);
        QCOMPARE(int(f.fileRecord().Stations[0].Comm), 9);
        g->BeginCellEdit(2, 3);
        g->TBCella()->setText(QStringLiteral("changed"));
        QTest::keyClick(g->TBCella(), Qt::Key_Return);
        QCOMPARE(f.fileRecord(), f.model->panel());
        QVERIFY(w.form.CMBUndo()->isEnabled());

        w.form.CMBUndo()->click();
        QCOMPARE(f.model->panel(), before);
        QCOMPARE(f.fileRecord(), before);
        QCOMPARE(g->cellText(1, 1), QStringLiteral("1"));
        QCOMPARE(g->cellText(2, 3), QStringLiteral("b"));
        QVERIFY(!g->checkShown(1));
        QVERIFY(!w.form.CMBUndo()->isEnabled());
    }

    // The caption keeps its words; its tooltip and that of the disabled Start say why.
    void statusFollowsTheChecksAndExplains() {
        ViewsFixture f({{5, {}, true}, {2, {}, true}, {5, {}, true}});
        Window w(f);
        QVERIFY(w.form.statusCaption()->isVisibleTo(&w.form));
        QCOMPARE(w.form.statusCaption()->caption(), QStringLiteral("COMM IN USE"));
        QCOMPARE(w.form.statusCaption()->colorBegin(), QColor(255, 0, 0)); // whatever the look
        QVERIFY(!w.form.CMBExecute()->isEnabled());
        const QString why = w.form.statusCaption()->toolTip();
        QVERIFY2(why.startsWith(QStringLiteral("COMM IN USE: port 5 is set for stations 1 and 3")),
                 qPrintable(why));
        QCOMPARE(w.form.CMBExecute()->toolTip(), why);
        w.form.grid()->pressPictChk(2, Qt::LeftButton);
        QVERIFY(!w.form.statusCaption()->isVisibleTo(&w.form));
        QVERIFY(w.form.CMBExecute()->isEnabled());
        QVERIFY(w.form.statusCaption()->toolTip().isEmpty());
        QCOMPARE(w.form.CMBExecute()->toolTip(), QStringLiteral("Start (F5)"));
        for (int s : {0, 1})
            w.form.grid()->pressPictChk(s, Qt::LeftButton);
        QCOMPARE(w.form.statusCaption()->caption(), QStringLiteral("NO STATION SELECTED"));
        QVERIFY(!w.form.CMBExecute()->isEnabled());
    }

    void tableChoiceSortAndDelete() {
        ViewsFixture f({{1, {}, true}});
        f.writeTable(QStringLiteral("b"), 2.0);
        f.writeTable(QStringLiteral("A"), 3.0);
        // A name the panel cannot store is not offered.
        f.writeTable(QStringLiteral("\u03a9mega"), 4.0);
        touch(f.dir.file(QStringLiteral("Table/T.FTR")), 300);
        touch(f.dir.file(QStringLiteral("Table/b.FTR")), 200);
        touch(f.dir.file(QStringLiteral("Table/A.FTR")), 100);
        Window w(f);
        QComboBox* cbx = w.form.CBXFrequencyTable();
        auto items = [cbx] {
            QStringList l;
            for (int i = 0; i < cbx->count(); ++i)
                l << cbx->itemText(i);
            return l;
        };
        QCOMPARE(items(), QStringList({"A", "b", "T"}));
        QCOMPARE(cbx->currentText(), QStringLiteral("T"));

        w.form.chooseTable(1);
        QCOMPARE(f.fileRecord().freqTableNameText(), QStringLiteral("b"));
        QVERIFY(w.form.TimerVisFreq().isActive());

        w.form.action(QStringLiteral("MNUSortByDate"))->trigger();
        QVERIFY(w.form.action(QStringLiteral("MNUSortByDate"))->isChecked());
        QCOMPARE(int(f.fileRecord().SortByDate), -1);
        QCOMPARE(items(), QStringList({"A", "b", "T"})); // newest first
        QCOMPARE(cbx->currentText(), QStringLiteral("b"));

        // Delete asks, removes the file and selects the entry before it.
        w.prompts.answer = false;
        QTest::keyClick(cbx, Qt::Key_Delete);
        QCOMPARE(w.prompts.asked,
                 QStringList{QStringLiteral("Are you sure you want to delete b ?")});
        QVERIFY(QFile::exists(f.dir.file(QStringLiteral("Table/b.FTR"))));
        w.prompts.answer = true;
        QTest::keyClick(cbx, Qt::Key_Delete);
        QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("Table/b.FTR"))));
        QCOMPARE(items(), QStringList({"A", "T"}));
        QCOMPARE(cbx->currentText(), QStringLiteral("A"));
        QCOMPARE(f.fileRecord().freqTableNameText(), QStringLiteral("A"));

        w.form.action(QStringLiteral("MNUSortByDate"))->trigger();
        QCOMPARE(int(f.fileRecord().SortByDate), 0);
    }

    void runLocksAndUnlocks() {
        ViewsFixture f({{1, {}, true}});
        Window w(f);
        // A comment editor left open (the run started from the keyboard) goes with the lock.
        w.form.grid()->BeginCellEdit(1, w.form.grid()->columnOf(Column::Comment));
        QVERIFY(w.form.grid()->TBCella()->isVisibleTo(&w.form));
        w.form.lockForRun();
        QVERIFY(!w.form.grid()->TBCella()->isVisibleTo(&w.form));
        QVERIFY(w.form.CMBStop()->isVisibleTo(&w.form));
        QVERIFY(!w.form.CMBExecute()->isVisibleTo(&w.form));
        QVERIFY(!w.form.CBXFrequencyTable()->isEnabled());
        QVERIFY(!w.form.menu(QStringLiteral("MNUFile"))->isEnabled());
        w.form.grid()->pressPictChk(0, Qt::LeftButton);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        w.form.showPollingLabel(QStringLiteral("Polling Time OK"), 65280, 16777215, 1500);
        QVERIFY(w.form.TimerPooling().isActive());
        QCOMPARE(w.form.LBPolling()->colorBegin(), QColor(0, 255, 0));
        w.form.unlockAfterRun();
        QVERIFY(!w.form.CMBStop()->isVisibleTo(&w.form));
        QVERIFY(w.form.CMBExecute()->isEnabled());
        QVERIFY(!w.form.LBPolling()->isVisibleTo(&w.form));
        QVERIFY(w.form.CBXFrequencyTable()->isEnabled());
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
