#pragma once

#include "measure/SweepRunner.h"
#include "spectrum/SpectrumFiles.h"

#include <array>
#include <functional>

class AppContext;
class FrmSpettro;
class Prompts;
class RunView;
class Session;

// The spectrum files of the program's window: a file that cannot be written asks "Cannot
// save file " with Retry and Cancel. Retry writes again; Cancel asks the program to end in
// order (the stop and exit requests, which the sweep and the run honour), never at once.
class PromptingSpectrumFiles : public SpectrumFiles {
public:
    PromptingSpectrumFiles(AppContext& ctx, Prompts& prompts);
    void setPrompts(Prompts& prompts) { prompts_ = &prompts; }
    bool saveAcquisition(const SpectrumData& data, const SweepSettings& settings,
                         const AcquisitionRecord& record) override;

private:
    AppContext& ctx_;
    Prompts* prompts_;
};

// The pictures of the spectrum files are the window's plot as shown.
void takePicturesFrom(SpectrumFiles& files, const FrmSpettro& window);

// The sweep of one station on demand (the main window's single-spectrum button): its E and
// then its H spectrum as the panel's Spectrum Mode fields choose, with the panel's sweep
// settings, shown in the spectrum window. It counts as a run while it lasts, so a close
// request only raises the requests and the program closes after it.
class SingleSweep {
public:
    enum class Result { Ignored, NoStation, Done, Failed, Stopped };

    SingleSweep(Session& session, SweepRunner& runner, FrmSpettro& window, RunView& view);

    // Sweeps the station in `slot` (used and enabled). Ignored during a run.
    Result run(int slot);
    // Spectra made of a station since the program started.
    int spectrumCount(int slot) const;

private:
    Session& session_;
    SweepRunner& runner_;
    FrmSpettro& window_;
    RunView& view_;
    std::array<int, 16> counts_{};
};
