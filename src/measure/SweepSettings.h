#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <array>

// What Spectrum Mode (or the single sweep) asks of one acquisition. Written by the scheduler
// before each sweep, read by the acquisition, the spectrum files and the display; kept below
// the spectrum layer so that the scheduler needs nothing of it.
struct SweepSettings {
    float FStart = 0.009f; // MHz
    float FStop = 30.0f;   // MHz
    float Span = 29.991f;  // FStop - FStart
    float FCenter = 15.0045f;
    qint16 RbwIndex = 0;     // row of RbwTable()
    float Step = 0.0f;       // MHz, set by the acquisition (whole Hz)
    qint16 SweepField = 0;   // 0 E field, 1 H field
    bool limitCheck = false; // Spectrum Mode on threshold: the headers carry the threshold
    QString ReviewFile;      // empty for a live acquisition

    void setRange(float start, float stop) {
        FStart = start;
        FStop = stop;
        Span = stop - start;
        FCenter = (start + stop) / 2.0f;
    }
};

// How one acquisition ended.
enum class SweepOutcome {
    Done,       // three passes made, files written
    Failed,     // "Start Sweep Spectrum failed": station marked as not answering
    ManualStop, // sweep stop flag or the run's stop request
    NoFirmware, // the firmware text was empty: nothing swept
};

// What the files and header lines of one acquisition need besides the spectrum itself.
// Filled by the acquisition (start date and time, firmware) and by whoever asked for it
// (station identity, counter, rate, thresholds and the measurement settings' file options).
struct AcquisitionRecord {
    QString stationId;      // the station's serial number as read from the probe (validated)
    QDate date;             // start of the acquisition: its files go under this date
    QString dateText;       // "yyyy/MM/dd"
    QString timeText;       // "hh:mm:ss"
    QString firmware;       // as ReadFirmware returned it
    int spectrumCount = 0;  // spectra of this station made before this one in the run
    QString rateText;       // empty unless the sweep was made by a rate turn
    std::array<float, 2> thresholds{20.0f, 0.053f}; // E (V/m), H (A/m)
    int separatorIndex = 0; // 0 TAB, 1 ",", 2 ";"
    bool saveBitmap = false;
    bool saveJpeg = false;
    int jpegQuality = 100;
    int unitCode = 0;       // display unit (0..2 E, 10..13 H)
    bool showXYZ = true;
    bool auxInDbm = false;
};
