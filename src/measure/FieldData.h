#pragma once

#include "app/Limits.h"
#include "measure/FieldEvaluation.h"
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
    // The record as evaluated after its last reading (evaluateRecord).
    EvaluatedFields mean;
    EvaluatedFields shown;
};

// The block of one station: one record per table row and the count of passes of the
// current report period that read the whole table.
struct DatiCentralina {
    std::array<LetturaFreq, kTableRows> rows{};
    qint32 NumLetture = 0;
};
using DatiStazioni = std::array<DatiCentralina, kStationCount>;

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

// Evaluates a record once after its readings were stored: `mean` for the reports and the
// Spectrum Mode threshold, `shown` for the grid and the field list (the last magnitude when
// instantaneous, else the mean).
void evaluateRecord(LetturaFreq& r, const RunSettings& s, bool instantaneous);

// Rows in use of the table whose record is valid.
int ControllaDatiCompleti(const DatiCentralina& d, const TableRows& table);
int countRowsInUse(const TableRows& table);
