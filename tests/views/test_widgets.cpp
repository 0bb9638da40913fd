#include "panel/AppearanceSettings.h"
#include "views/widgets/Appearance.h"
#include "views/widgets/BAT_OCX.h"
#include "views/widgets/PB_OCX.h"
#include "views/widgets/StyledControls.h"

#include <QTest>

// The styled controls and the appearance walk that every window runs when it loads.
class TestWidgets : public QObject {
    Q_OBJECT

private:
    struct Form {
        QWidget root;
        LB_OCX* plain = new LB_OCX("Station", &root);
        LB_OCX* error = new LB_OCX("COMM IN USE", &root);
        LB_OCX* polling = new LB_OCX("Polling", &root);
        LB_OCX* colour = new LB_OCX(QString(), &root);
        XPButton* button = new XPButton("Start", &root);
        XPFrame* frame = new XPFrame("Stations", &root);
        LB_OCX* inFrame = new LB_OCX("inside", frame);
        Form() {
            error->setObjectName("LBError");
            polling->setObjectName("LBPolling");
            colour->setObjectName("LbColor");
            colour->setColors(QColor(1, 2, 3), QColor(4, 5, 6));
        }
    };

private slots:
    // Label styles 0, 7 and 8 have one colour, the end colour; the others have both.
    void appearanceReachesEveryStyledControl() {
        for (int style = 0; style < 9; ++style) {
            Form f;
            ApplyAppearance(&f.root, {.ButtonColorStart = rgbOf(10, 20, 30),
                                      .ButtonColorEnd = rgbOf(40, 50, 60),
                                      .ButtonStyle = 1,
                                      .LabelColorStart = rgbOf(200, 0, 0),
                                      .LabelColorEnd = rgbOf(0, 0, 200),
                                      .LabelStyle = style});
            const bool one = style == 0 || style == 7 || style == 8;
            const QColor labelBegin = one ? QColor(0, 0, 200) : QColor(200, 0, 0);

            QCOMPARE(f.button->buttonStyle(), 1);
            QCOMPARE(f.button->colorBegin(), QColor(10, 20, 30));
            QCOMPARE(f.button->colorEnd(), QColor(40, 50, 60));
            QCOMPARE(f.frame->frameStyleIndex(), 1);
            QCOMPARE(f.plain->style(), style);
            QCOMPARE(f.plain->colorBegin(), labelBegin);
            QCOMPARE(f.plain->colorEnd(), QColor(0, 0, 200));
            QCOMPARE(f.inFrame->colorBegin(), labelBegin); // nested controls too
            // The status labels stay red whatever the settings say; "LbColor" keeps its look.
            QCOMPARE(f.error->colorBegin(), QColor(255, 0, 0));
            QCOMPARE(f.error->colorEnd(), QColor(255, 192, 192));
            QCOMPARE(f.polling->colorBegin(), QColor(255, 0, 0));
            QCOMPARE(f.colour->colorBegin(), QColor(1, 2, 3));
        }
    }

    void batteryGaugeLevelsAndAnimations() {
        BAT_OCX g;
        for (auto [set, kept] : {std::pair{0, 1}, {40, 12}, {5, 5}}) {
            g.setLivelloBatteria(set);
            QCOMPARE(g.LivelloBatteria(), kept);
        }
        QCOMPARE(g.shownNotches(), 5);

        // Blinking alternates between no notch and the level; scrolling fills up to it.
        g.setLampeggioBatteria(true);
        g.setTimerBatteria(10);
        QCOMPARE(g.TimerBatteria(), 10);
        QTRY_COMPARE(g.shownNotches(), 0);
        QTRY_COMPARE(g.shownNotches(), 5);
        g.setLampeggioBatteria(false);
        g.setScorrimentoBatteria(true);
        QTRY_COMPARE(g.shownNotches(), 3);

        g.stopAnimations();
        QCOMPARE(g.TimerBatteria(), 0);
        QVERIFY(!g.ScorrimentoBatteria() && !g.LampeggioBatteria());
        QCOMPARE(g.shownNotches(), 5);

        // Painting at any size, even one too small for the gauge, is safe.
        g.setCaption("3.91 V ");
        for (QSize s : {QSize(53, 30), QSize(5, 5), QSize(200, 12), QSize(0, 0)}) {
            g.resize(s);
            g.grab();
        }
        QCOMPARE(g.toolTip(), "3.91 V");
    }

    void progressBarClampsAndRestores() {
        PB_OCX pb;
        pb.setRange(0, 10);
        pb.setValue(15);
        QCOMPARE(pb.value(), 10);
        pb.setValue(-3);
        QCOMPARE(pb.value(), 0);
        pb.setValue(4);
        const PB_OCX::State saved = pb.state();

        pb.setColours({QColor(0, 128, 255), QColor(255, 224, 192)});
        pb.setRange(0, 60);
        pb.setValue(60);
        QCOMPARE(pb.colours().at(0), QColor(0, 128, 255));
        pb.restore(saved);
        QCOMPARE(pb.maximum(), 10);
        QCOMPARE(pb.value(), 4);
        QCOMPARE(pb.colours(), saved.colours);

        pb.setRange(5, 2); // an inverted range collapses instead of misbehaving
        QCOMPARE(pb.maximum(), 5);
        QCOMPARE(pb.value(), 5);
        pb.resize(100, 14);
        pb.grab();
    }

    void labelsBreakLinesAtCarriageReturns() {
        LB_OCX l("FREQUENCY TABLE\rNOT FOUND");
        const LB_OCX one("FREQUENCY TABLE");
        QVERIFY(l.sizeHint().height() > one.sizeHint().height());
        for (int style = -1; style <= 9; ++style) {
            l.setStyle(style);
            QVERIFY(l.style() >= 0 && l.style() <= 8);
            l.resize(120, 40);
            l.grab();
        }
    }

private:
    static quint32 rgbOf(int r, int g, int b) {
        return quint32(r) | quint32(g) << 8 | quint32(b) << 16;
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
