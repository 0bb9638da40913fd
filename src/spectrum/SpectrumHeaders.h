#pragma once

#include "measure/SweepSettings.h"
#include "spectrum/SpectrumData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The texts that describe one spectrum: the two header lines kept in the spectrum file and
// printed on its picture, and the text listing. Numbers always use "." as decimal point.

// The unit the levels are shown in: the unit option's caption, or "mV" / "dBm" for the
// auxiliary input.
QString displayUnitText(const SpectrumData& data, const AcquisitionRecord& record);
// A level as the boxes and the listing show it (6 characters, right-aligned); for the
// auxiliary input in dBm the dBm value "0.00", or "----" for a level with no logarithm.
QString boxLevelText(float level, const SpectrumData& data, const AcquisitionRecord& record);
// The peak box: level text, a blank and the unit; the frequency box: "0.0000 MHz".
QString peakLevelText(const SpectrumData& data, const AcquisitionRecord& record);
QString peakFrequencyText(const SpectrumData& data);
// The wide-band box: the latched wide-band value as a level text, "----" when it is 0.
QString wideBandText(const SpectrumData& data, const SweepSettings& settings,
                     const AcquisitionRecord& record);

// kind 0: HeaderLine1 (RBW, station, field, peak, threshold with limit check);
// kind 1: HeaderLine2 (spectrum number, rate, date and time, firmware and release).
QString DeterminaSTDatiSpettro(const SpectrumData& data, const SweepSettings& settings,
                               const AcquisitionRecord& record, int kind);

// The listing's header of a live acquisition, one text per line (the final empty line
// included).
QStringList StampaIntFileTXTSpectrum(const SpectrumData& data, const SweepSettings& settings,
                                     const AcquisitionRecord& record);
// The listing's header of a reviewed spectrum: its two stored header lines, trimmed (control
// characters as blanks), and an empty line.
QStringList StampaIntFileTXTRivis(const QString& headerLine1, const QString& headerLine2);

// One 60-character column line: each shown field (text + separator) right-aligned to end at
// character 9, 19, 29, 39 or 49; a field longer than its slot keeps its last characters.
// A field whose text is null stays blank.
QString columnLine(const std::array<QString, 5>& fields, const QString& separator);

// The whole listing, lines ended by CR LF, as single-byte text: the header lines (the live
// header of StampaIntFileTXTSpectrum, or StampaIntFileTXTRivis for a reviewed spectrum), the
// two column titles and one line per point up to the first later point with no frequency.
// X, Y and Z are listed only for a field (not the auxiliary input) with the three axes
// shown and that axis enabled.
QByteArray spectrumListing(const QStringList& header, const SpectrumData& data,
                           const AcquisitionRecord& record);
