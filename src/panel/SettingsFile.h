#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class AppContext;

// The appearance settings and the name of the current panel, kept in
// "Panels/Untitled.EPN" as a flat little-endian image of exactly 1040 bytes. The reserved
// regions are carried byte for byte so that a file written by a newer program keeps what it
// put there.
struct SettingsRecord {
    qint32 ButtonColorStart = 0;
    qint32 ButtonColorEnd = 0;
    qint16 ButtonStyle = 0;
    qint32 LabelColorStart = 0;
    qint32 LabelColorEnd = 0;
    qint16 LabelStyle = 0;
    qint16 LabelScheme = 0;
    QByteArray reserved22 = QByteArray(42, '\0');  // at offset 22
    QByteArray reserved64 = QByteArray(168, '\0'); // at offset 64
    qint16 reserved232 = 0;                        // kept in 0..5
    QString CurrentPanelName; // file name with extension, Latin-1, at most 200 characters
    QByteArray reserved434 = QByteArray(202, '\0'); // 101 x int16 at offset 434
    QByteArray reserved636 = QByteArray(404, '\0'); // 101 x 4 bytes at offset 636

    bool operator==(const SettingsRecord&) const = default;
};

constexpr int kSettingsRecordSize = 1040;
constexpr int kSettingsNameSize = 200;

// The record a fresh program starts with; the appearance dialog's default buttons copy from it.
SettingsRecord SettingsDefaults();

// The 1040 bytes of a record. The panel name is cut to 200 bytes and padded with spaces; an
// empty name is written as zero bytes, like a record that never held one.
QByteArray settingsToBytes(const SettingsRecord& r);
// Reads a record from a file image. A field that the image does not hold completely keeps
// its default; reserved bytes that are missing read as zero; bytes after 1040 are ignored.
SettingsRecord settingsFromBytes(const QByteArray& bytes);

// Reads the file (a missing file is created with the defaults); validates it. Read errors
// give the defaults.
SettingsRecord LoadSettings(const QString& path);
// Puts out-of-range appearance values back to their defaults. The record is not written.
void ValidateSettings(SettingsRecord& r);
// Writes the whole record through a temporary file, so a crash leaves the old file or the
// new one. Creates the parent folder when it is missing. False when the write failed.
bool SaveSettings(const QString& path, const SettingsRecord& r);
// ctx.appDir + "Panels/Untitled.EPN".
QString settingsPath(const AppContext& ctx);
