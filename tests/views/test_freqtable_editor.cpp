#include "views/FreqTableGridModel.h"
#include "views/FrmTableLimFacFT.h"
#include "views/MsgboxNameST.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace {

QString tablePath(const ViewsFixture& f, const QString& name) {
    return f.dir.file("Table/" + name + ".FTR");
}

// The table editor on `t`, shown.
struct Editor {
    FreqTable table;
    RecordingPrompts prompts;
    FrmTableLimFacFT form;
    Editor(ViewsFixture& f, const QString& name, const FreqTable& t = {})
        : table(t), form(*f.ctx, *f.model, table, prompts, appearanceFrom(f.settings), name) {
        form.show();
    }
    QModelIndex cell(int row, int col) const { return form.gridModel()->index(row, col); }
    void enter(int row, const QString& text) {
        form.gridModel()->setData(cell(row, 1), text, Qt::EditRole);
    }
};

// Runs `act` on the editor once the main window has opened it modally.
void whenEditorOpens(MainForm& form, std::function<void(FrmTableLimFacFT&)> act) {
    QTimer::singleShot(0, &form, [&form, act] {
        if (auto* ed = form.findChild<FrmTableLimFacFT*>()) act(*ed);
    });
}

} // namespace

class TestFreqTableEditor : public QObject {
    Q_OBJECT

private slots:
    void closingQuestionReplaceWritesAndCancelWritesNothing() {
        ViewsFixture f;
        FreqTable t;
        t.rows[0] = {1.0, 0, 0};
        const QString bands = tablePath(f, "Bands");
        // A longer file keeps the bytes after its first 1200.
        writeAll(bands, t.toBytes() + QByteArray("TAIL"));
        {
            Editor e(f, "Bands", t);
            QCOMPARE(e.form.title()->text(), "Frequency Table: Bands.FTR");
            e.form.CMBExitFT_Click(); // no change: nothing asked
            QVERIFY(e.prompts.asked.isEmpty());
            QVERIFY(!e.form.isVisible());
        }
        {
            Editor e(f, "Bands", t);
            e.enter(1, "2");
            e.prompts.choices = {1};
            e.form.CMBExitFT_Click();
            QCOMPARE(e.prompts.asked, QStringList({"Frequency Table modified"}));
            QVERIFY(!e.form.isVisible());
            QCOMPARE(readAll(bands), e.table.toBytes() + QByteArray("TAIL"));
        }
        const QByteArray before = readAll(bands);
        {
            Editor e(f, "Bands", FreqTable::fromBytes(before));
            e.enter(2, "3");
            e.prompts.choices = {2};
            e.form.close();
            QVERIFY(!e.form.isVisible());
            QCOMPARE(e.table.usedRowCount(), 3); // stays in memory as edited
        }
        QCOMPARE(readAll(bands), before);
        QCOMPARE(QDir(f.dir.file("Table")).entryList(QDir::Files).size(), 2);

        // An unnamed table: Save as runs at once; cancelling it keeps the editor open.
        Editor e(f, QString());
        e.enter(0, "7");
        e.form.CMBExitFT_Click();
        QVERIFY(e.form.isVisible());
        QCOMPARE(e.prompts.dialogsShown.last().DialogTitle, "Save Frequency Table As");
        // Load over unsaved edits asks first; Cancel there abandons the load.
        e.form.core().tableName = "Bands";
        e.prompts.choices = {2};
        e.form.CMBLoadFT_Click();
        QCOMPARE(e.prompts.asked.last(), "Frequency Table modified");
        QCOMPARE(e.prompts.dialogsShown.size(), 1);
        QCOMPARE(e.table.rows[0].Freq, 7.0);
        // Save as under a new name writes it and the title follows.
        e.prompts.dialogResults = {"Seven"};
        QVERIFY(e.form.CMBSaveFTAs_Click());
        QCOMPARE(readAll(tablePath(f, "Seven")), e.table.toBytes());
        QCOMPARE(e.form.title()->text(), "Frequency Table: Seven.FTR");
        e.form.CMBExitFT_Click();
        QVERIFY(!e.form.isVisible());
    }

