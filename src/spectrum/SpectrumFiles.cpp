#include "spectrum/SpectrumFiles.h"

#include "app/SaveWholeFile.h"
#include "app/TestDirs.h"
#include "link/ProbeCommands.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumHeaders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// Where the header lines go on the plot: a tenth into the band, 17 dB up.
constexpr double kHeaderAtSpan = 0.1;
constexpr double kHeaderAtDb = 17.0;

QDate startDate(const AcquisitionRecord& record) {
    if (record.date.isValid()) return record.date;
    return QDate::fromString(record.dateText, QStringLiteral("yyyy/MM/dd"));
}

// The day folder of the acquisition's start, named as the result tree names it.
TestDirs dayFolder(const QString& appDir, const Clock& clock, const QString& station, QDate date) {
    TestDirs dirs(appDir, clock);
    dirs.TestName = station;
    dirs.TestYearDir = date.toString(QStringLiteral("yyyy")) + QLatin1Char('/');
    dirs.TestMonthDir = date.toString(QStringLiteral("MM")) + QLatin1Char('/');
    dirs.TestDayDir = date.toString(QStringLiteral("dd")) + QLatin1Char('/');
    return dirs;
}

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// Mean brightness (0..255) of the image inside rect, from a coarse grid of samples.
double brightness(const QImage& image, const QRect& rect) {
    const QRect r = rect.intersected(image.rect());
    if (r.isEmpty()) return 255.0;
    double sum = 0.0;
    int n = 0;
    const int stepX = std::max(1, r.width() / 16);
    const int stepY = std::max(1, r.height() / 4);
    for (int y = r.top(); y <= r.bottom(); y += stepY)
        for (int x = r.left(); x <= r.right(); x += stepX, ++n)
            sum += qGray(image.pixel(x, y));
    return sum / n;
}
} // namespace

QString SostituisciCErrati(const QString& name) {
    static const QString bad = QStringLiteral(".,+[]\\/|=*^:;<>?");
    QString out = name;
    for (QChar& c : out)
        if (bad.contains(c)) c = QLatin1Char('_');
    return out;
}

void RemoveFile(const QString& appDir, const QString& pattern) {
    if (pattern.contains(QLatin1Char('/')) || pattern.contains(QLatin1Char('\\'))) return;
    const QDir dir(appDir);
    const QFileInfoList found =
        dir.entryInfoList({pattern}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo& info : found)
        if (info.isFile() && !info.isSymLink()) QFile::remove(info.absoluteFilePath());
}

QImage pictureWithHeader(const QImage& plot, const QStringList& headerLines, QPointF topLeft) {
    QImage image = plot.convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return image;
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(std::clamp(image.height() / 45, 10, 16));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    QRectF band(topLeft, QSizeF(0.0, metrics.height() * headerLines.size()));
    for (const QString& line : headerLines)
        band.setWidth(std::max(band.width(), metrics.horizontalAdvance(line)));
    painter.setPen(brightness(image, band.toAlignedRect()) < 128.0 ? Qt::white : Qt::black);
    double y = topLeft.y();
    for (const QString& line : headerLines) {
        painter.drawText(QPointF(topLeft.x(), y + metrics.ascent()), line);
        y += metrics.height();
    }
    return image;
}

bool saveImageFile(const QString& fileName, const QImage& image, bool jpeg, int quality) {
    const QByteArray bytes =
        jpeg ? encoded(image, "JPG", std::clamp(quality, 0, 100)) : encoded(image, "BMP", -1);
    return !bytes.isEmpty() && saveWholeFile(fileName, bytes);
}

bool SalvaTestoSpettro(const QString& fileName, const QStringList& header, const SpectrumData& data,
                       const AcquisitionRecord& record) {
    return saveWholeFile(fileName, spectrumListing(header, data, record));
}

SpectrumFiles::SpectrumFiles(QString appDir, const Clock& clock)
    : appDir_(std::move(appDir)), clock_(clock) {}

void SpectrumFiles::setPictureSource(PictureSource source, PlotMapping mapping) {
    pictureSource_ = std::move(source);
    mapping_ = std::move(mapping);
}

QString SpectrumFiles::baseName(const SpectrumData& data, const AcquisitionRecord& record) const {
    // Only a serial read from a probe names a folder, never other probe text.
    if (!ProbeCommands::IsValidSerialNumber(record.stationId) ||
        !TestDirs::isSafeName(record.stationId))
        return {};
    const QDate date = startDate(record);
    const QString name =
        QStringLiteral("SM_") + data.FilePrefix + SostituisciCErrati(record.timeText);
    if (!date.isValid() || !TestDirs::isSafeName(name)) return {};
    return dayFolder(appDir_, clock_, record.stationId, date).dayDir() + name;
}

bool SpectrumFiles::savePicture(const QString& base, const SpectrumData& data,
                                const SweepSettings& settings,
                                const AcquisitionRecord& record) const {
    const QImage plot = pictureSource_ ? pictureSource_() : QImage();
    if (plot.isNull()) return false;
    QPointF at(plot.width() * kHeaderAtSpan, 4.0);
    if (mapping_) {
        const QPointF mapped =
            mapping_(settings.FStart + kHeaderAtSpan * (double(settings.FStop) - settings.FStart),
                     kHeaderAtDb);
        if (std::isfinite(mapped.x()) && std::isfinite(mapped.y()) &&
            plot.rect().contains(mapped.toPoint()))
            at = mapped;
    }
    const QImage picture = pictureWithHeader(plot,
                                             {DeterminaSTDatiSpettro(data, settings, record, 0),
                                              DeterminaSTDatiSpettro(data, settings, record, 1)},
                                             at);
    // With the JPEG option only the JPEG is kept, whatever the bitmap option says.
    return saveImageFile(base + (record.saveJpeg ? QStringLiteral(".JPG") : QStringLiteral(".BMP")),
                         picture, record.saveJpeg, record.jpegQuality);
}

bool SpectrumFiles::saveAcquisition(const SpectrumData& data, const SweepSettings& settings,
                                    const AcquisitionRecord& record) {
    const QString base = baseName(data, record);
    if (base.isEmpty()) return false;
    // The folder is made now, for the date the acquisition started.
    if (dayFolder(appDir_, clock_, record.stationId, startDate(record))
            .MakeTestDirectories()
            .isEmpty())
        return false;

    bool ok = true;
    if (record.saveBitmap || record.saveJpeg) ok = savePicture(base, data, settings, record) && ok;
    ok = SalvaTestoSpettro(base + QStringLiteral(".TXT"),
                           StampaIntFileTXTSpectrum(data, settings, record), data, record) &&
         ok;

    SpcHeader header;
    header.thresholds = record.thresholds;
    header.HeaderLine1 = DeterminaSTDatiSpettro(data, settings, record, 0);
    header.HeaderLine2 = DeterminaSTDatiSpettro(data, settings, record, 1);
    const QString spc = base + QStringLiteral(".SPC");
    if (SalvaStrSpettro(spc, header, settings, data))
        lastSpectrumFile_ = spc;
    else
        ok = false;
    return ok;
}
