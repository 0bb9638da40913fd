#include "panel/SettingsFile.h"

#include "app/AppContext.h"
#include "app/SaveWholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr qint32 kSystemColour = qint32(0x80000000u);

// Offsets of the fields in the file image.
constexpr int kOffButtonColorStart = 0;
constexpr int kOffButtonColorEnd = 4;
constexpr int kOffButtonStyle = 8;
constexpr int kOffLabelColorStart = 10;
constexpr int kOffLabelColorEnd = 14;
constexpr int kOffLabelStyle = 18;
constexpr int kOffLabelScheme = 20;
constexpr int kOffReserved22 = 22, kSizeReserved22 = 42;
constexpr int kOffReserved64 = 64, kSizeReserved64 = 168;
constexpr int kOffReserved232 = 232;
constexpr int kOffName = 234;
constexpr int kOffReserved434 = 434, kSizeReserved434 = 202;
constexpr int kOffReserved636 = 636, kSizeReserved636 = 404;
static_assert(kOffReserved636 + kSizeReserved636 == kSettingsRecordSize);
static_assert(kOffName + kSettingsNameSize == kOffReserved434);

template <typename T> void put(QByteArray& out, int offset, T value) {
    qToLittleEndian<T>(value, out.data() + offset);
}

template <typename T> bool get(const QByteArray& in, int offset, T& value) {
    if (offset + int(sizeof(T)) > in.size()) return false;
    value = qFromLittleEndian<T>(in.constData() + offset);
    return true;
}

// A fixed-size reserved region as read: what the image holds, zero-filled to its size.
QByteArray region(const QByteArray& in, int offset, int size) {
    QByteArray r = offset < in.size() ? in.mid(offset, size) : QByteArray();
    r.append(QByteArray(size - r.size(), '\0'));
    return r;
}

void putRegion(QByteArray& out, int offset, int size, const QByteArray& data) {
    const QByteArray fitted = data.left(size);
    std::copy(fitted.cbegin(), fitted.cend(), out.begin() + offset);
    // A region shorter than its size (a record built in code) leaves zeros.
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
    QByteArray out(kSettingsRecordSize, '\0');
    put<qint32>(out, kOffButtonColorStart, r.ButtonColorStart);
    put<qint32>(out, kOffButtonColorEnd, r.ButtonColorEnd);
    put<qint16>(out, kOffButtonStyle, r.ButtonStyle);
    put<qint32>(out, kOffLabelColorStart, r.LabelColorStart);
    put<qint32>(out, kOffLabelColorEnd, r.LabelColorEnd);
    put<qint16>(out, kOffLabelStyle, r.LabelStyle);
    put<qint16>(out, kOffLabelScheme, r.LabelScheme);
    putRegion(out, kOffReserved22, kSizeReserved22, r.reserved22);
    putRegion(out, kOffReserved64, kSizeReserved64, r.reserved64);
    put<qint16>(out, kOffReserved232, r.reserved232);
    if (!r.CurrentPanelName.isEmpty()) {
        const QByteArray name =
            r.CurrentPanelName.toLatin1().left(kSettingsNameSize).leftJustified(kSettingsNameSize);
        putRegion(out, kOffName, kSettingsNameSize, name);
    }
    putRegion(out, kOffReserved434, kSizeReserved434, r.reserved434);
    putRegion(out, kOffReserved636, kSizeReserved636, r.reserved636);
    return out;
}

SettingsRecord settingsFromBytes(const QByteArray& in) {
    SettingsRecord r = SettingsDefaults();
    get<qint32>(in, kOffButtonColorStart, r.ButtonColorStart);
    get<qint32>(in, kOffButtonColorEnd, r.ButtonColorEnd);
    get<qint16>(in, kOffButtonStyle, r.ButtonStyle);
    get<qint32>(in, kOffLabelColorStart, r.LabelColorStart);
    get<qint32>(in, kOffLabelColorEnd, r.LabelColorEnd);
    get<qint16>(in, kOffLabelStyle, r.LabelStyle);
    get<qint16>(in, kOffLabelScheme, r.LabelScheme);
    r.reserved22 = region(in, kOffReserved22, kSizeReserved22);
    r.reserved64 = region(in, kOffReserved64, kSizeReserved64);
    get<qint16>(in, kOffReserved232, r.reserved232);
    if (in.size() >= kOffName + kSettingsNameSize) {
        QByteArray name = in.mid(kOffName, kSettingsNameSize);
        // The text ends at the first NUL; the padding is spaces (or NULs when never set).
        const qsizetype nul = name.indexOf('\0');
        if (nul >= 0) name.truncate(nul);
        while (!name.isEmpty() && name.back() == ' ')
            name.chop(1);
        r.CurrentPanelName = QString::fromLatin1(name);
    }
    r.reserved434 = region(in, kOffReserved434, kSizeReserved434);
    r.reserved636 = region(in, kOffReserved636, kSizeReserved636);
    return r;
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
