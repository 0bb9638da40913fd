#include "app/Format.h"
#include "app/Release.h"
#include "views/GridCentraline.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>

using Window = WindowOn<>;

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void startUpAndCloseWriteTheLog() {
        TempAppDir dir;
        VirtualClock clock;
        VirtualPump pump(clock);
        AppContext ctx(dir.path(), QString(), clock, pump);
        InitForm init(ctx);
        QCOMPARE(init.releaseText(), "Rel. " + ReleaseText());
        QVERIFY(QFile::exists(dir.file("Panels/Untitled.EPN")));
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
        QCOMPARE(form->windowTitle(), "Halvex Panel: Untitled");
        QVERIFY(!form->action("MNUInfo")->isVisible());

        QCOMPARE(logLines(ctx).size(), 1);
        QVERIFY(logLines(ctx).last().endsWith("    " + PadLogText("Software Start")));

        form->CMBExit_Click();
        QVERIFY(quit);
        QVERIFY(!form->isVisible());
        QVERIFY(logLines(ctx).last().endsWith("    " + PadLogText("Software Close")));
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
        QVERIFY(!logLines(*f.ctx).last().contains("Software Close"));

        // The run ends and finds the close request.
        f.ctx->flags.MeasurementRunning = false;
        w.form.shutdownRequested();
        QVERIFY(w.quit);
        QVERIFY(logLines(*f.ctx).last().contains("Software Close"));
    }

    void infoShowsTheSetupRelease() {
        ViewsFixture f;
        writeAll(f.dir.file("orsk halvex.dat"), "1.0\r\n1.1\r\n");
        InitForm init(*f.ctx);
        QCOMPARE(init.SetupRelease(), "1.1");
        Window w(f, init.SetupRelease());
        QVERIFY(w.form.action("MNUInfo")->isVisible());
        w.form.action("MNUInfo")->trigger();
        QCOMPARE(w.prompts.shown, QStringList{"Setup Release: 1.1"});
    }

    void undoRestoresPanelAndFile() {
        ViewsFixture f({{1, "a", true}, {2, "b", false}});
        Window w(f);
        GridCentraline* g = w.form.grid();
        const PanelRecord before = f.model->panel();
        QVERIFY(!w.form.CMBUndo()->isEnabled());

        g->pressCell(2, g->lastColumn(), Qt::LeftButton); // enable station 2
        g->BeginCellEdit(1, 1);
        g->CBXCella()->setEditText("9");
        QTest::keyClick(g->CBXCella()->lineEdit(), Qt::Key_Return);
        QCOMPARE(int(f.fileRecord().Stations[0].Comm), 9);
        g->BeginCellEdit(2, 3);
        g->TBCella()->setText("changed");
        QTest::keyClick(g->TBCella(), Qt::Key_Return);
        QCOMPARE(f.fileRecord(), f.model->panel());
        QVERIFY(w.form.CMBUndo()->isEnabled());

        w.form.CMBUndo()->click();
        QCOMPARE(f.model->panel(), before);
        QCOMPARE(f.fileRecord(), before);
        QCOMPARE(g->cellText(1, 1), "1");
        QCOMPARE(g->cellText(2, 3), "b");
        QVERIFY(!g->checkShown(1));
        QVERIFY(!w.form.CMBUndo()->isEnabled());
    }

    // The caption keeps its words; its tooltip and that of the disabled Start say why.
    void statusFollowsTheChecksAndExplains() {
        ViewsFixture f({{5, {}, true}, {2, {}, true}, {5, {}, true}});
        Window w(f);
        QVERIFY(w.form.statusCaption()->isVisibleTo(&w.form));
        QCOMPARE(w.form.statusCaption()->caption(), "COMM IN USE");
        QCOMPARE(w.form.statusCaption()->colorBegin(), QColor(255, 0, 0)); // whatever the look
        QVERIFY(!w.form.CMBExecute()->isEnabled());
        const QString why = w.form.statusCaption()->toolTip();
        QVERIFY2(why.startsWith("COMM IN USE: port 5 is set for stations 1 and 3"),
                 qPrintable(why));
        QCOMPARE(w.form.CMBExecute()->toolTip(), why);
        w.form.grid()->pressPictChk(2, Qt::LeftButton);
        QVERIFY(!w.form.statusCaption()->isVisibleTo(&w.form));
        QVERIFY(w.form.CMBExecute()->isEnabled());
        QVERIFY(w.form.statusCaption()->toolTip().isEmpty());
        QCOMPARE(w.form.CMBExecute()->toolTip(), "Start (F5)");
        for (int s : {0, 1})
            w.form.grid()->pressPictChk(s, Qt::LeftButton);
        QCOMPARE(w.form.statusCaption()->caption(), "NO STATION SELECTED");
        QVERIFY(!w.form.CMBExecute()->isEnabled());
    }

    void tableChoiceSortAndDelete() {
        ViewsFixture f({{1, {}, true}});
        f.writeTable("b", 2.0);
        f.writeTable("A", 3.0);
        // A name the panel cannot store is not offered.
        f.writeTable("\u03a9mega", 4.0);
        for (auto [name, age] : {std::pair{"T", 300}, {"b", 200}, {"A", 100}}) {
            QFile file(f.dir.file(QString("Table/%1.FTR").arg(name)));
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.setFileTime(QDateTime::currentDateTime().addSecs(-age),
                             QFileDevice::FileModificationTime);
        }
        Window w(f);
        QComboBox* cbx = w.form.CBXFrequencyTable();
        auto items = [cbx] {
            QStringList l;
            for (int i = 0; i < cbx->count(); ++i)
                l << cbx->itemText(i);
            return l;
        };
        QCOMPARE(items(), QStringList({"A", "b", "T"}));
        QCOMPARE(cbx->currentText(), "T");

        w.form.chooseTable(1);
        QCOMPARE(f.fileRecord().freqTableNameText(), "b");
        QVERIFY(w.form.TimerVisFreq().isActive());

        w.form.action("MNUSortByDate")->trigger();
        QVERIFY(w.form.action("MNUSortByDate")->isChecked());
        QCOMPARE(int(f.fileRecord().SortByDate), -1);
        QCOMPARE(items(), QStringList({"A", "b", "T"})); // newest first
        QCOMPARE(cbx->currentText(), "b");

        // Delete asks, removes the file and selects the entry before it.
        for (bool yes : {false, true}) {
            w.prompts.answer = yes;
            QTest::keyClick(cbx, Qt::Key_Delete);
            QCOMPARE(w.prompts.asked.last(), "Are you sure you want to delete b ?");
            QCOMPARE(QFile::exists(f.dir.file("Table/b.FTR")), !yes);
        }
        QCOMPARE(w.prompts.asked.size(), 2);
        QCOMPARE(items(), QStringList({"A", "T"}));
        QCOMPARE(cbx->currentText(), "A");
        QCOMPARE(f.fileRecord().freqTableNameText(), "A");

        w.form.action("MNUSortByDate")->trigger();
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
        QVERIFY(!w.form.menu("MNUFile")->isEnabled());
        w.form.grid()->pressPictChk(0, Qt::LeftButton);
        QCOMPARE(int(f.fileRecord().Stations[0].Enabled), -1);
        w.form.showPollingLabel("Polling Time OK", 65280, 16777215, 1500);
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
