#pragma once

#include "spectrum/SpectrumFileSink.h"

#include "measure/SweepSettings.h"
#include "spectrum/SpectrumData.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>

class Clock;

// Every occurrence of one of ".,+[]\/|=*^:;<>?" in name replaced by "_".
QString SostituisciCErrati(const QString& name);

// Deletes the plain files directly in appDir whose names match pattern (a wildcard such as
// "__Sweep.*"); never a folder, a link or anything below appDir. Failures are ignored.
void RemoveFile(const QString& appDir, const QString& pattern = QStringLiteral("__Sweep.*"));

// The picture of the plot with the two header lines printed on it, starting at topLeft (the
// second line directly below the first), in black or white, whichever stands out from the
// plot there. Text needs a GUI application for its fonts; without one the plot is left bare.
QImage pictureWithHeader(const QImage& plot, const QStringList& headerLines, QPointF topLeft);

// Writes image as a JPEG of the given quality (0..100) or as a bitmap, through the
// replace-on-commit writer; false when it could not be encoded or written.
bool saveImageFile(const QString& fileName, const QImage& image, bool jpeg, int quality = 100);

// Writes the text listing (see spectrumListing) through the replace-on-commit writer.
bool SalvaTestoSpettro(const QString& fileName, const QStringList& header, const SpectrumData& data,
                       const AcquisitionRecord& record);

// The files of one finished acquisition: the picture (when asked for), the text listing and
// the spectrum file, all under
//   AppDir + "Test/" + serial + "/YYYY/MM/DD/SM_" + FilePrefix + time-name
// for the serial read from the probe and the date the acquisition started, so a sweep that
// runs past midnight stays with its start. The day folder is made just before writing.
class SpectrumFiles : public SpectrumFileSink {
public:
    // The plot as shown, and where a point (frequency in MHz, level in dB) of it lies in the
    // image. Without a mapping the header lines go into the top-left band of the picture.
    using PictureSource = std::function<QImage()>;
    using PlotMapping = std::function<QPointF(double frequencyMHz, double dB)>;

    SpectrumFiles(QString appDir, const Clock& clock);

    void setPictureSource(PictureSource source, PlotMapping mapping = {});

    // The base name (no extension) of an acquisition's files; empty when the serial is not
    // a valid serial number or the start date is unknown.
    QString baseName(const SpectrumData& data, const AcquisitionRecord& record) const;

    // Writes the picture (JPG when the JPEG option is set, else BMP when the bitmap option
    // is), then the TXT listing, then the SPC file. False when any of them could not be
    // written or there is no valid place to write them; whatever could be written is kept.
    bool saveAcquisition(const SpectrumData& data, const SweepSettings& settings,
                         const AcquisitionRecord& record) override;
    void removeTemporaryFiles() override { RemoveFile(appDir_); }

    // The spectrum file of the last acquisition saved; empty before the first.
    QString lastSpectrumFile() const { return lastSpectrumFile_; }

private:
    bool savePicture(const QString& base, const SpectrumData& data, const SweepSettings& settings,
                     const AcquisitionRecord& record) const;

    QString appDir_;
    const Clock& clock_;
    PictureSource pictureSource_;
    PlotMapping mapping_;
    QString lastSpectrumFile_;
};
