#pragma once

#include <QString>
#include <QtGlobal>

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
