#pragma once

#include "app/AppContext.h"
#include "app/ValueLists.h"
#include "link/LinkView.h"
#include "link/ProbeLink.h"
#include "sim/SimChannel.h"
#include "spectrum/SpectrumFileSink.h"
#include "spectrum/SweepAcquisition.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

// Keeps the spectra the acquisition hands to the files.
struct RecordingSink : SpectrumFileSink {
    bool saveAcquisition(const SpectrumData& data, const SweepSettings&,
                         const AcquisitionRecord&) override {
        saved.push_back(std::make_unique<SpectrumData>(data));
        return writable;
    }
    void removeTemporaryFiles() override { ++cleanups; }

    std::vector<std::unique_ptr<SpectrumData>> saved;
    int cleanups = 0;
    bool writable = true;
};

// What the spectrum window would be shown.
struct RecordingSweepView : NullSweepView {
    void showAxis(int axis) override { axes.push_back(axis); }
    void setTuning(const QString&, const TuningColours& c) override {
        alarms += c[0] == paletteColour(12) && c[1] == paletteColour(4);
    }
    void pointDecoded(const SpectrumData&, int index, bool) override {
        if (index == 0) ++passes;
        ++points;
    }
    void restarting() override { ++restarts; }
    void finished(SweepOutcome o) override { outcomes.push_back(o); }

    std::vector<int> axes;
    int alarms = 0, passes = 0, points = 0, restarts = 0;
    std::vector<SweepOutcome> outcomes;
};

struct MarkRecorder : LinkView {
    void markStationLink(int, bool failed, quint32) override { failedMarks += failed; }
    void showBatteryLevel(int, const BatteryDisplay&) override {}
    void stampLinkTime(int, int, const QString&) override {}
    int failedMarks = 0;
};

// The level text the boxes show, by the display's rule: "0.0000 ", cut to 6, final "."
// removed, blanks trimmed.
inline QString boxLevelText(float level) {
    QString t = QString::number(double(level), 'f', 4).append(QLatin1Char(' ')).left(6);
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return t.trimmed();
}

// A quiet E-field station without noise or drift: three carriers with a level per axis.
inline StationConfig quietProbe() {
    StationConfig st;
    st.serial = "241AB01001";
    st.noiseE = st.noiseH = st.noiseJitter = 0;
    const double carriers[3][4] = {{1.0, 3, 4, 12}, {13.56, 8, 1, 2}, {27.12, 0.5, 6, 0.25}};
    for (const auto& c : carriers) {
        Emitter& em = st.emitters.emplace_back();
        em.frequencyMHz = c[0];
        em.e = {c[1], c[2], c[3]};
    }
    return st;
}

// One station on a simulated port 1 with its port open, on the virtual clock.
struct AcquisitionRig {
    explicit AcquisitionRig(StationConfig st = quietProbe(), const QString& commandLine = {},
                            QDate date = QDate(2026, 1, 15), double seconds = 36000.0)
        : clock(date, seconds), pump(clock, 0.002), ctx(dir.path(), commandLine, clock, pump),
          channel(clock), link(ctx, channel, &marks),
          acquisition(link, sink, AcquisitionTexts{boxLevelText, {}}, &view) {
        pump.setInputDue([this] { return channel.secondsToNextInput(); });
        channel.network().add(st);
        record.stationId = QString::fromLatin1(st.serial);
        link.OpenStationPort(1);
        settings.setRange(0.1f, 30.0f);
        settings.RbwIndex = 0;
    }

    SweepOutcome run(const SweepChoice& choice = {}) {
        probe().clearCommands();
        return acquisition.runAcquisition(0, settings, record, choice);
    }
    ProbeModel& probe() { return *channel.probe(1); }
    int sent(const QByteArray& body) {
        const auto& c = probe().commands();
        return int(std::count(c.begin(), c.end(), ProbeLink::Frame(body)));
    }
    // Event-log messages (marker and text, without the station label) of yesterday and today.
    QStringList logLines() {
        QStringList out;
        for (QDate d : {clock.today().addDays(-1), clock.today()}) {
            const QByteArray text =
                readAll(dir.path() + "Test/Log/" + d.toString("yyyy/MM/dd") + ".TXT");
            for (const QByteArray& line : text.split('\n'))
                if (line.size() > 23)
                    out << QString::fromLatin1(line.mid(23)).section('\t', 0, 0).trimmed();
        }
        return out;
    }
    QStringList linesStartingWith(const QString& start) {
        return logLines().filter(QRegularExpression('^' + QRegularExpression::escape(start)));
    }

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    AppContext ctx;
    SimChannel channel;
    MarkRecorder marks;
    ProbeLink link;
    RecordingSink sink;
    RecordingSweepView view;
    SweepAcquisition acquisition;
    SweepSettings settings;
    AcquisitionRecord record;
};
