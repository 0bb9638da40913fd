#include "views/SingleSweep.h"

#include "app/AppContext.h"
#include "measure/LinkProbeIo.h"
#include "measure/RunView.h"
#include "measure/Session.h"
#include "views/FrmSpettro.h"
#include "views/Prompts.h"

#include <algorithm>

PromptingSpectrumFiles::PromptingSpectrumFiles(AppContext& ctx, Prompts& prompts)
    : SpectrumFiles(ctx.appDir, ctx.clock), ctx_(ctx), prompts_(&prompts) {}

bool PromptingSpectrumFiles::saveAcquisition(const SpectrumData& data,
                                             const SweepSettings& settings,
                                             const AcquisitionRecord& record) {
    for (;;) {
        if (SpectrumFiles::saveAcquisition(data, settings, record)) return true;
        if (prompts_->retryCannotSave(baseName(data, record))) continue;
        // Cancel: the program ends, in order, once the sweep and any run have stopped.
        ctx_.flags.ExitRequest = true;
        ctx_.flags.StopRequest = true;
        return false;
    }
}

void takePicturesFrom(SpectrumFiles& files, const FrmSpettro& window) {
    files.setPictureSource(
        [&window] { return window.plotPicture(); },
        [&window](double mhz, double db) { return window.plotPosition(mhz, db); });
}

SingleSweep::SingleSweep(Session& session, SweepRunner& runner, FrmSpettro& window, RunView& view)
    : session_(session), runner_(runner), window_(window), view_(view) {}

int SingleSweep::spectrumCount(int slot) const {
    return slot >= 0 && slot < int(counts_.size()) ? counts_[size_t(slot)] : 0;
}

SingleSweep::Result SingleSweep::run(int slot) {
    AppContext& ctx = session_.context();
    RunFlags& flags = ctx.flags;
    if (flags.MeasurementRunning) return Result::Ignored;
    const PanelRecord& panel = session_.panelModel().panel();
    if (slot < 0 || slot >= int(counts_.size()) || !panel.Stations[size_t(slot)].isEnabled())
        return Result::NoStation;

    session_.panelModel().store();
    // The sweep is a run while it lasts: a close request raises the requests and waits.
    flags.MeasurementRunning = true;
    flags.StopRequest = false;
    flags.SweepStop = false;
    window_.applyPanel(panel);

    LinkProbeIo io(session_.link());
    view_.highlightStation(slot);
    io.setCurrentStation(slot, QString());
    io.CloseStationPort();
    io.OpenStationPort(panel.Stations[size_t(slot)].Comm);
    Result result = Result::Failed;
    QString serial;
    if (!io.linkFailed(slot)) serial = io.ReadSerialNumber();
    if (!io.linkFailed(slot) && io.isValidSerialNumber(serial)) {
        view_.setSerialCell(slot, serial);
        io.setCurrentStation(slot, serial);
        result = Result::Done;
        for (int field = 0; field < 2 && result == Result::Done; ++field) {
            if (panel.SpectrumModeFields[size_t(field)] == 0) continue;
            SweepSettings settings;
            settings.setRange(panel.SpectrumStartFrequency, panel.SpectrumStopFrequency);
            settings.RbwIndex = qint16(std::clamp<int>(panel.SpectrumRBWIndex, 0, 5));
            settings.SweepField = qint16(field);
            settings.limitCheck = false;
            AcquisitionRecord record;
            record.stationId = serial;
            record.spectrumCount = counts_[size_t(slot)];
            record.thresholds = panel.SpectrumModeThresholds;
            record.separatorIndex = std::clamp<int>(panel.SeparatorIndex, 0, 2);
            record.saveBitmap = panel.SaveImage[0] != 0;
            record.saveJpeg = panel.SaveImage[1] != 0;
            record.jpegQuality = std::clamp<int>(panel.ImageQuality, 0, 100);
            const SweepChoice choice = window_.choiceFor(field);
            window_.attachRecord(&record);
            const SweepOutcome outcome = runner_.runAcquisition(slot, settings, record, choice);
            window_.attachRecord(nullptr);
            switch (outcome) {
            case SweepOutcome::Done:
                ++counts_[size_t(slot)];
                break;
            case SweepOutcome::ManualStop:
                result = Result::Stopped;
                break;
            default:
                result = Result::Failed;
                break;
            }
        }
    }
    io.CloseStationPort();
    flags.MeasurementRunning = false;
    flags.StopRequest = false;
    return result;
}
