#pragma once

#include "measure/SweepSettings.h"

#include <array>

// What the spectrum window's own controls choose for an acquisition.
struct SweepChoice {
    int fieldType = 0;   // 0 E field, 1 H field Mode A, 2 H field Mode B, 3 auxiliary input
    bool preamp = false; // the preamplifier box
    std::array<bool, 3> axes{true, true, true}; // X, Y, Z; none ticked sweeps all three
};

// Runs one acquisition of one station and reports how it ended. Spectrum Mode and the single
// sweep call it without knowing the spectrum layer behind it.
class SweepRunner {
public:
    virtual ~SweepRunner() = default;
    // The station in `slot` has its port open. Reads the probe's firmware, sweeps, and on
    // success hands the spectrum to the files. settings.Step is set to the step actually swept;
    // record gets the start date, time and firmware, the rest of it is the caller's.
    virtual SweepOutcome runAcquisition(int slot, SweepSettings& settings,
                                        AcquisitionRecord& record, const SweepChoice& choice) = 0;
};
