#pragma once

#include "measure/RunSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Which fields a reading covers. When both H modes are on, Mode A is the one read.
struct FieldSelection {
    bool e = false;
    bool hModeA = false;
    bool hModeB = false;

    static FieldSelection from(const RunSettings& s);
    bool h() const { return hModeA || hModeB; }
    bool any() const { return e || h(); }
};

// One component to read: its select command (8 bytes) and display name.
struct ComponentSelect {
    QByteArray command;
    QString name;
};

// The nine component select commands "#00~C" + code byte + range byte + "*", in the order
// Ex Ey Ez, Hx Hy Hz (Mode B), Hx Hy Hz (Mode A).
const std::array<ComponentSelect, 9>& componentSelectCommands();
// The components read for one record under a field selection, in reading order.
std::vector<ComponentSelect> componentsFor(const FieldSelection& fields);

// The evaluation record of one station at one frequency table row.
struct LetturaFreq {
    float Ex = 0, Ey = 0, Ez = 0;
    float ExQ = 0, EyQ = 0, EzQ = 0;
    float Hx = 0, Hy = 0, Hz = 0;
    float HxQ = 0, HyQ = 0, HzQ = 0;
    float SomCampoE = 0; // AVG: sum of magnitudes; RMS: sum of squared magnitudes
    float ModQE = 0;
    float SomCampoH = 0;
    float ModQH = 0;
    bool DatoValido = false; // read successfully in the current pass over the table
    // Readings that went into SomCampoE/SomCampoH. Each row keeps its own count so a reading
    // missed by a failed station never skews the mean of rows it did read.
    qint32 NumSomme = 0;
};

// The block of one station: one record per table row and the count of passes of the
// current report period that read the whole table.
struct DatiCentralina {
    std::array<LetturaFreq, 100> rows{};
    qint32 NumLetture = 0;
};
using DatiStazioni = std::array<DatiCentralina, 16>;

// Stores one component reading at its position in the component list; the square is
// computed in double and stored as single. Any other position stores nothing.
void InizSomCampoEH(LetturaFreq& r, int position, float value);
void InizSomCampoE(LetturaFreq& r, int position, float value);
void InizSomCampoH(LetturaFreq& r, int position, float value);
// The store function for a selection.
void storeComponent(LetturaFreq& r, const FieldSelection& fields, int position, float value);

// After all components of a record were read: adds (or, when the sums restart, sets) the
// increment of each selected field and updates ModQE/ModQH. RMS adds the squared magnitude,
// AVG the magnitude.
void updateAccumulators(LetturaFreq& r, const FieldSelection& fields, bool rms, bool accumulate);

// "  " or, when Spectrum Mode is triggered by the List Mode threshold and value >= threshold,
// "* ".
QString SegnaSupSoglia(float value, float threshold, const RunSettings& s);

struct FieldTexts {
    QString e; // empty when E is not selected
    QString h; // empty when H is not selected
};
// The evaluated E and H of a record as "0.0000" + mark. count is the number of readings in
// the sums (taken as at least 1); instantaneous shows the last reading's magnitude.
FieldTexts FormattaSTConZeri(const LetturaFreq& r, qint32 count, bool instantaneous,
                             const RunSettings& s);
// The evaluated mean (AVG or RMS) of one field of a record, as used for reports and for the
// Spectrum Mode threshold test. field 0 = E, 1 = H.
double evaluatedMean(const LetturaFreq& r, int field, const RunSettings& s);

// Rows in use of the table whose record is valid.
int ControllaDatiCompleti(const DatiCentralina& d, const TableRows& table);
int countRowsInUse(const TableRows& table);

// Whether a field exchange goes to the event log: 0 no, 1 yes, 2 yes (selected by frequency),
// following the "/SEGNAFIELD" selection of the command line.
int DeterminaFieldDaSegnare(const QString& commandLine, const QString& componentName,
                            double frequency);

// Grid cell colours (0x00BBGGRR).
constexpr quint32 kMarkedCellColour = 0x000000FF; // red
constexpr quint32 kPlainCellColour = 0x00000000;  // black
quint32 ImpostaColorCell(const QString& text);
