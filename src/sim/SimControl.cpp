#include "sim/SimControl.h"

#include "sim/SimNetwork.h"

#include <QStringList>

#include <vector>

namespace {
const char* kHelp = "commands:\n"
                    "  list\n"
                    "  fault <port|all> <name> on|off|<count> [point=<n>] [duration=<s>]\n"
                    "  vanish <port> [seconds]\n"
                    "  back <port>\n"
                    "fault names: silent late split garbage notice badSequence batteryZero "
                    "badSerial stall";

QString list(SimNetwork& network) {
    QStringList lines;
    const double now = network.now();
    for (int port : network.ports()) {
        ProbeModel* p = network.probe(port);
        QStringList on;
        for (int k = 0; k < kFaultKindCount; ++k) {
            const Fault& f = p->faults()[FaultKind(k)];
            if (f.enabled && f.count != 0)
                on << (f.count > 0
                           ? QStringLiteral("%1(%2)").arg(faultName(FaultKind(k))).arg(f.count)
                           : faultName(FaultKind(k)));
        }
        lines << QStringLiteral("COM%1  serial %2  %3  faults: %4")
                     .arg(port)
                     .arg(QString::fromLatin1(p->config().serial),
                          p->present(now) ? QStringLiteral("present") : QStringLiteral("vanished"),
                          on.isEmpty() ? QStringLiteral("none") : on.join(' '));
    }
    return lines.join('\n');
}

ProbeModel* station(SimNetwork& network, const QString& text, QString& error) {
    bool ok = false;
    const int port = text.toInt(&ok);
    ProbeModel* p = ok ? network.probe(port) : nullptr;
    if (!p) error = QStringLiteral("no station on port %1").arg(text);
    return p;
}
} // namespace

QString executeSimControl(SimNetwork& network, const QString& line) {
    const QStringList words = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) return {};
    const QString verb = words[0].toLower();
    QString error;
    if (verb == "help") return QLatin1String(kHelp);
    if (verb == "list") return list(network);
    if (verb == "fault" && words.size() >= 4 && words.size() <= 6) {
        const auto kind = faultFromName(words[2]);
        if (!kind) return QStringLiteral("unknown fault %1").arg(words[2]);
        Fault f = Fault::defaults(*kind);
        const QString how = words[3].toLower();
        bool ok = true;
        if (how == "off")
            f.enabled = false;
        else if (how != "on")
            f.count = how.toInt(&ok);
        if (!ok || f.count < -1)
            return QStringLiteral("expected on, off or a count, not %1").arg(words[3]);
        // Where a sweep fault strikes and how long a stall lasts.
        for (qsizetype i = 4; i < words.size(); ++i) {
            const QString key = words[i].section('=', 0, 0).toLower();
            const QString value = words[i].section('=', 1);
            if (key == "point") {
                const int point = value.toInt(&ok);
                if (!ok || point < 0 || point > 100000)
                    return QStringLiteral("expected point=<0..100000>, not %1").arg(words[i]);
                f.point = point;
            } else if (key == "duration") {
                const double seconds = value.toDouble(&ok);
                if (!ok || !(seconds >= 0) || seconds > 3600)
                    return QStringLiteral("expected duration=<0..3600 seconds>, not %1")
                        .arg(words[i]);
                f.duration = seconds;
            } else {
                return QStringLiteral("expected point=<n> or duration=<s>, not %1").arg(words[i]);
            }
        }
        std::vector<ProbeModel*> targets;
        if (words[1].toLower() == "all") {
            for (int port : network.ports())
                targets.push_back(network.probe(port));
        } else if (ProbeModel* p = station(network, words[1], error)) {
            targets.push_back(p);
        } else {
            return error;
        }
        for (ProbeModel* p : targets)
            p->faults()[*kind] = f;
        return list(network);
    }
    if (verb == "vanish" && (words.size() == 2 || words.size() == 3)) {
        ProbeModel* p = station(network, words[1], error);
        if (!p) return error;
        if (words.size() == 2) {
            p->setPresent(false);
        } else {
            bool ok = false;
            const double seconds = words[2].toDouble(&ok);
            if (!ok || !(seconds > 0) || seconds > 1e7)
                return QStringLiteral("expected a number of seconds, not %1").arg(words[2]);
            p->vanishFor(network.now(), seconds);
        }
        return list(network);
    }
    if (verb == "back" && words.size() == 2) {
        ProbeModel* p = station(network, words[1], error);
        if (!p) return error;
        p->setPresent(true);
        return list(network);
    }
    return QStringLiteral("not understood: %1\n%2").arg(line.trimmed(), QLatin1String(kHelp));
}
