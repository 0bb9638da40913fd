#pragma once

#include "measure/RunSettings.h"

#include <QString>
#include <QtGlobal>

struct LetturaFreq;

// One field of a record as evaluated: the value shown and whether it reached the threshold
// that starts Spectrum Mode.
struct EvaluatedField {
    float value = 0;
    bool marked = false;
    bool operator==(const EvaluatedField&) const = default;
};

// The E and H of a record; a field that is not selected stays at zero, unmarked.
struct EvaluatedFields {
    EvaluatedField e;
    EvaluatedField h;
    bool operator==(const EvaluatedFields&) const = default;
};

// Evaluates the selected fields of a record: the mean (AVG or RMS) over count readings (taken
// as at least 1), or with instantaneous the last reading's magnitude; each marked when
// Spectrum Mode follows the List Mode threshold and the value reaches it.
EvaluatedFields evaluateFields(const LetturaFreq& r, qint32 count, bool instantaneous,
                               const RunSettings& s);
// Whether a value reaches its threshold while Spectrum Mode follows the List Mode threshold.
bool reachesThreshold(float value, float threshold, const RunSettings& s);

// "0.0000" followed by "* " when marked, else "  ".
QString fieldText(const EvaluatedField& f);

// Grid cell colours (0x00BBGGRR).
constexpr quint32 kMarkedCellColour = 0x000000FF; // red
constexpr quint32 kPlainCellColour = 0x00000000;  // black
quint32 ImpostaColorCell(const EvaluatedField& f);
