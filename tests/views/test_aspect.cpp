#include "views/FrmAspect.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QFile>

namespace {

void chooseStyle(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void runAspect(MainForm& form, const std::function<void(FrmAspect&)>& act) {
    runModal<FrmAspect>(form.action("MNUAspect"), act);
}

} // namespace

class TestAspect : public QObject {
    Q_OBJECT

private slots:
    // Every change shows at once in the previews, the main window and the file; Cancel, on
    // once something differs, puts all of it back, and so do Esc and the close box.
    void cancelPutsBackTheFileAndTheMainWindowByEveryRoute() {
        enum Route { CancelButton, Escape, CloseBox };
        for (Route route : {CancelButton, Escape, CloseBox}) {
            ViewsFixture f;
            WindowOn<> w(f);
            MainForm& form = w.form;
            RecordingPrompts& prompts = w.prompts;
            form.show();
            const QByteArray before = readAll(settingsPath(*f.ctx));
            const SettingsRecord record = f.settings;
            const QColor exitBegin = form.CMBExit()->colorBegin();
            const int buttonStyle = form.CMBExit()->buttonStyle();
            runAspect(form, [&](FrmAspect& d) {
                QVERIFY(QFile::exists(f.tmpPath()));
                QVERIFY(!d.CMBCancel()->isEnabled());
                prompts.colour = 0x00FF00;
                QTest::mouseClick(d.CMBStartEndColorLabel(0), Qt::LeftButton);
                QTest::mouseClick(d.CMBStartEndColorButton(0), Qt::LeftButton);
                chooseStyle(d.CBXStyleButton(), 1); // "Classic": one colour
                QVERIFY(d.CMBStartEndColorButton(1)->isHidden());
                QCOMPARE(d.CMBExampleButton()->buttonStyle(), 1);
                QCOMPARE(form.CMBExit()->colorBegin(), QColor(0, 255, 0));
                QCOMPARE(d.LBExampleLabel()->colorBegin(), QColor(0, 255, 0));
                QCOMPARE(form.CMBExit()->buttonStyle(), 1);
                QCOMPARE(prompts.colourTitles,
                         (QStringList{"Start Color Label", "Start Color Button"}));
                QVERIFY(readAll(settingsPath(*f.ctx)) != before);
                QVERIFY(writeAll(f.tmpPath(), "stale copy of another dialog"));
                if (route == CancelButton)
                    QTest::mouseClick(d.CMBCancel(), Qt::LeftButton);
                else if (route == Escape)
                    QTest::keyClick(d.CBXStyleLabel(), Qt::Key_Escape);
                else
                    d.close();
                QVERIFY(!d.isVisible());
            });
            QCOMPARE(readAll(settingsPath(*f.ctx)), before);
            QVERIFY(f.settings == record);
            QCOMPARE(form.CMBExit()->colorBegin(), exitBegin);
            QCOMPARE(form.CMBExit()->buttonStyle(), buttonStyle);
            QVERIFY(!QFile::exists(f.tmpPath()));
        }
    }

    void afterOkTheNextOpenOrSavePanelsKeepsTheNewLook() {
        ViewsFixture f;
        WindowOn<> w(f);
        MainForm& form = w.form;
        form.show();
        runAspect(form, [&](FrmAspect& d) {
            chooseStyle(d.CBXStyleLabel(), 8);
            QTest::keyClick(d.CBXStyleLabel(), Qt::Key_Return); // Enter is OK
            QCOMPARE(d.result(), int(QDialog::Accepted));
        });
        QVERIFY(!QFile::exists(f.tmpPath()));
        QVERIFY(f.model->saveAs("Site"));
        QCOMPARE(LoadSettings(settingsPath(*f.ctx)).LabelStyle, qint16(8));
        QCOMPARE(LoadSettings(settingsPath(*f.ctx)).CurrentPanelName, "Site.EST");
        QVERIFY(f.model->open("Untitled"));
        QCOMPARE(LoadSettings(settingsPath(*f.ctx)).LabelStyle, qint16(8));
        QCOMPARE(form.statusCaption()->style(), 8);
    }
};

QTEST_MAIN(TestAspect)
#include "test_aspect.moc"