    void cellEditingRemoveRowAndTheDuplicateMessageOnce() {
        ViewsFixture f;
        Editor e(f, QString());
        e.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&e.form));
        QTableView* grid = e.form.TabFreqTable();
        QVERIFY(!e.form.CMBRemoveRowTab()->isEnabled());

        // Typing in the new-entry row and Enter: stored, the cursor moves to the RBW cell.
        grid->setFocus();
        grid->setCurrentIndex(e.cell(0, 1));
        auto* tb = grid->findChild<QLineEdit*>("TBCella");
        QVERIFY(tb);
        QTest::keyClicks(tb, "1");
        QTest::keyClick(tb, Qt::Key_Return);
        QTRY_COMPARE(grid->currentIndex(), e.cell(0, 2));
        QCOMPARE(e.table.rows[0].Freq, 1.0);

        // A click on an RBW label stores its index, in the row and as the panel's default.
        auto* cbx = grid->findChild<QComboBox*>("CBXRBW");
        QVERIFY(cbx && cbx->isVisible());
        cbx->setCurrentIndex(4);
        emit cbx->activated(4);
        QTRY_COMPARE(grid->currentIndex(), e.cell(1, 1));
        QCOMPARE(e.table.rows[0].RbwIndex, 4);
        QCOMPARE(f.model->panel().TableEditorRBWIndex, 4);
        QCOMPARE(f.fileRecord().TableEditorRBWIndex, 4);

        // The same frequency in the new row, taken back by leaving the cell: one message.
        grid->setCurrentIndex(e.cell(1, 1));
        tb = grid->findChild<QLineEdit*>("TBCella");
        QVERIFY(tb && tb->isVisible());
        tb->setText("1");
        e.form.CMBExitFT()->setFocus();
        QTRY_COMPARE(e.prompts.shown.size(), 1);
        QTest::qWait(20);
        QCOMPARE(e.prompts.shown, QStringList({"Frequency already present"}));
        QCOMPARE(e.table.usedRowCount(), 1);

        // Remove row follows the clicked row in use only.
        e.enter(1, "2");
        e.enter(2, "3");
        grid->setCurrentIndex(e.cell(3, 1)); // the new-entry row
        QVERIFY(!e.form.CMBRemoveRowTab()->isEnabled());
        grid->setCurrentIndex(e.cell(0, 2));
        QVERIFY(e.form.CMBRemoveRowTab()->isEnabled());
        QCOMPARE(e.form.CMBRemoveRowTab()->text(), "Remove row 1");
        QTest::mouseClick(e.form.CMBRemoveRowTab(), Qt::LeftButton);
        QCOMPARE(e.table.usedFrequencies(), QList<double>({2.0, 3.0}));
        QCOMPARE(e.form.gridModel()->rowCount(), 3);
        QVERIFY(!e.form.CMBRemoveRowTab()->isEnabled());
    }

    void msgboxNameSTButtonsNameAndFrame() {
        {
            MsgboxNameST box("Name?", {"OK", QString(), "Cancel"}, "Table");
            box.show();
            QVERIFY(box.TBNameST()->isVisible());
            QVERIFY(!box.CMBMsgboxST()[1]->isVisible());
            box.TBNameST()->clear();
            QTest::keyClicks(box.TBNameST(), "a.b+c");
            QCOMPARE(box.TBNameST()->text(), "abc");
            QTest::keyClick(box.TBNameST(), Qt::Key_Return);
            QCOMPARE(box.result(), 0);
            QCOMPARE(box.enteredName(), "abc");
        }
        MsgboxNameST box("Frequency Table modified", {"Save", "Replace", "Cancel"}, QString());
        box.show();
        QVERIFY(!box.TBNameST()->isVisible());
        box.close(); // by the frame
        QCOMPARE(box.result(), 2);
        QVERIFY(box.enteredName().isEmpty());
    }

    void keypadEntersItsNumberAsIfTyped() {
        ViewsFixture f;
        Editor e(f, QString());
        e.prompts.keypadValue = 0.0045; // 4.5 kHz: clamped as a typed number is
        QTableView* grid = e.form.TabFreqTable();
        grid->setFocus();
        grid->setCurrentIndex(e.cell(0, 1));
        auto* tb = grid->findChild<QLineEdit*>("TBCella");
        QVERIFY(tb);
        QTest::mouseDClick(tb, Qt::LeftButton);
        QCOMPARE(e.prompts.keypadModes, QList<int>({0}));
        QTRY_COMPARE(e.table.rows[0].Freq, 0.009);
        QTRY_COMPARE(grid->currentIndex(), e.cell(0, 2));
    }

    void saveAsTextIsByteExact() {
        ViewsFixture f;
        f.model->editSettings([](PanelRecord& p) { p.SeparatorIndex = 1; });
        FreqTable t;
        const double freqs[] = {0.009, 0.15, 0.5, 1, 2.5, 5, 7.5, 10, 12.25, 15, 20, 30};
        for (int i = 0; i < 12; ++i)
            t.rows[size_t(i)].Freq = freqs[i];
        Editor e(f, "T", t);
        const QString out = f.dir.file("Table/Out.TXT");
        e.prompts.savePath = out;
        e.form.CMBSaveFTAsText_Click();
        const QByteArray expected = "Out.TXT 15/01/2026 10:00:00\r\n"
                                    "\r\n"
                                    "   Frequency MHz\r\n"
                                    "\r\n"
                                    " 1,        0.009\r\n"
                                    " 2,         0.15\r\n"
                                    " 3,          0.5\r\n"
                                    " 4,            1\r\n"
                                    " 5,          2.5\r\n"
                                    " 6,            5\r\n"
                                    " 7,          7.5\r\n"
                                    " 8,           10\r\n"
                                    " 9,        12.25\r\n"
                                    "10,           15\r\n"
                                    "11,           20\r\n"
                                    "12,           30\r\n";
        QCOMPARE(readAll(out), expected);
        // Never outside the application's folder.
        e.prompts.savePath = QDir::tempPath() + "/halvex-outside.TXT";
        e.form.CMBSaveFTAsText_Click();
        QVERIFY(!QFile::exists(e.prompts.savePath));
        QCOMPARE(e.prompts.shown.last(), "File name not valid");
    }

    // "Failed loading": Retry once the file is fixed opens the editor; Cancel ends the program
    // without it.
    void fileErrorsRetryOrEndTheProgramInOrder() {
        for (bool retry : {true, false}) {
            ViewsFixture f;
            f.writeTable("T", 2.0);
            FreqTable table;
            WindowOn<> w(f);
            MainForm& form = w.form;
            RecordingPrompts& prompts = w.prompts;
            form.attachFreqTable(table);
            const QString path = tablePath(f, "T");
            QFile::remove(path);
            // Present but unreadable (a folder) until the operator fixes it and presses Retry.
            QDir().mkpath(path);
            prompts.onRetry = [&] {
                QDir(path).removeRecursively();
                f.writeTable("T", 2.0);
            };
            prompts.retries = {retry};
            bool opened = false;
            whenEditorOpens(form, [&](FrmTableLimFacFT& ed) {
                opened = true;
                ed.CMBExitFT_Click();
            });
            form.MNUFrequencyTable_Click();
            QCOMPARE(opened, retry);
            QCOMPARE(prompts.asked, QStringList({"Failed loading"}));
            QCOMPARE(w.quit, !retry);
            if (!retry) {
                QVERIFY(logLines(*f.ctx).last().contains("Software Close"));
                continue;
            }
            QCOMPARE(table.rows[0].Freq, 2.0);

            // A write that fails, answered with Cancel, while edits are pending: the program
            // ends through the main window's close, asking and writing nothing more.
            const QByteArray tableBytes = readAll(path);
            QDir().mkpath(f.dir.file("Table/Out.TXT"));
            prompts.savePath = f.dir.file("Table/Out.TXT");
            prompts.asked.clear();
            whenEditorOpens(form, [&](FrmTableLimFacFT& ed) {
                ed.gridModel()->setData(ed.gridModel()->index(1, 1), "4", Qt::EditRole);
                ed.CMBSaveFTAsText_Click();
            });
            form.MNUFrequencyTable_Click();
            QVERIFY(w.quit);
            QCOMPARE(prompts.asked.size(), 1);
            QVERIFY(prompts.asked[0].startsWith("Cannot save file \r\n"));
            QVERIFY(logLines(*f.ctx).last().contains("Software Close"));
            QCOMPARE(readAll(path), tableBytes);
            QVERIFY(!form.findChild<FrmTableLimFacFT*>());
        }
    }
};

QTEST_MAIN(TestFreqTableEditor)
#include "test_freqtable_editor.moc"
