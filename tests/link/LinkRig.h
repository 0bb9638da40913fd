#pragma once

#include "ScriptedChannel.h"

#include "app/AppContext.h"
#include "app/Format.h"
#include "link/LinkView.h"
#include "link/ProbeCommands.h"
#include "link/ProbeLink.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QStringList>
#include <map>
#include <vector>

// Records what the probe link paints.
class RecordingView : public LinkView {
public:
    struct Mark {
        int slot;
        bool failed;
        quint32 colour;
        bool operator==(const Mark&) const = default;
    };
    void markStationLink(int slot, bool failed, quint32 colour) override {
        marks.push_back({slot, failed, colour});
    }
    void showBatteryLevel(int slot, const BatteryDisplay& display) override {
        batteries.emplace_back(slot, display);
    }
    void stampLinkTime(int slot, int gridRow, const QString& text) override {
        stamps.push_back(QStringLiteral("%1/%2 %3").arg(slot).arg(gridRow).arg(text));
    }

    std::vector<Mark> marks;
    std::vector<std::pair<int, BatteryDisplay>> batteries;
    QStringList stamps;
};

// The lines of the event log with the date and time stripped (23 characters).
inline QStringList eventLogLines(AppContext& ctx) {
    QStringList out;
    const QString path = ctx.eventLog.currentPath();
    for (QByteArray line : path.isEmpty() ? QList<QByteArray>() : readAll(path).split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (!line.isEmpty()) out << QString::fromLatin1(line.mid(23));
    }
    return out;
}

// An event-log line as the link writes it, without date and time: a plain one and a failure.
inline QString okLine(const QString& message, const QString& serial = QString(),
                      const char* mark = "    ") {
    return QLatin1String(mark) + PadLogText(message) +
           (serial.isEmpty() ? QString() : QStringLiteral("\t(") + serial + QLatin1Char(')'));
}
inline QString failLine(const QString& message, const QString& serial = QString()) {
    return okLine(message, serial, "*** ");
}

// A probe link on a virtual clock, a probe on a channel of that clock (a scripted one unless
// told otherwise, made with `channelArgs`) and a temporary application directory. The link
// starts on slot 2, port 3, already open.
template <class Channel> struct BasicLinkRig {
    template <class... ChannelArgs>
    explicit BasicLinkRig(const QString& commandLine = QString(), QDate date = QDate(2026, 1, 15),
                          double seconds = 36000.0, const ChannelArgs&... channelArgs)
        : clock(date, seconds), pump(clock), ctx(dir.path(), commandLine, clock, pump),
          channel(clock, channelArgs...), link(ctx, channel, &view), commands(link) {
        // The pump moves the clock straight to the next scripted byte or the end of a wait.
        pump.setInputDue([this] { return channel.secondsToNextInput(); });
        link.setCurrentStation(2);
        link.setCurrentPort(3);
        channel.open(3);
    }

    QStringList logLines() { return eventLogLines(ctx); }
    QStringList failureLines() { return logLines().filter(QRegularExpression("^\\*\\*\\* ")); }
    // Whether the station is marked failed, and whether the link saw a communication error.
    std::pair<bool, bool> failedAndCommError() const {
        return {link.linkFailed(2), link.commError()};
    }
    double elapsed() const { return double(clock.micros() - start) / 1e6; }

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    AppContext ctx;
    Channel channel;
    RecordingView view;
    ProbeLink link;
    ProbeCommands commands;
    long long start = clock.micros();
};

using LinkRig = BasicLinkRig<ScriptedChannel>;

inline ScriptedChannel::Reply at(double delay, const QByteArray& bytes) {
    return {{delay, bytes}};
}
