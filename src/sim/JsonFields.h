#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// Checked reading of the settings of a scenario file. A setting that is absent leaves `out`
// as it was; one that is there but wrong gives false with a message ("where: "key" must be
// ...") in *error.
namespace JsonFields {

// Puts text into *error (when given) and returns false.
bool fail(QString* error, const QString& text);

// A number from lo to hi.
bool number(const QJsonObject& o, const char* key, double lo, double hi, double& out,
            const QString& where, QString* error);

// A text of at most maxLength single-byte (Latin-1) characters. With onTheWire it must not
// hold "*" either, which would end a probe reply early.
bool text(const QJsonObject& o, const char* key, int maxLength, bool onTheWire, QByteArray& out,
          const QString& where, QString* error);

// False when the object holds a setting not in `known`.
bool knownKeys(const QJsonObject& o, const QStringList& known, const QString& where,
               QString* error);

} // namespace JsonFields
