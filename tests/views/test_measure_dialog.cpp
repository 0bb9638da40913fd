#include "app/Format.h"
#include "app/Keypad.h"
#include "measure/ExposureSetup.h"
#include "views/FrmMeasure.h"
#include "views/widgets/StyledControls.h"
#include "views/widgets/XPControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QFile>
#include <QSlider>
#include <QSpinBox>

namespace {

void typeInto(XPText* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestMeasureDialog : public QObject {
    Q_OBJECT

private slots:
    // OK keeps the edits; Cancel, Esc and the close box put back the file, the record and
    // leave Undo as it was. Either way the dialog's copy goes.
    void everyRouteOutKeepsOrPutsBackTheEdits() {
        enum Route { Ok, CancelButton, Escape, CloseBox };
        for (Route route : {Ok, CancelButton, Escape, CloseBox}) {
            ViewsFixture f({{3, "a", true}});
            // A grid edit before the dialog: Undo must still see it afterwards.
            f.model->setEnabled(0, false);
            const QByteArray before = readAll(f.model->currentPanelPath());
            const PanelRecord record = f.model->panel();
            const PanelRecord undoCopy = f.model->backup();
            PanelRecord edited;
            RecordingPrompts prompts;
            {
                FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
                d.show();
                QVERIFY(QFile::exists(f.tmpPath()));
                QVERIFY(!d.CMBCancel()->isEnabled());
                // Several edits of different kinds, each stored at once.
                QTest::mouseClick(d.CHKCampoListMode(1), Qt::LeftButton); // H Mode A: 3 MHz limit
                typeInto(d.TBRateListMode(), "15");
                typeInto(d.TBCampoSpectrumMode(1), "0,25");
                prompts.colour = 0x123456;
                QTest::mouseClick(d.LbColor(2), Qt::LeftButton);
                QTest::mouseClick(d.CHKListMode(), Qt::LeftButton);
                QCOMPARE(f.model->panel().ListModeRate, qint16(15));
                QCOMPARE(f.model->panel().SpectrumStopFrequency, 3.0f);
                QCOMPARE(f.model->panel().Colors[2], 0x123456);
                QCOMPARE(prompts.colourTitles, QStringList{"Y Field Color"});
                QVERIFY(readAll(f.model->currentPanelPath()) != before);
                QVERIFY(d.CMBCancel()->isEnabled());
                edited = f.model->panel();
                // Another panel's copy left under the same name must never come back.
                QVERIFY(writeAll(f.tmpPath(), "stale"));

                if (route == Ok)
                    QTest::mouseClick(d.CMBOK(), Qt::LeftButton);
                else if (route == CancelButton)
                    QTest::mouseClick(d.CMBCancel(), Qt::LeftButton);
                else if (route == Escape)
                    QTest::keyClick(d.TBRateListMode(), Qt::Key_Escape);
                else
                    d.close();
                QVERIFY(!d.isVisible());
                QCOMPARE(d.result(), int(route == Ok ? QDialog::Accepted : QDialog::Rejected));
            }
            if (route == Ok) {
                QVERIFY(f.model->panel() == edited);
                QVERIFY(f.fileRecord() == edited);
            } else {
                QCOMPARE(readAll(f.model->currentPanelPath()), before);
                QVERIFY(f.model->panel() == record);
                QVERIFY(f.model->backup() == undoCopy);
                QVERIFY(f.model->PanelModified());
            }
            QVERIFY(!QFile::exists(f.tmpPath()));
        }
    }

    // The exposure choice goes to the panel's side file at once, the panel file untouched;
    // Cancel puts the side file back (here: none, so the default table again).
    void exposureChoiceLivesBesideThePanel() {
        ViewsFixture f;
        RecordingPrompts prompts;
        QVERIFY(writeAll(f.ctx->path("Limits/National.txt"), "band 0.1 30 E 6 H 0.016\n"));
        const QString side = ExposureChoiceFile::sideFilePath(f.model->currentPanelPath());
        const QByteArray panelBytes = readAll(f.model->currentPanelPath());
        for (bool ok : {true, false}) {
            QFile::remove(side);
            FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
            d.show();
            QCOMPARE(d.CBXLimits()->currentText(), "ICNIRP 1998 general public");
            QCOMPARE(d.CBXLimits()->count(), 4); // None, the two shipped tables, National.txt
            d.CBXLimits()->setCurrentIndex(d.CBXLimits()->findText("National.txt"));
            d.SBAlarm()->setValue(50);
            QCOMPARE(ExposureChoiceFile::load(side), (ExposureChoice{"National.txt", 50.0}));
            QTest::mouseClick(ok ? d.CMBOK() : d.CMBCancel(), Qt::LeftButton);
            QCOMPARE(QFile::exists(side), ok);
            QCOMPARE(readAll(f.model->currentPanelPath()), panelBytes);
        }
    }

    void numberBoxesTakeTheirValues() {
        ViewsFixture f;
        RecordingPrompts prompts;
        FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // Enter takes the value (clamped, written back) and leaves the dialog open.
        typeInto(d.TBRateListMode(), "2000");
        QVERIFY(d.isVisible());
        QCOMPARE(d.TBRateListMode()->text(), "1440");
        QCOMPARE(f.fileRecord().ListModeRate, qint16(1440));
        QVERIFY(d.CMBCancel()->isEnabled());
        // Edited back: nothing differs from the opening any more.
        typeInto(d.TBRateListMode(), "1");
        QVERIFY(!d.CMBCancel()->isEnabled());

        // The quality box and slider follow each other.
        typeInto(d.TBQualita(), "-50");
        QCOMPARE(d.SLDFactorQuality()->value(), 50);
        d.SLDFactorQuality()->setValue(70);
        QCOMPARE(d.TBQualita()->text(), "70");
        QCOMPARE(f.model->panel().ImageQuality, 70);

        // Leaving a box with its stored value writes nothing.
        QFile::remove(f.model->currentPanelPath());
        d.TBFStopSpectrumMode()->setFocus();
        d.TBFStartSpectrumMode()->setFocus();
        QVERIFY(d.TBFStartSpectrumMode()->hasFocus());
        QVERIFY(!QFile::exists(f.model->currentPanelPath()));
        // A new value is taken when the box is left.
        d.TBFStopSpectrumMode()->setFocus();
        d.TBFStopSpectrumMode()->setText("10");
        d.TBRateListMode()->setFocus();
        QCOMPARE(f.model->panel().SpectrumStopFrequency, 10.0f);
        QVERIFY(QFile::exists(f.model->currentPanelPath()));
    }

    void keypadResultReachesTheBoxAsPlainNumberText() {
        const QLocale old;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ViewsFixture f;
        RecordingPrompts prompts;
        FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
        d.show();
        prompts.keypadValue = 1500; // "1.500" in German would read as 1.5
        QTest::mouseClick(d.TBRateListMode(), Qt::LeftButton);
        QCOMPARE(f.model->panel().ListModeRate, qint16(1440));
        prompts.keypadValue = 12.5;
        QTest::mouseClick(d.TBFStopSpectrumMode(), Qt::LeftButton);
        QCOMPARE(d.TBFStopSpectrumMode()->text(), "12.5");
        QCOMPARE(prompts.keypadModes, (QList<int>{4, 0}));
        // A cancelled keypad leaves the box alone.
        prompts.keypadValue = Keypad::Cancelled;
        QTest::mouseClick(d.TBFStopSpectrumMode(), Qt::LeftButton);
        QCOMPARE(d.TBFStopSpectrumMode()->text(), "12.5");
        QLocale::setDefault(old);
    }

    void listModeOffForcesTheRateTriggerAndDisablesItsControls() {
        ViewsFixture f;
        RecordingPrompts prompts;
        FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
        d.show();
        QTest::mouseClick(d.CHKRateSM(), Qt::LeftButton); // threshold-triggered
        QVERIFY(d.TBCampoSpectrumMode(0)->isEnabled());
        QTest::mouseClick(d.CHKListMode(), Qt::LeftButton);
        QCOMPARE(f.fileRecord().SpectrumRateOn, qint16(1));
        QVERIFY(d.CHKRateSM()->isChecked());
        QVERIFY(!d.CHKRateSM()->isEnabled());
        QVERIFY(!d.TBRateListMode()->isEnabled());
        QVERIFY(!d.TBCampoSpectrumMode(0)->isEnabled());
        QVERIFY(!d.CBXRBWSpectrumMode()->isEnabled()); // follows the span
        // Spectrum Mode off now would leave no mode: List Mode comes back on.
        QTest::mouseClick(d.CHKSpectrumMode(), Qt::LeftButton);
        QVERIFY(d.CHKListMode()->isChecked());
        QVERIFY(!d.CHKSpectrumMode()->isChecked());
    }

    void tabOrderFollowsTheLayout() {
        ViewsFixture f;
        RecordingPrompts prompts;
        FrmMeasure d(*f.ctx, *f.model, prompts, AppearanceValues{});
        QList<QWidget*> chain;
        for (QWidget* w = d.CHKListMode(); w && !chain.contains(w); w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) chain << w;
        qsizetype last = -1;
        for (QWidget* w : QWidgetList{
                 d.CHKListMode(), d.TBRateListMode(), d.CHKCampoListMode(0), d.CBXSeparatore(),
                 d.ChkPre(), d.CHKRateSM(), d.TBCampoSpectrumMode(0), d.TBFStartSpectrumMode(),
                 d.TBFStopSpectrumMode(), d.CHKSaveImage(1), d.TBQualita(), d.CMBOK()}) {
            const qsizetype at = chain.indexOf(w);
            QVERIFY2(at > last, qPrintable(w->objectName()));
            last = at;
        }
    }

    // The styled check boxes, option buttons and text boxes take the button style of the
    // appearance settings.
    void appearanceStylesTheXpControls() {
        ViewsFixture f;
        RecordingPrompts prompts;
        AppearanceValues look{.ButtonStyle = 1, .LabelStyle = 7};
        FrmMeasure d(*f.ctx, *f.model, prompts, look);
        QCOMPARE(d.CHKListMode()->controlStyle(), 1);
        QCOMPARE(d.TBRateListMode()->controlStyle(), 1);
        QVERIFY(d.TBRateListMode()->styleSheet().isEmpty());
        auto* option = new XPOption("option", &d);
        ApplyAppearance(&d, look);
        QCOMPARE(option->controlStyle(), 1);
        look.ButtonStyle = 0;
        ApplyAppearance(&d, look);
        QCOMPARE(option->controlStyle(), 0);
        QCOMPARE(d.CHKSaveImage(1)->controlStyle(), 0);
        QCOMPARE(d.TBQualita()->controlStyle(), 0);
        QVERIFY(!d.TBQualita()->styleSheet().isEmpty());
    }

    // A close request while the dialog (or a window over it) is open: the dialog goes by its
    // Cancel route and "Software Close" is the last line of the log.
    void closingTheProgramCancelsAnOpenDialogFirst() {
        ViewsFixture f;
        WindowOn<> w(f);
        w.form.show();
        const QByteArray before = readAll(f.model->currentPanelPath());
        QAction* measure = w.form.action("MNUMeasure");
        QVERIFY(measure->isEnabled());
        bool edited = false;
        runModal<FrmMeasure>(measure, [&](FrmMeasure& d) {
            typeInto(d.TBRateListMode(), "30");
            edited = readAll(f.model->currentPanelPath()) != before;
            w.form.close(); // as the close box or a termination signal
        });
        QVERIFY(edited);
        QVERIFY(w.quit);
        QCOMPARE(readAll(f.model->currentPanelPath()), before);
        QVERIFY(!QFile::exists(f.tmpPath()));
        QVERIFY(logLines(*f.ctx).last().endsWith(PadLogText("Software Close")));
    }

    void measureFromTheMenuRefreshesChecksAndUndo() {
        ViewsFixture f({{3, "a", true}});
        WindowOn<> w(f);
        w.form.show();
        QVERIFY(!w.form.CMBUndo()->isEnabled());
        runModal<FrmMeasure>(w.form.action("MNUMeasure"), [&](FrmMeasure& d) {
            typeInto(d.TBRateListMode(), "30");
            QTest::mouseClick(d.CMBOK(), Qt::LeftButton);
        });
        QCOMPARE(f.model->panel().ListModeRate, qint16(30));
        QVERIFY(w.form.CMBUndo()->isEnabled());

        // Not during a run.
        w.form.DisabilitaControlli();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (QApplication::activeModalWidget()) {
                opened = true;
                QApplication::activeModalWidget()->close();
            }
        });
        w.form.MNUMeasure_Click();
        QVERIFY(!opened);
    }
};

QTEST_MAIN(TestMeasureDialog)
#include "test_measure_dialog.moc"
