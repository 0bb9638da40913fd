#include "sim/Scenario.h"

#include "sim/JsonFields.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <set>

namespace {
using JsonFields::fail;

constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr int kMaxStations = 99;
constexpr int kMaxEmitters = 10000;

QString keyText(const char* key) {
    return QStringLiteral("\"%1\"").arg(QLatin1String(key));
}

bool wholeNumber(const QJsonObject& o, const char* key, int lo, int hi, int& out,
                 const QString& where, QString* error) {
    if (!o.contains(QLatin1String(key))) return true;
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(-1e300);
    if (!v.isDouble() || d != std::floor(d) || d < lo || d > hi)
        return fail(error, QStringLiteral("%1: %2 must be a whole number from %3 to %4")
                               .arg(where, keyText(key))
                               .arg(lo)
                               .arg(hi));
    out = int(d);
    return true;
}

// A level per axis: one number for all three axes, or a list of three.
bool axisLevels(const QJsonObject& o, const char* key, std::array<double, 3>& out, bool& given,
                const QString& where, QString* error) {
    if (!o.contains(QLatin1String(key))) return true;
    const QJsonValue v = o.value(QLatin1String(key));
    const QString bad = QStringLiteral("%1: %2 must be a level from 0 to 100000 or a list of "
                                       "three such levels (X, Y, Z)")
                            .arg(where, keyText(key));
    auto ok = [](const QJsonValue& x) {
        return x.isDouble() && std::isfinite(x.toDouble()) && x.toDouble() >= 0 &&
               x.toDouble() <= 100000;
    };
    if (v.isDouble()) {
        if (!ok(v)) return fail(error, bad);
        out = {v.toDouble(), v.toDouble(), v.toDouble()};
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        if (a.size() != 3 || !ok(a[0]) || !ok(a[1]) || !ok(a[2])) return fail(error, bad);
        out = {a[0].toDouble(), a[1].toDouble(), a[2].toDouble()};
    } else {
        return fail(error, bad);
    }
    given = true;
    return true;
}

bool parseEmitter(const QJsonValue& value, Emitter& out, const QString& where, QString* error) {
    if (!value.isObject()) return fail(error, where + QStringLiteral(": expected an object"));
    const QJsonObject o = value.toObject();
    if (!JsonFields::knownKeys(o, {"frequency", "e", "h", "bandwidth", "drift", "driftPeriod"},
                               where, error))
        return false;
    if (!o.contains("frequency"))
        return fail(error, where + QStringLiteral(": \"frequency\" (MHz) is missing"));
    bool eGiven = false;
    if (!JsonFields::number(o, "frequency", 0.000001, 1000, out.frequencyMHz, where, error) ||
        !axisLevels(o, "e", out.e, eGiven, where, error) ||
        !axisLevels(o, "h", out.h, out.hGiven, where, error) ||
        !JsonFields::number(o, "bandwidth", 0, 1000, out.bandwidthMHz, where, error) ||
        !JsonFields::number(o, "drift", 0, 60, out.driftDb, where, error) ||
        !JsonFields::number(o, "driftPeriod", 0.001, 1e9, out.driftPeriodSeconds, where, error))
        return false;
    return true;
}

bool parseStation(const QJsonValue& value, int index, quint64 seed, StationConfig& out,
                  QString* error) {
    const QString where = QStringLiteral("station %1").arg(index + 1);
    if (!value.isObject()) return fail(error, where + QStringLiteral(": expected an object"));
    const QJsonObject o = value.toObject();
    if (!JsonFields::knownKeys(o,
                               {"port", "serial", "firmware", "battery", "noise", "noiseH",
                                "noiseJitter", "replyDelay", "emitters", "faults", "seed"},
                               where, error))
        return false;
    if (!o.contains("port")) return fail(error, where + QStringLiteral(": \"port\" is missing"));
    if (!wholeNumber(o, "port", 1, 99, out.port, where, error) ||
        !JsonFields::text(o, "serial", 64, true, out.serial, where, error) ||
        !JsonFields::text(o, "firmware", 200, true, out.firmware, where, error) ||
        !wholeNumber(o, "battery", 0, 999, out.batteryRaw, where, error) ||
        !JsonFields::number(o, "noise", 0, 100000, out.noiseE, where, error) ||
        !JsonFields::number(o, "noiseH", 0, 100000, out.noiseH, where, error) ||
        !JsonFields::number(o, "noiseJitter", 0, 1, out.noiseJitter, where, error) ||
        !JsonFields::number(o, "replyDelay", 0, 60, out.replyDelay, where, error))
        return false;
    out.seed = seed * 1000003ULL + quint64(out.port);
    if (o.contains("seed")) {
        int s = 0;
        if (!wholeNumber(o, "seed", 0, 2147483647, s, where, error)) return false;
        out.seed = quint64(s);
    }
    if (o.contains("emitters")) {
        const QJsonValue e = o.value("emitters");
        if (!e.isArray() || e.toArray().size() > kMaxEmitters)
            return fail(error, where + QStringLiteral(": \"emitters\" must be a list of at most "
                                                      "%1 emitters")
                                           .arg(kMaxEmitters));
        const QJsonArray list = e.toArray();
        for (int i = 0; i < list.size(); ++i) {
            Emitter em;
            if (!parseEmitter(list[i], em, where + QStringLiteral(", emitter %1").arg(i + 1),
                              error))
                return false;
            out.emitters.push_back(em);
        }
    }
    QString faultError;
    if (!parseFaults(o.value("faults"), out.faults, &faultError))
        return fail(error, where + QStringLiteral(": ") + faultError);
    return true;
}
} // namespace

