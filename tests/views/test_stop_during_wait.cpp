
#include <QTest>

// The probe waits on a pseudo-terminal, which only Unix-like systems have.
#ifdef Q_OS_UNIX

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "link/ProbeLink.h"
#include "link/SerialPortChannel.h"
#include "panel/PanelModel.h"
#include "panel/SettingsFile.h"
#include "views/MainForm.h"
#include "views/widgets/StyledControls.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#endif // Q_OS_UNIX

// The window stays responsive while the program waits on a probe: the wait sleeps in Qt's
// event loop, so a click on Stop is delivered inside the pump call that is sleeping, and the
// wait ends as that call returns.
class TestStopDuringWait : public QObject {
    Q_OBJECT

private slots:
    void clickOnStopEndsAReplyWaitInThePumpCallThatDeliversIt() {
#ifndef Q_OS_UNIX
        QSKIP("needs pseudo-terminals");
#else
        // A probe that never answers: the master side of a pseudo-terminal nobody writes to.
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        TempAppDir dir;
        QDir().mkpath(dir.path() + "ports");
        QVERIFY(QFile::link(QString::fromLocal8Bit(::ptsname(master)), dir.path() + "ports/COM3"));

        SystemClock clock;
        QtEventPump pump;
        AppContext ctx(dir.path(), QString(), clock, pump);
        SettingsRecord settings = SettingsDefaults();
        PanelModel model(ctx, settings);
        model.startUp();
        MainForm form(ctx, model, AppearanceValues{}, QString());
        form.load();
        form.show();
        form.lockForRun();
        QVERIFY(form.CMBStop()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        SerialPortChannel channel(ctx.appDir);
        QVERIFY(channel.open(3));
        ProbeLink link(ctx, channel, &form);

        QStringList events;
        long long clickWake = -1;
        connect(form.CMBStop(), &QPushButton::clicked, this, [&] {
            events << "click";
            clickWake = pump.wakeUps();
        });
        QTimer::singleShot(200, &form, [&] {
            events << "pressing Stop";
            QTest::mouseClick(form.CMBStop(), Qt::LeftButton);
        });
        long long wakesBefore = 0;
        QByteArray reply;
        QEventLoop outer;
        // The wait runs in a slot of the running event loop, as a run started from the window
        // does, with a deletion pending that only that outer loop may carry out: the sleeping
        // inner calls must not take it for work and spin.
        QTimer::singleShot(0, &form, [&] {
            (new QObject)->deleteLater();
            events << "wait begins";
            wakesBefore = pump.wakeUps();
            reply = link.ExecuteTransaction(3.0, "*", "#00(v*", "Reading failed", "Reading", true);
            events << "wait ended";
            outer.quit();
        });
        outer.exec();

        QVERIFY(reply.isEmpty());
        QVERIFY(ctx.flags.StopRequest);
        QCOMPARE(events, QStringList({"wait begins", "pressing Stop", "click", "wait ended"}));
        // No pump call followed the one in which the click arrived, and the wait slept until
        // it: a few wake-ups for the write's own events, not one per slice of time.
        QCOMPARE(pump.wakeUps(), clickWake);
        QVERIFY2(clickWake - wakesBefore <= 5,
                 qPrintable(QString::number(clickWake - wakesBefore)));
        // A stop is no failure of the station.
        QVERIFY(!link.linkFailed(0));
        channel.close();
        ::close(master);
#endif
    }
};

QTEST_MAIN(TestStopDuringWait)
#include "test_stop_during_wait.moc"
