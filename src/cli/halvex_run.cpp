// halvex-run: runs the current panel of an application directory without a desktop, as the
// main window's Start command would, printing one line per reading and one per spectrum
// acquisition; or, with --check, says what a run would do, or why it cannot, without opening
// a port.
//
// Readings and progress go to standard output; refusals and command-line errors go to
// standard error in full sentences that begin with the window's status words. The usage text
// below is the one source of --help and of the README's copy of it.

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/TerminationSignals.h"
#include "app/ValueLists.h"
#include "link/SerialPortChannel.h"
#include "measure/ConsoleRunView.h"
#include "measure/Session.h"
#include "panel/PanelChecks.h"
#include "panel/SettingsFile.h"
#include "spectrum/SpectrumDisplay.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SweepAcquisition.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

enum ExitCode { ExitRan = 0, ExitBadCommandLine = 1, ExitCannotRun = 2, ExitAboveAlarm = 3 };

const char* const kExitStatus =
    "Exit status:\n"
    "  0  the run took place: it ended after --periods or --duration, or SIGINT or\n"
    "     SIGTERM stopped it as the Stop button does (the report of the last complete\n"
    "     data is written); with --check, the panel can run\n"
    "  1  bad command line: an unknown option, a missing or bad value, an argument\n"
    "     that is no switch, an application directory that does not exist; nothing\n"
    "     is created\n"
    "  2  the panel cannot run; standard error says why, beginning with the status\n"
    "     words of the window (NO STATION SELECTED, COMM IN USE, FREQUENCY TABLE NOT\n"
    "     FOUND, FREQUENCY TABLE NOT SUITABLE), or both Table Mode and Spectrum Mode\n"
    "     are off\n"
    "  3  the run took place as for 0, and a station ended at least one report period\n"
    "     above the alarm level of the panel's exposure table (the \"Exposure\" lines\n"
    "     printed at the end of each period say which)\n";

// The switches an argument may carry. Each is a case-sensitive substring test of the whole
// command line, so an argument may hold several ("/ICONE/SEGNATUTTO"); one that holds none
// is a typo, refused before it could start an unbounded run without the switch meant.
const char* const kSwitches[] = {
    "/SEGNATUTTO", "/LOGDLC",   "/LOGCOMANDI", "/LOGRISPOSTE", "/LOGCOMRISP", "/SEGNAFIELD",
    "/RATEHOURS=", "/DELAYSC=", "/CIST",       "/NOLIMIT",     "/ICONE",      "/VISSB"};

void writeLine(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}
void print(const QString& text) {
    writeLine(stdout, text);
}
void complain(const QString& text) {
    writeLine(stderr, text);
}

// Texts from a panel file are the operator's, but a damaged file must not send control
// characters to a terminal.
QString printable(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = QLatin1Char('?');
    return text;
}

bool isSwitchArgument(const QString& arg) {
    if (!arg.startsWith(QLatin1Char('/'))) return false;
    return std::any_of(std::begin(kSwitches), std::end(kSwitches),
                       [&](const char* s) { return arg.contains(QLatin1String(s)); });
}

struct Options {
    QString appDir;
    int periods = 0;
    double duration = 0;
    bool check = false;
    QStringList switches;
};

