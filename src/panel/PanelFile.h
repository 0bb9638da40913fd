#pragma once

#include "panel/PanelRecord.h"

#include <QByteArray>
#include <QString>

// The panel file "Panels/" + name + ".EST": the record written field after field,
// little-endian, no header. With every counted text empty it is 17662 bytes, a slot
// 1032 bytes, the settings block at 16512; longer counted texts move everything after them.
namespace PanelFile {

constexpr int EmptyStationBytes = 1032;
constexpr int EmptyFileBytes = 17662;

QByteArray toBytes(const PanelRecord& panel);
// Takes whatever the data holds: fields past its end read as zero (or empty), a counted
// text is cut at the end of the data. Nothing is checked here; ValidatePanel does that.
PanelRecord fromBytes(const QByteArray& data);

// Reads a panel file. False (panel untouched) when the file is missing or cannot be read.
bool read(const QString& path, PanelRecord& panel);
// Replaces the file in one commit, so a crash mid-write leaves the previous panel intact.
// Creates the folder when missing. False when it could not be written.
bool write(const QString& path, const PanelRecord& panel);

} // namespace PanelFile
