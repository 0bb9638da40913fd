// halvex-probesim: simulated stations on pseudo-terminals, linked as <AppDir>/ports/COMn so
// that Halvex (or anything else that opens a serial port) can talk to them.

#include "app/Clock.h"
#include "app/Switches.h"
#include "app/TerminationSignals.h"
#include "freqtable/FreqTable.h"
#include "freqtable/FreqTableFile.h"
#include "freqtable/RbwCoupling.h"
#include "panel/PanelFile.h"
#include "panel/PanelRecord.h"
#include "panel/PanelValidation.h"
#include "panel/RangeCheck.h"
#include "panel/SettingsFile.h"
#include "sim/PtyServer.h"
#include "sim/Scenario.h"
#include "sim/SimControl.h"
#include "sim/SimNetwork.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <set>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

void printLine(const QString& line) {
    static QTextStream out(stdout);
    out << line << Qt::endl;
}

void printError(const QString& line) {
    static QTextStream err(stderr);
    err << "halvex-probesim: " << line << Qt::endl;
}

// A panel of the scenario's stations, enabled, with a frequency table on their emitters,
// made the current panel.
bool prepareDemo(const QString& appDir, const Scenario& scenario, QString* error) {
    const QString dir = QDir(appDir).absolutePath() + QLatin1Char('/');
    PanelRecord panel;
    applyNewPanelDefaults(panel, Switches());
    // Only frequencies that every List Mode field of the panel can read, so the panel runs.
    auto usable = [&](double f) {
        FreqTable one;
        one.rows[0] = FreqTableRow{f, 0, 0};
        return RangeCheck::outOfRangeRows(one, panel.ListModeFields, Switches()).isEmpty();
    };
    std::set<double> frequencies;
    for (const StationConfig& st : scenario.stations)
        for (const Emitter& em : st.emitters)
            if (usable(em.frequencyMHz)) frequencies.insert(em.frequencyMHz);
    FreqTable table;
    int row = 0;
    for (double f : frequencies) {
        if (row == FreqTable::RowCount) break;
        // 30 kHz, or narrower where the frequency asks for it.
        table.rows[size_t(row++)] = FreqTableRow{f, qint16(std::max(2, minimumRbwIndex(f))), 0};
    }
    const QString tablePath = FreqTableFile::pathFor(dir, QStringLiteral("Demo"));
    if (tablePath.isEmpty() || !FreqTableFile::write(tablePath, table)) {
        *error = QStringLiteral("cannot write the demo frequency table %1").arg(tablePath);
        return false;
    }

    // Spectrum Mode on threshold, so List Mode marks the readings over it: some of the
    // demo emitters go over 5 V/m and 0.015 A/m.
    panel.SpectrumModeOn = 1;
    panel.SpectrumRateOn = 0;
    panel.SpectrumModeThresholds = {5.0f, 0.015f};
    panel.setFreqTableName(QStringLiteral("Demo"));
    int slot = 0;
    for (const StationConfig& st : scenario.stations) {
        if (slot == PanelRecord::StationCount) break;
        StationRecord& s = panel.Stations[size_t(slot++)];
        s.Comm = qint16(st.port);
        s.setSerialNumber(QString::fromLatin1(st.serial));
        s.setComment(QStringLiteral("Simulated station on COM%1").arg(st.port));
        s.Enabled = -1;
    }
    const QString panelPath = dir + QStringLiteral("Panels/Demo.EST");
    if (!PanelFile::write(panelPath, panel)) {
        *error = QStringLiteral("cannot write the demo panel %1").arg(panelPath);
        return false;
    }
    const QString settingsFile = dir + QStringLiteral("Panels/Untitled.EPN");
    SettingsRecord settings = LoadSettings(settingsFile);
    settings.CurrentPanelName = QStringLiteral("Demo.EST");
    if (!SaveSettings(settingsFile, settings)) {
        *error = QStringLiteral("cannot write %1").arg(settingsFile);
        return false;
    }
    printLine(QStringLiteral("demo panel %1 with table %2").arg(panelPath, tablePath));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("halvex-probesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated Halvex stations on pseudo-terminals, linked as "
                       "DIR/ports/COMn. Serves until interrupted (SIGINT or SIGTERM), then "
                       "removes its links.\nControl lines on standard input: list; fault "
                       "<port|all> <name> on|off|<count>; vanish <port> [seconds]; back <port>; "
                       "help; quit."));
    parser.addHelpOption();
    const QCommandLineOption appDirOption(QStringLiteral("app-dir"),
                                          QStringLiteral("Application directory of the program."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption scenarioOption(
        QStringLiteral("scenario"),
        QStringLiteral("Scenario file (JSON); without it three stations on ports 1, 2 and 3."),
        QStringLiteral("FILE"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Print every command and reply."));
    const QCommandLineOption demoOption(
        QStringLiteral("prepare-demo"),
        QStringLiteral("Before serving, write a demo panel of the stations (enabled) and a "
                       "frequency table on their emitters into DIR, and make it current."));
    const QCommandLineOption createOption(
        QStringLiteral("create-app-dir"),
        QStringLiteral("Create DIR when it does not exist (without it a missing DIR is refused, "
                       "as halvex-run refuses it, so that a typo never serves ports nobody "
                       "looks at)."));
    parser.addOptions({appDirOption, scenarioOption, verboseOption, demoOption, createOption});
    parser.process(app);

    if (!parser.isSet(appDirOption) || parser.value(appDirOption).isEmpty()) {
        printError(QStringLiteral("--app-dir DIR is required (see --help)"));
        return 1;
    }
    const QString appDir = parser.value(appDirOption);
    if (!QFileInfo(appDir).isDir()) {
        if (!parser.isSet(createOption)) {
            printError(QStringLiteral("the application directory %1 does not exist "
                                      "(--create-app-dir creates it)")
                           .arg(QDir::toNativeSeparators(appDir)));
            return 1;
        }
        if (!QDir().mkpath(appDir)) {
            printError(QStringLiteral("cannot create %1").arg(appDir));
            return 1;
        }
    }

    Scenario scenario = defaultScenario();
    if (parser.isSet(scenarioOption)) {
        QString error;
        if (!loadScenarioFile(parser.value(scenarioOption), scenario, &error)) {
            printError(error);
            return 1;
        }
    }
    if (parser.isSet(demoOption)) {
        QString error;
        if (!prepareDemo(appDir, scenario, &error)) {
            printError(error);
            return 1;
        }
    }

    SystemClock clock;
    SimNetwork network(clock, scenario);
    PtyServer server(network, appDir);
    server.setVerbose(parser.isSet(verboseOption));
    server.setOutput(printLine);

#ifdef Q_OS_UNIX
    const int signalFd = terminationSignalDescriptor();
    if (signalFd >= 0) {
        server.watch(signalFd, [&server, signalFd] {
            char buf[16];
            while (::read(signalFd, buf, sizeof buf) > 0) {
            }
            server.quit();
            return true;
        });
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of an interactive shell, a read of the terminal would stop
    // the simulator; ignored, the read fails and the control input just switches off.
    std::signal(SIGTTIN, SIG_IGN);

    // Control lines on standard input; at its end the simulator just keeps serving.
    QByteArray pending;
    server.watch(STDIN_FILENO, [&] {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) return true;
        if (n <= 0) return false;
        pending.append(buffer, qsizetype(n));
        if (pending.size() > 65536) pending.clear();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (line == QLatin1String("quit") || line == QLatin1String("exit")) {
                server.quit();
                return true;
            }
            const QString answer = executeSimControl(network, line);
            if (!answer.isEmpty()) printLine(answer);
        }
        return true;
    });
#endif

    QString error;
    if (!server.start(&error)) {
        printError(error);
        return 1;
    }
    server.serve();
    server.stop();
    printLine(QStringLiteral("stopped"));
    return 0;
}