class CommandLine {
public:
    CommandLine()
        : appDir_(QStringLiteral("app-dir"),
                  QStringLiteral("Application directory (default: the current directory). "
                                 "It must exist."),
                  QStringLiteral("DIR")),
          periods_(QStringLiteral("periods"),
                   QStringLiteral("Stop at the end of the N-th report period, after its "
                                  "report and its Spectrum Mode turn."),
                   QStringLiteral("N")),
          duration_(QStringLiteral("duration"),
                    QStringLiteral("Stop after that many seconds, as the Stop button would."),
                    QStringLiteral("SECONDS")),
          help_({QStringLiteral("h"), QStringLiteral("help")},
                QStringLiteral("Show this help and exit.")),
          check_(QStringLiteral("check"),
                 QStringLiteral("Load and check the panel and its frequency table, print what "
                                "a run would do (stations, ports, table rows, fields, rate, "
                                "Spectrum Mode) or why it cannot, and exit without opening "
                                "a port.")) {
        parser_.setApplicationDescription(QStringLiteral(
            "Runs the current panel of DIR without a desktop: Table Mode with, when it is on,\n"
            "the Spectrum Mode turn after each report, or Spectrum Mode alone (bounded by\n"
            "--duration or a signal). Prints one line per reading and one per spectrum\n"
            "acquisition; failed stations are named with the failure of the event log.\n"
            "Spectra are saved as the window saves them, pictures included when the panel\n"
            "asks for them (drawn offscreen); a file that cannot be written is logged with\n"
            "\"*** \" and the run goes on. Switches such as /SEGNATUTTO or /DELAYSC=2/ are\n"
            "given among the arguments; each is a case-sensitive substring test of the whole\n"
            "command line. SIGINT and SIGTERM stop the run as the Stop button does."));
        parser_.addOptions({help_, appDir_, periods_, duration_, check_});
        parser_.addPositionalArgument(QStringLiteral("switches"),
                                      QStringLiteral("Command-line switches, e.g. /SEGNATUTTO "
                                                     "/DELAYSC=5/."),
                                      QStringLiteral("[/SWITCH...]"));
    }

    QString usage() const {
        // Named as the operator types it, not by the path it was started from, so that the
        // text is the same everywhere (and equal to the README's copy).
        QString text = parser_.helpText();
        const qsizetype end = text.indexOf(QStringLiteral(" [options]"));
        if (text.startsWith(QStringLiteral("Usage: ")) && end > 0)
            text.replace(7, end - 7, QStringLiteral("halvex-run"));
        return text + QLatin1Char('\n') + QLatin1String(kExitStatus);
    }

    // Empty error and *help false: the options are good.
    QString parse(const QStringList& arguments, Options* out, bool* help) {
        *help = false;
        if (!parser_.parse(arguments)) return parser_.errorText();
        if (parser_.isSet(help_)) {
            *help = true;
            return {};
        }
        if (parser_.isSet(periods_)) {
            bool ok = false;
            out->periods = parser_.value(periods_).toInt(&ok);
            if (!ok || out->periods < 1)
                return QStringLiteral("--periods needs a whole number of periods from 1, "
                                      "not \"%1\".")
                    .arg(parser_.value(periods_));
        }
        if (parser_.isSet(duration_)) {
            bool ok = false;
            out->duration = parser_.value(duration_).toDouble(&ok);
            if (!ok || !std::isfinite(out->duration) || out->duration <= 0)
                return QStringLiteral("--duration needs a number of seconds above 0, "
                                      "not \"%1\".")
                    .arg(parser_.value(duration_));
        }
        out->check = parser_.isSet(check_);
        for (const QString& arg : parser_.positionalArguments()) {
            if (!isSwitchArgument(arg))
                return QStringLiteral("\"%1\" is not a switch; switches begin with \"/\" and "
                                      "are written in capitals, e.g. /SEGNATUTTO.")
                    .arg(printable(arg));
            out->switches << arg;
        }
        out->appDir = parser_.isSet(appDir_) ? parser_.value(appDir_) : QDir::currentPath();
        if (out->appDir.isEmpty()) return QStringLiteral("--app-dir needs a directory.");
        if (!QFileInfo(out->appDir).isDir())
            return QStringLiteral("the application directory %1 does not exist.")
                .arg(QDir::toNativeSeparators(out->appDir));
        return {};
    }

private:
    QCommandLineParser parser_;
    const QCommandLineOption appDir_, periods_, duration_, help_, check_;
};

QString fieldNames(const PanelRecord& p) {
    static const char* const names[] = {"E", "H Mode A", "H Mode B"};
    QStringList on;
    for (int i = 0; i < 3; ++i)
        if (p.ListModeFields[size_t(i)] != 0) on << QLatin1String(names[i]);
    return on.isEmpty() ? QStringLiteral("none") : on.join(QStringLiteral(", "));
}

