#pragma once

#include "measure/SweepSettings.h"
#include "spectrum/SpectrumData.h"

#include <QByteArray>
#include <QString>
#include <array>

// What a spectrum file holds besides the settings and the levels.
struct SpcHeader {
    std::array<float, 2> thresholds{20.0f, 0.053f}; // E (V/m), H (A/m)
    QString HeaderLine1;
    QString HeaderLine2;
};

// The spectrum file: a fixed little-endian record, fields back to back.
namespace SpcFile {
constexpr qsizetype HeaderLineBytes = 200;
constexpr qsizetype LevelsOffset = 430;
constexpr qsizetype Size = LevelsOffset + qsizetype(SpectrumPoints) * SpectrumTraces * 4; // 64446

// The record of a spectrum. Header lines are single-byte text, blank-padded or cut to 200
// characters; a level that is not a finite, non-negative number is written as 0.
QByteArray toBytes(const SpcHeader& header, const SweepSettings& settings,
                   const SpectrumData& data);

// Reads a whole record or nothing: false, with header, settings and data untouched, unless
// bytes is exactly one record whose frequency axis can be rebuilt. On success the settings
// get SweepField, FStart, FStop, Step, Span and FCenter (the rest is kept); the data gets the
// levels (non-finite or negative ones as 0), the axis rebuilt in whole Hz, NPoints, and the
// peak and wide-band sum of the stored Total trace, latched, so the boxes show the file's
// values.
bool fromBytes(const QByteArray& bytes, SpcHeader& header, SweepSettings& settings,
               SpectrumData& data);
} // namespace SpcFile

// Rebuilds the frequency axis of a stored spectrum in whole Hz, as the acquisition built it:
// start, step and stop are rounded to whole Hz and Freq[i] = (start + i * step) / 10^6 up to
// stop, 0 beyond. Returns the number of points, or 0 (Freq untouched) when no axis of 1 to
// 4001 points can be built from them.
int rebuildFrequencyAxis(float fStart, float step, float fStop,
                         std::array<float, SpectrumPoints>& freq);

// Writes the spectrum file through the replace-on-commit writer; false when it failed.
bool SalvaStrSpettro(const QString& fileName, const SpcHeader& header,
                     const SweepSettings& settings, const SpectrumData& data);

enum class SpcLoad {
    Loaded,
    Missing, // no such file: nothing changes
    Failed,  // not a readable spectrum file: nothing changes
};

// Loads a spectrum file for review (see SpcFile::fromBytes). Only a plain file of exactly
// one record's size is read, so a device or a pipe under that name cannot hang the window.
SpcLoad CaricaStrSpettro(const QString& fileName, SpcHeader& header, SweepSettings& settings,
                         SpectrumData& data);
