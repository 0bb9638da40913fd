#include "views/FrmLoadSave.h"
#include "views/GridCentraline.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

namespace {

LoadSaveParams panelParams(const ViewsFixture& f, bool open) {
    return {.DialogTitle = open ? "Open Panels" : "Save Panels As",
            .DialogExtension = "EST",
            .DialogFolder = f.dir.file("Panels/"),
            .DialogDefaultName = "Untitled",
            .DialogOpenMode = open,
            .ProtectedEntry = "Untitled"};
}

using Window = WindowOn<>;

} // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void saveModeFiltersAsksAndClosesWithTheName() {
        ViewsFixture f;
        writeAll(f.dir.file("Panels/abc.est"), "keep");
        RecordingPrompts prompts;
        FrmLoadSave d(panelParams(f, false), prompts);
        d.show();
        QVERIFY(d.TBSave()->isVisible() && d.CmdSave()->isVisible());
        QVERIFY(!d.CmdLoad()->isVisible());
        QCOMPARE(d.TBSave()->text(), "Untitled");

        // Typing a, +, b leaves "ab" with the caret after it.
        d.TBSave()->clear();
        QTest::keyClicks(d.TBSave(), "a+b");
        QCOMPARE(d.TBSave()->text(), "ab");
        QCOMPARE(d.TBSave()->cursorPosition(), 2);

        // Clicking an entry puts its name in the box; an existing name asks, No stays.
        d.FileList()->setCurrentRow(d.FileList()->count() - 1);
        d.FileList()->setCurrentRow(0);
        QCOMPARE(d.TBSave()->text(), "abc");
        d.TBSave()->setText("ABC");
        QTest::keyClick(d.TBSave(), Qt::Key_Return);
        QCOMPARE(prompts.asked.last(), "ABC exists already.\rDo you want to replace it?");
        QVERIFY(d.isVisible());

        // A blank name brings the default back and stays; Yes closes with the name.
        d.TBSave()->setText("   ");
        d.CmdSave_Click();
        QCOMPARE(d.TBSave()->text(), "Untitled");
        QVERIFY(d.isVisible());
        prompts.yesNo = {true};
        d.TBSave()->setText("ABC");
        d.CmdSave_Click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.DialogResult(), "ABC.EST");
    }

    void openModeLoadsAndDeletesTheListedFile() {
        ViewsFixture f;
        writeAll(f.dir.file("Panels/Zeta.EST"), "z");
        writeAll(f.dir.file("Panels/alpha.est"), "a");
        RecordingPrompts prompts;
        FrmLoadSave d(panelParams(f, true), prompts);
        d.show();
        QVERIFY(!d.TBSave()->isVisible() && !d.CmdSave()->isVisible());
        QVERIFY(d.CmdLoad()->isVisible());
        QCOMPARE(d.FileList()->count(), 3); // alpha, Untitled, Zeta

        // The panel in use is not deleted; another entry is, after OK, as the listing named it.
        d.FileList()->setCurrentRow(1);
        QTest::keyClick(d.FileList(), Qt::Key_Delete);
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(prompts.shown.last(), "Untitled is in use and cannot be deleted");
        for (bool yes : {false, true}) {
            prompts.answer = yes;
            d.FileList()->setCurrentRow(0);
            QTest::keyClick(d.FileList(), Qt::Key_Delete);
            QCOMPARE(prompts.asked.last(), "Are you sure you want to delete alpha ?");
            QCOMPARE(QFile::exists(f.dir.file("Panels/alpha.est")), !yes);
        }
        QCOMPARE(d.FileList()->count(), 2);
        QVERIFY(!d.CmdLoad()->isEnabled()); // only while an entry is chosen

        d.FileList()->setCurrentRow(1);
        QVERIFY(d.CmdLoad()->isEnabled());
        QTest::mouseClick(d.CmdLoad(), Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.DialogResult(), "Zeta");
    }

    void savePanelsAsWritesTheFileAndRenamesThePanel() {
        ViewsFixture f({{3, "roof", true}});
        Window w(f);
        w.prompts.dialogResults = {"Site.EST"};
        w.form.action("MNUSavePanel")->trigger();
        QCOMPARE(w.prompts.dialogsShown.size(), 1);
        QVERIFY(!w.prompts.dialogsShown[0].DialogOpenMode);

        const QString site = f.dir.file("Panels/Site.EST");
        QCOMPARE(readAll(site), PanelFile::toBytes(f.model->panel()));
        QCOMPARE(LoadSettings(settingsPath(*f.ctx)).CurrentPanelName.trimmed(), "Site.EST");
        QCOMPARE(w.form.windowTitle(), "Halvex Panel: Site");
        QCOMPARE(w.form.grid()->stationRows(), 1);

        // Open Panels on another panel refills the grid and the table list.
        f.writeTable("Other", 2.0);
        PanelRecord other = f.model->panel();
        other.Stations[1] = other.Stations[0];
        other.Stations[1].Comm = 4;
        other.setFreqTableName("Other");
        PanelFile::write(f.dir.file("Panels/Two.EST"), other);
        w.prompts.dialogResults = {"Two"};
        w.form.MNUOpenPanel_Click();
        QVERIFY(w.prompts.dialogsShown.last().DialogOpenMode);
        QCOMPARE(w.form.windowTitle(), "Halvex Panel: Two");
        QCOMPARE(w.form.grid()->stationRows(), 2);
        QCOMPARE(w.form.CBXFrequencyTable()->currentText(), "Other");
        QVERIFY(!w.form.CMBUndo()->isEnabled());

        // No dialog during a run.
        w.form.DisabilitaControlli();
        f.ctx->flags.MeasurementRunning = true;
        QVERIFY(!w.form.menu("MNUFile")->isEnabled());
        w.form.MNUSavePanel_Click();
        w.form.MNUOpenPanel_Click();
        w.form.MNUFrequencyTable_Click();
        QCOMPARE(w.prompts.dialogsShown.size(), 2);
    }
};

QTEST_MAIN(TestLoadSave)
#include "test_loadsave.moc"