QString spectrumModeText(const PanelRecord& p) {
    if (p.SpectrumModeOn == 0) return QStringLiteral("off");
    QString when;
    if (p.SpectrumRateOn != 0) {
        const QStringList rates = ValueLists::rateNames();
        when = QStringLiteral("every ") +
               rates.value(std::clamp<int>(p.SpectrumModeRateIndex, 0, int(rates.size()) - 1));
    } else {
        when = QStringLiteral("when a value reaches its threshold (E %1 V/m, H %2 A/m)")
                   .arg(double(p.SpectrumModeThresholds[0]))
                   .arg(double(p.SpectrumModeThresholds[1]));
    }
    QStringList fields;
    if (p.SpectrumModeFields[0] != 0) fields << QStringLiteral("E");
    if (p.SpectrumModeFields[1] != 0) fields << QStringLiteral("H");
    return QStringLiteral("on, %1, fields %2, %3 - %4 MHz%5")
        .arg(when, fields.isEmpty() ? QStringLiteral("none") : fields.join(QStringLiteral(", ")))
        .arg(double(p.SpectrumStartFrequency))
        .arg(double(p.SpectrumStopFrequency))
        .arg(p.ListModeOn == 0 ? QStringLiteral(", alone") : QString());
}

// What a run of this panel would do, for --check.
void describe(Session& session, const SerialPortChannel& channel) {
    AppContext& ctx = session.context();
    PanelModel& model = session.panelModel();
    const PanelRecord& p = model.panel();
    print(QStringLiteral("Application directory: ") + QDir::toNativeSeparators(ctx.appDir));
    print(QStringLiteral("Panel: %1 (%2)")
              .arg(printable(model.panelTitle()),
                   QDir::toNativeSeparators(model.currentPanelPath())));

    const QString tableName = printable(p.freqTableNameText());
    if (session.loadFreqTable()) {
        const TableRows rows = Session::tableRowsFrom(session.freqTable(), ctx.switches);
        const QStringList rbw = ValueLists::rbwNames();
        QStringList lines;
        for (int i = 0; i < int(rows.size()); ++i)
            if (rows[size_t(i)].frequency != 0.0)
                lines << QStringLiteral("  row %1: %2 MHz, RBW %3")
                             .arg(i + 1)
                             .arg(rows[size_t(i)].frequency, 0, 'g', 10)
                             .arg(rbw.value(rows[size_t(i)].rbw));
        print(QStringLiteral("Frequency table: %1, %2 %3")
                  .arg(tableName)
                  .arg(lines.size())
                  .arg(lines.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows")));
        for (const QString& line : lines)
            print(line);
    } else {
        print(QStringLiteral("Frequency table: ") +
              (tableName.isEmpty() ? QStringLiteral("none")
                                   : tableName + QStringLiteral(", not read")));
    }

    int enabled = 0;
    QStringList lines;
    for (int i = 0; i < PanelRecord::StationCount; ++i) {
        const StationRecord& s = p.Stations[size_t(i)];
        if (!s.inUse()) continue;
        enabled += s.isEnabled() ? 1 : 0;
        const QString device = channel.deviceFor(s.Comm);
        const bool present = !device.startsWith(QLatin1Char('/')) || QFileInfo::exists(device);
        QString line = QStringLiteral("  Station %1: port %2 (%3%4)")
                           .arg(i + 1)
                           .arg(s.Comm)
                           .arg(QDir::toNativeSeparators(device),
                                present ? QString() : QStringLiteral(", not present"));
        if (!s.serialNumberText().isEmpty())
            line += QStringLiteral(", serial ") + printable(s.serialNumberText());
        if (!s.commentText().isEmpty())
            line += QStringLiteral(", \"") + printable(s.commentText()) + QLatin1Char('"');
        line += s.isEnabled() ? QStringLiteral(", enabled") : QStringLiteral(", disabled");
        lines << line;
    }
    print(lines.isEmpty()
              ? QStringLiteral("Stations: none")
              : QStringLiteral("Stations: %1 of %2 enabled").arg(enabled).arg(lines.size()));
    for (const QString& line : lines)
        print(line);

    print(QStringLiteral("Table Mode: ") +
          (p.ListModeOn == 0
               ? QStringLiteral("off")
               : QStringLiteral("on, fields %1, %2, report every %3 min., separator %4")
                     .arg(fieldNames(p),
                          ValueLists::averagingNames().value(p.DetectorIndex == 1 ? 1 : 0))
                     .arg(std::clamp<int>(p.ListModeRate, 1, 1440))
                     .arg(ValueLists::separatorNames().value(
                         std::clamp<int>(p.SeparatorIndex, 0, 2)))));
    print(QStringLiteral("Spectrum Mode: ") + spectrumModeText(p));
    if (!ctx.switches.commandLine().isEmpty())
        print(QStringLiteral("Switches: ") + ctx.switches.commandLine());
}

// The spectrum files of the run. A file that cannot be written is logged and the run goes on
// (there is no one to answer a Retry/Cancel box).
class LoggedSpectrumFiles : public SpectrumFileSink {
public:
    LoggedSpectrumFiles(SpectrumFiles& files, ProbeLink& link) : files_(files), link_(link) {}
    bool saveAcquisition(const SpectrumData& data, const SweepSettings& settings,
                         const AcquisitionRecord& record) override {
        if (files_.saveAcquisition(data, settings, record)) return true;
        const QString base = files_.baseName(data, record);
        link_.LogLine(true, QStringLiteral("Cannot save file ") +
                                (base.isEmpty()
                                     ? QStringLiteral("SM_") + data.FilePrefix + record.timeText
                                     : QDir::toNativeSeparators(base)));
        return false;
    }
    void removeTemporaryFiles() override { files_.removeTemporaryFiles(); }

private:
    SpectrumFiles& files_;
    ProbeLink& link_;
};

// Draws the picture of a finished acquisition as the window would show it, offscreen.
class PictureSweepView : public NullSweepView {
public:
    void preparePlot(const SweepSettings& settings, const AcquisitionRecord& record,
                     const SpectrumData&) override {
        settings_ = settings;
        unitCode_ = record.unitCode;
        thresholds_ = record.thresholds;
    }

    QImage picture(const SpectrumData& data, bool showThreshold) {
        SpectrumDisplay display(data);
        display.setUnitCode(unitCode_);
        display.setThresholds(thresholds_);
        display.setShowThreshold(showThreshold);
        display.beginReview(settings_, {});
        // Made at the first picture: fonts need the GUI application of a picture run.
        if (!painter_) painter_ = std::make_unique<SpectrumPainter>(QSize(1000, 600));
        painter_->redraw(display);
        return painter_->image();
    }
    // Where a frequency and level lie in the last picture (the header lines go there).
    QPointF mapping(double frequencyMHz, double db) const {
        if (!painter_) return {qQNaN(), qQNaN()};
        return {painter_->xOf(frequencyMHz), painter_->yOfDb(db)};
    }

private:
    SweepSettings settings_;
    int unitCode_ = 0;
    std::array<float, 2> thresholds_{20.0f, 0.053f};
    std::unique_ptr<SpectrumPainter> painter_;
};

// Whether the current panel of appDir saves pictures of its sweeps. Only files are read.
bool panelWantsPictures(const QString& appDir, const QString& switches) {
    VirtualClock clock;
    VirtualPump pump(clock);
    AppContext ctx(appDir, switches, clock, pump);
    SettingsRecord settings = LoadSettings(settingsPath(ctx));
    PanelModel model(ctx, settings);
    model.startUp();
    const PanelRecord& p = model.panel();
    return p.SpectrumModeOn != 0 && (p.SaveImage[0] != 0 || p.SaveImage[1] != 0);
}

} // namespace

int main(int argc, char** argv) {
    QtEventPump::preferLeanEventLoop();
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("halvex-run"));

    // Nothing is created before the command line is known to be good.
    CommandLine commandLine;
    Options options;
    bool help = false;
    const QString error = commandLine.parse(app->arguments(), &options, &help);
    if (help) {
        std::fputs(commandLine.usage().toLocal8Bit().constData(), stdout);
        return ExitRan;
    }
    if (!error.isEmpty()) {
        complain(QStringLiteral("halvex-run: ") + error);
        complain(QString());
        std::fputs(commandLine.usage().toLocal8Bit().constData(), stderr);
        return ExitBadCommandLine;
    }

    // No window is ever shown, but a picture of a sweep needs the fonts of a GUI
    // application; only a panel that saves pictures gets one (on the offscreen platform).
    if (!options.check && panelWantsPictures(QFileInfo(options.appDir).absoluteFilePath(),
                                             options.switches.join(QLatin1Char(' ')))) {
        app.reset();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("halvex-run"));
    }

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(QFileInfo(options.appDir).absoluteFilePath(),
                   options.switches.join(QLatin1Char(' ')), clock, pump);
    // The port's notifier wakes the pump's event loop; nothing to wire.
    SerialPortChannel channel(ctx.appDir);

    QDir().mkpath(ctx.path(QStringLiteral("Panels")));
    SettingsRecord settings = LoadSettings(settingsPath(ctx));
    Session session(ctx, settings, channel);
    // A failure line may carry a probe's reply (with /LOGDLC); it reaches a terminal only
    // as printable text.
    ConsoleRunView view(
        clock, [](const QString& line) { print(printable(line)); },
        [&session](int slot) { return session.run().state().stations[slot].serial; });
    session.setRunView(&view);
    session.setLinkView(&view);
    session.panelModel().startUp();
    session.run().maxPeriods = options.periods;
    bool aboveAlarm = false;
    session.run().periodResults = [&](const std::vector<StationPeriodResult>& results) {
        for (const StationPeriodResult& r : results) {
            const QString line = ResultsCsv::totalsLine(r, session.run().exposure);
            if (!line.isEmpty()) print(printable(line));
            aboveAlarm = aboveAlarm || r.aboveAlarm;
        }
    };

    const PanelRecord& panel = session.panelModel().panel();
    const QString title = printable(session.panelModel().panelTitle());
    if (options.check) describe(session, channel);
    if (panel.ListModeOn == 0 && panel.SpectrumModeOn == 0) {
        complain(QStringLiteral("Table Mode and Spectrum Mode are off in panel %1: halvex-run "
                                "has nothing to run.")
                     .arg(title));
        return ExitCannotRun;
    }
    const QStringList why = explainPanelChecks(panel, ctx.appDir, ctx.switches);
    if (!why.isEmpty()) {
        for (const QString& text : why)
            complain(text);
        return ExitCannotRun;
    }
    if (options.check) {
        print(QStringLiteral("The panel can run."));
        return ExitRan;
    }

    SpectrumFiles spectrumFiles(ctx.appDir, clock);
    LoggedSpectrumFiles loggedFiles(spectrumFiles, session.link());
    PictureSweepView pictureView;
    SweepAcquisition acquisition(session.link(), loggedFiles, unitAcquisitionTexts(0),
                                 &pictureView);
    const bool showThreshold = panel.ShowThreshold != 0;
    spectrumFiles.setPictureSource(
        [&] { return pictureView.picture(acquisition.data(), showThreshold); },
        [&](double mhz, double db) { return pictureView.mapping(mhz, db); });
    session.setSweepRunner(&acquisition);

    watchTerminationSignals(app.get(), [&session] {
        print(QStringLiteral("Stop requested"));
        session.CMBStop();
    });
    QTimer stopTimer;
    stopTimer.setSingleShot(true);
    QObject::connect(&stopTimer, &QTimer::timeout, [&] {
        print(QStringLiteral("Duration reached"));
        session.CMBStop();
    });
    if (options.duration > 0) stopTimer.start(int(std::min(options.duration * 1000.0, 2.0e9)));

    print(QStringLiteral("Panel %1, frequency table %2")
              .arg(title, printable(panel.freqTableNameText())));
    QString refused;
    const Session::ExecuteResult result = session.CMBExecute(&refused);
    if (result == Session::ExecuteResult::Refused) {
        // The files changed between the check above and the start.
        complain(refused.isEmpty()
                     ? QStringLiteral("The run was refused.")
                     : QString(refused).replace(QLatin1Char('\r'), QLatin1Char(' ')).trimmed());
        return ExitCannotRun;
    }
    if (result != Session::ExecuteResult::ListModeRun &&
        result != Session::ExecuteResult::SpectrumOnly)
        return ExitCannotRun;
    return aboveAlarm ? ExitAboveAlarm : ExitRan;
}
