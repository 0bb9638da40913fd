#include "panel/PanelFile.h"

#include "app/BinaryCodec.h"
#include "app/SaveWholeFile.h"

#include <QFile>

namespace PanelFile {
namespace {
// The largest file the layout can describe: every counted text at its longest.
constexpr qint64 MaxFileBytes = qint64(EmptyFileBytes) + qint64(17 * 101) * 0xFFFF;

// The station record, in file order.
void stationLayout(BinaryCodec& c, StationRecord& s) {
    c.integer(s.Comm);
    c.fixed(s.SerialNumber, StationRecord::SerialNumberSize);
    c.fixed(s.Comment, StationRecord::CommentSize);
    c.integer(s.Enabled);
    c.integers(s.Reserved16);
    c.integers(s.Reserved32);
    c.counteds(s.ReservedTexts);
}

// The panel record, in file order: the sixteen stations, then the settings block.
void panelLayout(BinaryCodec& c, PanelRecord& p) {
    for (StationRecord& s : p.Stations)
        stationLayout(c, s);
    c.integer(p.SortByDate);
    c.integer(p.TableEditorRBWIndex);
    c.integer(p.ListModeOn);
    c.integer(p.SpectrumModeOn);
    c.integer(p.ListModeRate);
    c.integer(p.SpectrumModeRateIndex);
    c.integers(p.ListModeFields);
    c.integers(p.SpectrumModeFields);
    c.floatings(p.SpectrumModeThresholds);
    c.integer(p.SpectrumRateOn);
    c.fixed(p.FreqTableName, PanelRecord::FreqTableNameSize);
    c.integer(p.SeparatorIndex);
    c.integer(p.PreamplifierOn);
    c.integers(p.SaveImage);
    c.integer(p.ImageQuality);
    c.integers(p.Colors);
    c.floating(p.SpectrumStartFrequency);
    c.floating(p.SpectrumStopFrequency);
    c.integer(p.SpectrumRBWIndex);
    c.integer(p.ScanExtensionIndex);
    c.integer(p.ShowThreshold);
    c.integer(p.DetectorIndex);
    c.integer(p.LayoutVersionFlag);
    c.integers(p.Reserved16);
    c.integers(p.Reserved32);
    c.counteds(p.ReservedTexts);
}
} // namespace

QByteArray toBytes(const PanelRecord& p) {
    return writeRecord(p, panelLayout, EmptyFileBytes);
}

PanelRecord fromBytes(const QByteArray& data) {
    return readRecord<PanelRecord>(data, panelLayout);
}

bool read(const QString& path, PanelRecord& panel) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray data = file.read(MaxFileBytes);
    if (file.error() != QFile::NoError) return false;
    panel = fromBytes(data);
    return true;
}

bool write(const QString& path, const PanelRecord& panel) {
    return saveWholeFile(path, toBytes(panel));
}

} // namespace PanelFile
