#include "sim/ProbeFaults.h"

#include "sim/JsonFields.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace {
const char* const kNames[kFaultKindCount] = {"silent",      "late",      "split",
                                             "garbage",     "notice",    "badSequence",
                                             "batteryZero", "badSerial", "stall"};

using JsonFields::fail;
} // namespace

QString faultName(FaultKind kind) {
    return QLatin1String(kNames[int(kind)]);
}

std::optional<FaultKind> faultFromName(const QString& name) {
    for (int i = 0; i < kFaultKindCount; ++i)
        if (name.compare(QLatin1String(kNames[i]), Qt::CaseInsensitive) == 0) return FaultKind(i);
    return std::nullopt;
}

Fault Fault::defaults(FaultKind kind) {
    Fault f;
    f.enabled = true;
    switch (kind) {
    case FaultKind::Notice:
        // The program drops the notice only where it collects a reply up to its end mark.
        f.commands = {QStringLiteral("V")};
        break;
    case FaultKind::BadSequence:
    case FaultKind::Stall:
        f.commands = {QStringLiteral("(g")};
        break;
    case FaultKind::BatteryZero:
        f.commands = {QStringLiteral("t")};
        break;
    case FaultKind::BadSerial:
        f.commands = {QStringLiteral("?S0")};
        break;
    default:
        break;
    }
    return f;
}

FaultSet::FaultSet() {
    for (int i = 0; i < kFaultKindCount; ++i) {
        faults_[size_t(i)] = Fault::defaults(FaultKind(i));
        faults_[size_t(i)].enabled = false;
    }
}

bool FaultSet::wouldApply(FaultKind kind, const QString& key) const {
    const Fault& f = (*this)[kind];
    if (!f.enabled || f.count == 0) return false;
    return f.commands.isEmpty() || f.commands.contains(key);
}

bool FaultSet::take(FaultKind kind, const QString& key) {
    if (!wouldApply(kind, key)) return false;
    Fault& f = (*this)[kind];
    if (f.count > 0) --f.count;
    return true;
}

bool parseFault(FaultKind kind, const QJsonValue& value, Fault& out, QString* error) {
    const QString where = QStringLiteral("fault \"%1\"").arg(faultName(kind));
    out = Fault::defaults(kind);
    if (value.isBool()) {
        out.enabled = value.toBool();
        return true;
    }
    if (value.isDouble()) {
        const double n = value.toDouble();
        if (!std::isfinite(n) || n < -1 || n > 1e9 || n != std::floor(n))
            return fail(error, where + QStringLiteral(": a count must be a whole number >= -1"));
        out.count = int(n);
        return true;
    }
    if (!value.isObject())
        return fail(error, where + QStringLiteral(": expected true, false, a count or an object"));
    const QJsonObject o = value.toObject();
    if (!JsonFields::knownKeys(o,
                               {"enabled", "count", "commands", "delay", "pieces", "gap", "text",
                                "point", "place", "duration"},
                               where, error))
        return false;
    if (o.contains("enabled")) {
        if (!o.value("enabled").isBool())
            return fail(error, where + QStringLiteral(": \"enabled\" must be true or false"));
        out.enabled = o.value("enabled").toBool();
    }
    double n = out.count;
    if (!JsonFields::number(o, "count", -1, 1e9, n, where, error)) return false;
    out.count = int(n);
    if (o.contains("commands")) {
        const QJsonValue c = o.value("commands");
        if (!c.isArray() || c.toArray().size() > 32)
            return fail(error, where + QStringLiteral(": \"commands\" must be a list of texts"));
        out.commands.clear();
        for (const QJsonValue& item : c.toArray()) {
            if (!item.isString() || item.toString().size() > 8)
                return fail(error, where + QStringLiteral(": \"commands\" must be a list of "
                                                          "command keys such as \"(v\""));
            out.commands << item.toString();
        }
    }
    if (!JsonFields::number(o, "delay", 0, 3600, out.delay, where, error) ||
        !JsonFields::number(o, "gap", 0, 60, out.gap, where, error) ||
        !JsonFields::number(o, "duration", 0, 3600, out.duration, where, error))
        return false;
    n = out.pieces;
    if (!JsonFields::number(o, "pieces", 1, 1000, n, where, error)) return false;
    out.pieces = int(n);
    n = out.point;
    if (!JsonFields::number(o, "point", 0, 100000, n, where, error)) return false;
    out.point = int(n);
    if (!JsonFields::text(o, "text", 256, false, out.text, where, error)) return false;
    if (o.contains("place")) {
        const QString p = o.value("place").toString();
        if (p == "before")
            out.place = NoticePlace::Before;
        else if (p == "middle")
            out.place = NoticePlace::Middle;
        else if (p == "after")
            out.place = NoticePlace::After;
        else
            return fail(error,
                        where + QStringLiteral(": \"place\" must be before, middle or after"));
    }
    return true;
}

bool parseFaults(const QJsonValue& value, FaultSet& out, QString* error) {
    if (value.isUndefined() || value.isNull()) return true;
    if (!value.isObject()) return fail(error, QStringLiteral("\"faults\" must be an object"));
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() == QLatin1String("vanish")) {
            const QJsonValue v = it.value();
            out.vanish = VanishPlan{};
            if (v.isBool()) {
                out.vanish.enabled = v.toBool();
                continue;
            }
            if (!v.isObject())
                return fail(error, QStringLiteral("fault \"vanish\": expected true, false or an "
                                                  "object with \"at\" and \"duration\""));
            const QJsonObject vo = v.toObject();
            if (!JsonFields::knownKeys(vo, {"at", "duration"}, "fault \"vanish\"", error))
                return false;
            out.vanish.enabled = true;
            if (!JsonFields::number(vo, "at", 0, 1e7, out.vanish.at, "fault \"vanish\"", error) ||
                !JsonFields::number(vo, "duration", 0, 1e7, out.vanish.duration, "fault \"vanish\"",
                                    error))
                return false;
            continue;
        }
        const auto kind = faultFromName(it.key());
        if (!kind) return fail(error, QStringLiteral("unknown fault \"%1\"").arg(it.key()));
        if (!parseFault(*kind, it.value(), out[*kind], error)) return false;
    }
    return true;
}
