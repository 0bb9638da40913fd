#include "sim/JsonFields.h"

#include <QJsonValue>

#include <cmath>

namespace JsonFields {

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

bool number(const QJsonObject& o, const char* key, double lo, double hi, double& out,
            const QString& where, QString* error) {
    if (!o.contains(QLatin1String(key))) return true;
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() < lo || v.toDouble() > hi)
        return fail(error, QStringLiteral("%1: \"%2\" must be a number from %3 to %4")
                               .arg(where, QLatin1String(key))
                               .arg(lo)
                               .arg(hi));
    out = v.toDouble();
    return true;
}

bool text(const QJsonObject& o, const char* key, int maxLength, bool onTheWire, QByteArray& out,
          const QString& where, QString* error) {
    if (!o.contains(QLatin1String(key))) return true;
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString() || v.toString().size() > maxLength)
        return fail(error, QStringLiteral("%1: \"%2\" must be a text of at most %3 characters")
                               .arg(where, QLatin1String(key))
                               .arg(maxLength));
    const QString s = v.toString();
    for (QChar c : s) {
        if (c.unicode() > 0xFF)
            return fail(error, QStringLiteral("%1: \"%2\" holds a character outside Latin-1")
                                   .arg(where, QLatin1String(key)));
        if (onTheWire && c == QLatin1Char('*'))
            return fail(error, QStringLiteral("%1: \"%2\" may not hold \"*\", the probe's end "
                                              "mark")
                                   .arg(where, QLatin1String(key)));
    }
    out = s.toLatin1();
    return true;
}

bool knownKeys(const QJsonObject& o, const QStringList& known, const QString& where,
               QString* error) {
    for (const QString& k : o.keys())
        if (!known.contains(k))
            return fail(error, QStringLiteral("%1: unknown setting \"%2\"").arg(where, k));
    return true;
}

} // namespace JsonFields
