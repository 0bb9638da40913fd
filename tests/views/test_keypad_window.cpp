#include "app/Keypad.h"
#include "views/FrmKeyboard.h"
#include "views/ModalWindows.h"
#include "views/Prompts.h"
#include "views/widgets/StyledControls.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TestKeypadWindow : public QObject {
    Q_OBJECT

private slots:
    void keysAndButtonsReachTheKeypad() {
        FrmKeyboard k(0);
        k.show();
        for (int d = 0; d <= 9; ++d)
            QCOMPARE(k.CMBNumeri(d)->focusPolicy(), Qt::NoFocus);
        QTest::keyClicks(&k, "12");
        // The numeric keypad's decimal key, sent as "," by a German layout.
        QTest::keyClick(&k, Qt::Key_Comma, Qt::KeypadModifier);
        QTest::mouseClick(k.CMBNumeri(5), Qt::LeftButton);
        QCOMPARE(k.LBValNum()->caption(), "12.5");
        QTest::keyClick(&k, Qt::Key_Return); // Enter is "MHz" in mode 0
        QCOMPARE(k.result(), int(QDialog::Accepted));
        QCOMPARE(k.KeypadResult(), 12.5);

        FrmKeyboard khz(0);
        khz.show();
        QTest::mouseClick(khz.CMBNumeri(5), Qt::LeftButton);
        QTest::mouseClick(khz.CMBUnitaM(0), Qt::LeftButton);
        QCOMPARE(khz.KeypadResult(), 0.005);

        FrmKeyboard plain(4);
        plain.show();
        QVERIFY(!plain.CMBUnitaM(1)->isVisible());
        QTest::keyClicks(&plain, "7");
        QTest::keyClick(&plain, Qt::Key_Escape);
        QCOMPARE(plain.result(), int(QDialog::Rejected));
        QCOMPARE(plain.KeypadResult(), Keypad::Cancelled);

        FrmKeyboard closed(5);
        closed.show();
        QTest::keyClicks(&closed, "3");
        closed.close();
        QCOMPARE(closed.KeypadResult(), Keypad::Cancelled);
    }

    void opensBesideItsBoxAndOnScreen() {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget host;
        auto* box = new QLineEdit(&host);
        host.setGeometry(avail.right() - 120, avail.bottom() - 40, 110, 30);
        box->setGeometry(0, 0, 100, 24);
        host.show();
        FrmKeyboard k(0, &host);
        k.placeBeside(box);
        QVERIFY(avail.contains(QRect(k.pos(), k.size())));
        QVERIFY(k.width() <= 1366 && k.height() <= 768);
    }

    // The operator's keypad prompt runs the window modally; a close request while it is open
    // cancels it by its own route.
    void promptRunsTheWindowAndCloseRequestsCancelIt() {
        MessageBoxPrompts prompts;
        QLineEdit box;
        box.show();
        QTimer::singleShot(0, [] {
            QWidget* k = QApplication::activeModalWidget();
            QVERIFY(k);
            QTest::keyClicks(k, "2");
            QTest::keyClick(k, Qt::Key_S);
        });
        QCOMPARE(prompts.keypad(1, &box), 2000.0);

        QTimer::singleShot(0, [] {
            QTest::keyClicks(QApplication::activeModalWidget(), "42");
            closeModalWindows();
            QVERIFY(!QApplication::activeModalWidget());
        });
        QCOMPARE(prompts.keypad(4, &box), Keypad::Cancelled);
    }
};

QTEST_MAIN(TestKeypadWindow)
#include "test_keypad_window.moc"
