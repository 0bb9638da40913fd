#pragma once

#include "panel/PanelRecord.h"

#include <QString>

class Switches;

// The rules of the measure-settings dialog, on the panel record alone: the numeric boxes with
// their ranges, the check-box rules, the enable rules and the change test against the copy
// kept when the dialog opened. The dialog only shows the record and forwards clicks here.
namespace MeasureSettings {

// The numeric boxes.
enum class Box { ListModeRate, ThresholdE, ThresholdH, Start, Stop, Quality };

struct BoxRange {
    double low;
    double high;
    int keypadMode;
    bool whole;    // a whole-number field
    bool absolute; // negative input counts as its absolute value
};

// The range of a box; the span boxes end at the upper limit of the List Mode fields.
BoxRange boxRange(const PanelRecord& p, Box box);
// The stored value of a box as the box shows it: "." as decimal point, a single-precision
// value by its own shortest text (0.053, never 0.052999999821186066).
QString boxText(const PanelRecord& p, Box box);

// Takes a typed text into a box's field (read, clamped to the range, converted). The span
// boxes take both texts together and adjust the pair; the RBW then follows the span unless
// "/NOLIMITRBW" is on. False, with nothing changed, when the field would keep its value.
bool takeBox(PanelRecord& p, Box box, const QString& text, const Switches& switches);
bool takeSpan(PanelRecord& p, const QString& startText, const QString& stopText,
              const Switches& switches);

// Adjusts the span for the List Mode fields' upper limit and, unless "/NOLIMITRBW", chooses
// the RBW from it.
void followSpan(PanelRecord& p, const Switches& switches);

// `ControllaCHKLMSM`: the mode box `clicked` (0 List Mode, 1 Spectrum Mode) is set to `on`;
// when both are then off, the other one is switched on again.
void ControllaCHKLMSM(PanelRecord& p, int clicked, bool on);
// `ControllaCHKLM`: List Mode field `clicked` (0 E, 1 H Mode A, 2 H Mode B) is set to `on`;
// at least one stays on (the next after the clicked one), the two H modes exclude each
// other (the clicked one wins), the Spectrum Mode fields follow, and the span is adjusted
// again for the new upper limit.
void ControllaCHKLM(PanelRecord& p, int clicked, bool on, const Switches& switches);
// A click on Spectrum Mode field `clicked` (0 E, 1 H): a field List Mode does not measure is
// switched off.
void clickSpectrumField(PanelRecord& p, int clicked, bool on);
// `ControllaCHKSaveImage`: image option `clicked` (0 BMP, 1 JPG) is set; the two exclude each
// other, the clicked one wins; both may be off.
void ControllaCHKSaveImage(PanelRecord& p, int clicked, bool on);

// Which controls are enabled.
struct Enables {
    bool spectrumMode = false;     // the Spectrum Mode frame and its controls
    bool rateSM = false;           // CHKRateSM
    bool listMode = false;         // FrmFieldListMode, CHKCampoListMode, FrmRateListMode...
    bool thresholds = false;       // TBCampoSpectrumMode and CHKCampoSpectrumMode
    bool rateSpectrumMode = false; // CBXRateSpectrumMode
    bool rbwList = false;          // CBXRBWSpectrumMode
    bool quality = false;          // SLDFactorQuality and TBQualita
};

// `AbDisabControlli` with `AbDisabThresholdSM`: without List Mode the threshold trigger is
// impossible, so `SpectrumRateOn` is switched on (the only change it makes to the record).
Enables AbDisabControlli(PanelRecord& p, const Switches& switches);

// `ControllaVarParMeasure`: true when any measurement setting differs from the snapshot.
bool ControllaVarParMeasure(const PanelRecord& p, const PanelRecord& snapshot);

// `CMBDefaultColor`: the new-panel defaults of every measurement setting, colours included;
// stations, the table name and the fields the panel keeps stay.
void CMBDefaultColor(PanelRecord& p, const Switches& switches);

} // namespace MeasureSettings
