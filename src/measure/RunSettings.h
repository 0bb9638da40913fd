#pragma once

#include "app/Limits.h"

#include <QtGlobal>
#include <array>

// The measurement settings a List Mode run reads, taken from the panel when the run starts
// (the panel is locked during a run, so they do not change under it).
struct RunSettings {
    bool listModeOn = true;      // CHKListMode
    bool spectrumModeOn = false; // CHKSpectrumMode
    bool spectrumRateOn = true;  // CHKRateSM: Spectrum Mode at a fixed rate, not on threshold
    int listModeRate = 1;        // TBRateListMode, minutes: the report period
    // CHKCampoListMode: E, H Mode A, H Mode B.
    std::array<bool, 3> listModeFields{true, false, false};
    int detectorIndex = 0;       // CBXMedia: 0 AVG, 1 RMS
    float thresholdE = 20.0f;    // TBCampoSpectrumMode(0), V/m
    float thresholdH = 0.053f;   // TBCampoSpectrumMode(1), A/m
    int separatorIndex = 0;      // CBXSeparatore: 0 TAB, 1 ",", 2 ";"
    bool preamplifierOn = false; // ChkPre
};

// One row of the frequency table as the run uses it; frequency 0 marks an unused row.
struct TableRow {
    double frequency = 0.0; // MHz
    int rbw = 0;            // index into the RBW names
};
using TableRows = std::array<TableRow, kTableRows>;

// One station slot as the run uses it.
struct RunStation {
    int comm = 0; // 0 = slot not in use
    bool enabled = false;
    bool presentAndSelected() const { return comm != 0 && enabled; }
};
using RunStations = std::array<RunStation, kStationCount>;
