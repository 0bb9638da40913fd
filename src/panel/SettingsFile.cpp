#include "panel/SettingsFile.h"

#include "app/AppContext.h"
#include "app/BinaryCodec.h"
#include "app/SaveWholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

constexpr qint32 kSystemColour = qint32(0x80000000u);

// The panel name: 200 bytes padded with spaces, or zero bytes when there is none. It is read
// only when the image holds it whole; the text ends at the first zero byte.
void nameField(BinaryCodec& c, QString& name) {
    if (!c.reading()) {
        QByteArray bytes;
        if (!name.isEmpty())
            bytes = name.toLatin1().left(kSettingsNameSize).leftJustified(kSettingsNameSize);
        c.fixed(bytes, kSettingsNameSize);
        return;
    }
    const bool whole = c.left() >= kSettingsNameSize;
    QByteArray bytes;
    c.fixed(bytes, kSettingsNameSize);
    if (!whole) return;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    name = QString::fromLatin1(bytes);
}

// The 1040-byte image in file order.
void settingsLayout(BinaryCodec& c, SettingsRecord& r) {
    c.integer(r.ButtonColorStart);
    c.integer(r.ButtonColorEnd);
    c.integer(r.ButtonStyle);
    c.integer(r.LabelColorStart);
    c.integer(r.LabelColorEnd);
    c.integer(r.LabelStyle);
    c.integer(r.LabelScheme);
    c.fixed(r.reserved22, 42);
    c.fixed(r.reserved64, 168);
    c.integer(r.reserved232);
    nameField(c, r.CurrentPanelName);
    c.fixed(r.reserved434, 202);
    c.fixed(r.reserved636, 404);
}

// Absolute value of a stored number, or false when it has none in its own type.
template <typename T> bool absolute(T v, T& out) {
    if (v == std::numeric_limits<T>::min()) return false;
    out = v < 0 ? T(-v) : v;
    return true;
}

void checkColour(qint32& colour, qint32 fallback) {
    qint32 a = 0;
    if (!absolute(colour, a) || a > 0xFFFFFF)
        colour = fallback;
    else
        colour = a;
}

// abs, then back to the default when above max (or when abs overflows).
void checkIndex(qint16& value, qint16 max, qint16 fallback) {
    qint16 a = 0;
    if (!absolute(value, a) || a > max)
        value = fallback;
    else
        value = a;
}

} // namespace

SettingsRecord SettingsDefaults() {
    SettingsRecord r;
    r.ButtonColorStart = kSystemColour | 20; // three-dimensional highlight
    r.ButtonColorEnd = kSystemColour | 15;   // button face
    r.ButtonStyle = 0;
    r.LabelColorStart = 0xC0C0C0;
    r.LabelColorEnd = 0xFFFFFF;
    r.LabelStyle = 1;
    r.LabelScheme = 0;
    return r;
}

QByteArray settingsToBytes(const SettingsRecord& r) {
    return writeRecord(r, settingsLayout);
}

SettingsRecord settingsFromBytes(const QByteArray& in) {
    return readRecord(in.left(kSettingsRecordSize), settingsLayout, SettingsDefaults());
}

SettingsRecord LoadSettings(const QString& path) {
    SettingsRecord r = SettingsDefaults();
    if (!QFileInfo::exists(path)) {
        SaveSettings(path, r); // a failed write only means the defaults are not kept
    } else {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) r = settingsFromBytes(f.read(kSettingsRecordSize));
    }
    ValidateSettings(r);
    return r;
}

void ValidateSettings(SettingsRecord& r) {
    const SettingsRecord d = SettingsDefaults();
    checkColour(r.ButtonColorStart, d.ButtonColorStart);
    checkColour(r.ButtonColorEnd, d.ButtonColorEnd);
    checkIndex(r.ButtonStyle, 1, d.ButtonStyle);
    checkColour(r.LabelColorStart, d.LabelColorStart);
    checkColour(r.LabelColorEnd, d.LabelColorEnd);
    checkIndex(r.LabelStyle, 8, d.LabelStyle);
    checkIndex(r.LabelScheme, std::numeric_limits<qint16>::max(), d.LabelScheme);
    checkIndex(r.reserved232, 5, 0);
}

bool SaveSettings(const QString& path, const SettingsRecord& r) {
    return saveWholeFile(path, settingsToBytes(r));
}

QString settingsPath(const AppContext& ctx) {
    return ctx.appDir + QStringLiteral("Panels/Untitled.EPN");
}
