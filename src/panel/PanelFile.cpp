#include "panel/PanelFile.h"

#include "app/SaveWholeFile.h"
#include "panel/BinaryIO.h"

#include <QFile>

namespace PanelFile {
namespace {
// The largest file the layout can describe: every counted text at its longest.
constexpr qint64 MaxFileBytes = qint64(EmptyFileBytes) + qint64(17 * 101) * 0xFFFF;

template <typename T, size_t N> void writeArray(ByteWriter& w, const std::array<T, N>& a) {
    for (const T& v : a)
        w.integer<T>(v);
}
template <typename T, size_t N> void readArray(ByteReader& r, std::array<T, N>& a) {
    for (T& v : a)
        v = r.integer<T>();
}
template <size_t N> void writeTexts(ByteWriter& w, const std::array<QByteArray, N>& a) {
    for (const QByteArray& t : a)
        w.counted(t);
}
template <size_t N> void readTexts(ByteReader& r, std::array<QByteArray, N>& a) {
    for (QByteArray& t : a)
        t = r.counted();
}
} // namespace

QByteArray toBytes(const PanelRecord& p) {
    ByteWriter w;
    for (const StationRecord& s : p.Stations) {
        w.integer<qint16>(s.Comm);
        w.fixed(s.SerialNumber, StationRecord::SerialNumberSize);
        w.fixed(s.Comment, StationRecord::CommentSize);
        w.integer<qint16>(s.Enabled);
        writeArray(w, s.Reserved16);
        writeArray(w, s.Reserved32);
        writeTexts(w, s.ReservedTexts);
    }
    w.integer<qint16>(p.SortByDate);
    w.integer<qint16>(p.TableEditorRBWIndex);
    w.integer<qint16>(p.ListModeOn);
    w.integer<qint16>(p.SpectrumModeOn);
    w.integer<qint16>(p.ListModeRate);
    w.integer<qint16>(p.SpectrumModeRateIndex);
    writeArray(w, p.ListModeFields);
    writeArray(w, p.SpectrumModeFields);
    for (float f : p.SpectrumModeThresholds)
        w.float32(f);
    w.integer<qint16>(p.SpectrumRateOn);
    w.fixed(p.FreqTableName, PanelRecord::FreqTableNameSize);
    w.integer<qint16>(p.SeparatorIndex);
    w.integer<qint16>(p.PreamplifierOn);
    writeArray(w, p.SaveImage);
    w.integer<qint32>(p.ImageQuality);
    writeArray(w, p.Colors);
    w.float32(p.SpectrumStartFrequency);
    w.float32(p.SpectrumStopFrequency);
    w.integer<qint16>(p.SpectrumRBWIndex);
    w.integer<qint16>(p.ScanExtensionIndex);
    w.integer<qint16>(p.ShowThreshold);
    w.integer<qint16>(p.DetectorIndex);
    w.integer<qint16>(p.LayoutVersionFlag);
    writeArray(w, p.Reserved16);
    writeArray(w, p.Reserved32);
    writeTexts(w, p.ReservedTexts);
    return w.bytes();
}

PanelRecord fromBytes(const QByteArray& data) {
    PanelRecord p;
    ByteReader r(data);
    for (StationRecord& s : p.Stations) {
        s.Comm = r.integer<qint16>();
        s.SerialNumber = r.fixed(StationRecord::SerialNumberSize);
        s.Comment = r.fixed(StationRecord::CommentSize);
        s.Enabled = r.integer<qint16>();
        readArray(r, s.Reserved16);
        readArray(r, s.Reserved32);
        readTexts(r, s.ReservedTexts);
    }
    p.SortByDate = r.integer<qint16>();
    p.TableEditorRBWIndex = r.integer<qint16>();
    p.ListModeOn = r.integer<qint16>();
    p.SpectrumModeOn = r.integer<qint16>();
    p.ListModeRate = r.integer<qint16>();
    p.SpectrumModeRateIndex = r.integer<qint16>();
    readArray(r, p.ListModeFields);
    readArray(r, p.SpectrumModeFields);
    for (float& f : p.SpectrumModeThresholds)
        f = r.float32();
    p.SpectrumRateOn = r.integer<qint16>();
    p.FreqTableName = r.fixed(PanelRecord::FreqTableNameSize);
    p.SeparatorIndex = r.integer<qint16>();
    p.PreamplifierOn = r.integer<qint16>();
    readArray(r, p.SaveImage);
    p.ImageQuality = r.integer<qint32>();
    readArray(r, p.Colors);
    p.SpectrumStartFrequency = r.float32();
    p.SpectrumStopFrequency = r.float32();
    p.SpectrumRBWIndex = r.integer<qint16>();
    p.ScanExtensionIndex = r.integer<qint16>();
    p.ShowThreshold = r.integer<qint16>();
    p.DetectorIndex = r.integer<qint16>();
    p.LayoutVersionFlag = r.integer<qint16>();
    readArray(r, p.Reserved16);
    readArray(r, p.Reserved32);
    readTexts(r, p.ReservedTexts);
    return p;
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
