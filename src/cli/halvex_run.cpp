// halvex-run: runs the current panel of an application directory without a desktop, as the
// main window's Execute command would, printing one line per reading.
//
//   halvex-run [--app-dir DIR] [--periods N] [--duration SECONDS] [switches...]
//
// Exit status: 0 when the run took place (also when stopped by SIGINT/SIGTERM, which act as
// the Stop command: the report of the last complete data and the stop lines are written),
// 2 when the panel cannot run, 1 on a usage error.

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/TerminationSignals.h"
#include "link/SerialPortChannel.h"
#include "measure/ConsoleRunView.h"
#include "measure/Session.h"
#include "panel/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void usage() {
    print(QStringLiteral(
        "usage: halvex-run [--app-dir DIR] [--periods N] [--duration SECONDS] [switches...]\n"
        "Runs the current panel of DIR (default: the current directory) in List Mode.\n"
        "  --periods N          stop at the end of the Nth report period\n"
        "  --duration SECONDS   stop after that many seconds\n"
        "Switches such as /SEGNATUTTO or /DELAYSC=2/ are taken from the arguments.\n"
        "SIGINT and SIGTERM stop the run as the Stop command does."));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    QString appDir = QDir::currentPath();
    int periods = 0;
    double duration = 0;
    QStringList switches;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](QString* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        QString value;
        bool ok = true;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage();
            return 0;
        } else if (a == QLatin1String("--app-dir")) {
            ok = next(&appDir);
        } else if (a == QLatin1String("--periods")) {
            ok = next(&value);
            periods = ok ? value.toInt(&ok) : 0;
            ok = ok && periods > 0;
        } else if (a == QLatin1String("--duration")) {
            ok = next(&value);
            duration = ok ? value.toDouble(&ok) : 0;
            ok = ok && duration > 0;
        } else {
            switches << a;
        }
        if (!ok) {
            usage();
            return 1;
        }
    }
    if (!QFileInfo(appDir).isDir()) {
        print(QStringLiteral("halvex-run: no such directory: ") + appDir);
        return 1;
    }

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(QFileInfo(appDir).absoluteFilePath(), switches.join(QLatin1Char(' ')), clock,
                   pump);
    // The port's notifier wakes the pump's event loop; nothing to wire.
    SerialPortChannel channel(ctx.appDir);

    QDir().mkpath(ctx.path(QStringLiteral("Panels")));
    SettingsRecord settings = LoadSettings(settingsPath(ctx));
    Session session(ctx, settings, channel);
    ConsoleRunView view(
        clock, print, [&session](int slot) { return session.run().state().stations[slot].serial; });
    session.setRunView(&view);
    session.setLinkView(&view);
    session.panelModel().startUp();
    session.run().maxPeriods = periods;

    watchTerminationSignals(&app, [&session] {
        print(QStringLiteral("Stop requested"));
        session.CMBStop();
    });
    QTimer stopTimer;
    stopTimer.setSingleShot(true);
    QObject::connect(&stopTimer, &QTimer::timeout, [&] {
        print(QStringLiteral("Duration reached"));
        session.CMBStop();
    });
    if (duration > 0) {
        stopTimer.start(int(std::min(duration * 1000.0, 2.0e9)));
    }

    const PanelRecord& panel = session.panelModel().panel();
    if (panel.ListModeOn == 0) {
        print(QStringLiteral("List Mode is off in panel ") + session.panelModel().panelTitle() +
              QStringLiteral(": nothing to run"));
        return 2;
    }
    print(QStringLiteral("Panel ") + session.panelModel().panelTitle() +
          QStringLiteral(", table ") + panel.freqTableNameText());
    QString why;
    const Session::ExecuteResult result = session.CMBExecute(&why);
    if (result == Session::ExecuteResult::Refused) {
        if (!why.isEmpty() && !why.contains(QLatin1String("out of range")))
            print(QString(why).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return 2;
    }
    return result == Session::ExecuteResult::ListModeRun ? 0 : 2;
}