bool parseScenario(const QByteArray& json, Scenario& out, QString* error) {
    out = Scenario{};
    if (json.size() > kMaxFileBytes)
        return fail(error, QStringLiteral("scenario is larger than %1 bytes").arg(kMaxFileBytes));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("scenario is not valid JSON at offset %1: %2")
                               .arg(parseError.offset)
                               .arg(parseError.errorString()));
    if (!doc.isObject())
        return fail(error, QStringLiteral("scenario must be a JSON object with \"stations\""));
    const QJsonObject root = doc.object();
    if (!JsonFields::knownKeys(root, {"seed", "stations"}, QStringLiteral("scenario"), error))
        return false;
    int seed = 1;
    if (!wholeNumber(root, "seed", 0, 2147483647, seed, QStringLiteral("scenario"), error))
        return false;
    const QJsonValue stations = root.value("stations");
    if (!stations.isArray() || stations.toArray().isEmpty() ||
        stations.toArray().size() > kMaxStations)
        return fail(error, QStringLiteral("scenario: \"stations\" must be a list of 1 to %1 "
                                          "stations")
                               .arg(kMaxStations));
    std::set<int> ports;
    const QJsonArray list = stations.toArray();
    for (int i = 0; i < list.size(); ++i) {
        StationConfig st;
        if (!parseStation(list[i], i, quint64(seed), st, error)) {
            out = Scenario{};
            return false;
        }
        if (!ports.insert(st.port).second) {
            out = Scenario{};
            return fail(
                error, QStringLiteral("station %1: port %2 is used twice").arg(i + 1).arg(st.port));
        }
        out.stations.push_back(std::move(st));
    }
    return true;
}

bool loadScenarioFile(const QString& path, Scenario& out, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(error,
                    QStringLiteral("cannot read scenario %1: %2").arg(path, f.errorString()));
    if (f.size() > kMaxFileBytes)
        return fail(
            error,
            QStringLiteral("scenario %1 is larger than %2 bytes").arg(path).arg(kMaxFileBytes));
    const QByteArray data = f.read(kMaxFileBytes + 1);
    QString why;
    if (!parseScenario(data, out, &why)) return fail(error, path + QStringLiteral(": ") + why);
    return true;
}

Scenario defaultScenario() {
    auto carrier = [](double mhz, std::array<double, 3> e, double driftDb = 0.5) {
        Emitter em;
        em.frequencyMHz = mhz;
        em.e = e;
        em.driftDb = driftDb;
        em.driftPeriodSeconds = 300.0;
        return em;
    };
    auto station = [](int port, const char* serial, const char* firmware, int batteryRaw,
                      std::vector<Emitter> emitters) {
        StationConfig st;
        st.port = port;
        st.serial = serial;
        st.firmware = firmware;
        st.batteryRaw = batteryRaw;
        st.seed = quint64(port) * 101;
        st.emitters = std::move(emitters);
        return st;
    };
    Emitter wide = carrier(9.5, {2.0, 2.0, 1.0});
    wide.bandwidthMHz = 0.01;

    Scenario s;
    s.stations = {
        station(1, "241AB01001", "HVP 30 Rel 1.07", 222,
                {carrier(0.531, {3.0, 2.0, 1.0}), carrier(6.07, {1.5, 1.0, 0.8}),
                 carrier(13.56, {8.0, 4.0, 2.0}), carrier(27.12, {4.0, 3.0, 2.5}), wide}),
        station(2, "241AB01002", "HVP 30 Rel 1.07", 210,
                {carrier(0.198, {6.0, 3.0, 2.0}), carrier(1.8, {2.0, 2.5, 1.0}),
                 carrier(13.56, {5.0, 5.0, 3.0}), carrier(21.5, {1.2, 0.9, 0.7})}),
        station(3, "241AB11003", "HVP 30 Rel 1.09", 190,
                {carrier(0.1, {10.0, 6.0, 4.0}), carrier(3.5, {2.0, 1.0, 1.0}),
                 carrier(7.1, {3.0, 2.0, 2.0}), carrier(27.0, {6.0, 5.0, 4.0})}),
    };
    return s;
}
