#pragma once

#include "app/DialogBackup.h"
#include "panel/MeasureSettings.h"
#include "panel/PanelRecord.h"
#include "views/widgets/Appearance.h"

#include <QDialog>

#include <QByteArray>
#include <functional>
#include <optional>

class AppContext;
class PanelModel;
class Prompts;
class LB_OCX;
class XPButton;
class XPCheck;
class XPFrame;
class XPText;
class QComboBox;
class QSlider;
class QSpinBox;

// The measure-settings dialog (`FrmMeasure`). Each edit goes through the measure-settings
// rules into the panel and its file at once; Cancel, Esc and the close box put back the panel
// of the moment the dialog opened: the record (Undo's copy is left alone) and the file's
// exact bytes.
class FrmMeasure : public QDialog {
    Q_OBJECT
public:
    FrmMeasure(AppContext& ctx, PanelModel& panel, Prompts& prompts, const AppearanceValues& look,
               QWidget* parent = nullptr);
    ~FrmMeasure() override;

    XPCheck* CHKListMode() const { return chkListMode_; }
    XPCheck* CHKSpectrumMode() const { return chkSpectrumMode_; }
    XPText* TBRateListMode() const { return tbRate_; }
    QComboBox* CBXRateSpectrumMode() const { return cbxRateSM_; }
    XPCheck* CHKCampoListMode(int i) const { return chkFieldLM_[i]; }
    XPCheck* CHKCampoSpectrumMode(int i) const { return chkFieldSM_[i]; }
    XPText* TBCampoSpectrumMode(int i) const { return tbThreshold_[i]; }
    XPCheck* CHKRateSM() const { return chkRateSM_; }
    XPText* TBFStartSpectrumMode() const { return tbStart_; }
    XPText* TBFStopSpectrumMode() const { return tbStop_; }
    QComboBox* CBXRBWSpectrumMode() const { return cbxRbw_; }
    XPCheck* ChkPre() const { return chkPre_; }
    QComboBox* CBXMedia() const { return cbxMedia_; }
    QComboBox* CBXSeparatore() const { return cbxSeparator_; }
    XPCheck* CHKSaveImage(int i) const { return chkSaveImage_[i]; }
    QSlider* SLDFactorQuality() const { return sldQuality_; }
    XPText* TBQualita() const { return tbQuality_; }
    LB_OCX* LbColor(int i) const { return lbColor_[i]; }
    XPFrame* FrmFieldListMode() const { return frmFieldLM_; }
    XPFrame* FrmRateListMode() const { return frmRateLM_; }
    // The exposure table and alarm level, kept in the panel's side file (not the panel file).
    QComboBox* CBXLimits() const { return cbxLimits_; }
    QSpinBox* SBAlarm() const { return sbAlarm_; }
    XPButton* CMBOK() const { return ok_; }
    XPButton* CMBCancel() const { return cancel_; }
    XPButton* CMBDefaultColor() const { return default_; }

    // `RipristinaParMeasure` and close: the Cancel route, also for Esc and the close box.
    void reject() override;
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    QWidget* buildExposure();
    void saveExposure();
    bool exposureChanged() const;
    XPText* numberBox(QWidget* parent, const QString& name, MeasureSettings::Box box);
    // Applies a change to a copy of the record; stores it only when something changed.
    void edit(const std::function<void(PanelRecord&)>& change);
    // Takes a number box's text as its value.
    void take(XPText* box);
    void openKeypad(XPText* box);
    void chooseColour(int i);
    // `VisualizzaParMeasure`, the enable rules and `ControllaVarParMeasure`.
    void refresh();
    void showValues();
    MeasureSettings::Box boxOf(const XPText* box) const;

    AppContext& ctx_;
    PanelModel& panel_;
    Prompts& prompts_;
    PanelRecord snapshot_;
    DialogBackup backup_;
    bool closing_ = false;

    XPCheck* chkListMode_ = nullptr;
    XPCheck* chkSpectrumMode_ = nullptr;
    XPText* tbRate_ = nullptr;
    QComboBox* cbxRateSM_ = nullptr;
    XPCheck* chkFieldLM_[3] = {};
    XPCheck* chkFieldSM_[2] = {};
    XPText* tbThreshold_[2] = {};
    XPCheck* chkRateSM_ = nullptr;
    XPText* tbStart_ = nullptr;
    XPText* tbStop_ = nullptr;
    QComboBox* cbxRbw_ = nullptr;
    XPCheck* chkPre_ = nullptr;
    QComboBox* cbxMedia_ = nullptr;
    QComboBox* cbxSeparator_ = nullptr;
    XPCheck* chkSaveImage_[2] = {};
    QSlider* sldQuality_ = nullptr;
    XPText* tbQuality_ = nullptr;
    LB_OCX* lbColor_[4] = {};
    XPFrame* frmFieldLM_ = nullptr;
    XPFrame* frmRateLM_ = nullptr;
    XPFrame* frmSpectrum_ = nullptr;
    XPButton* ok_ = nullptr;
    XPButton* cancel_ = nullptr;
    XPButton* default_ = nullptr;
    QList<QWidget*> spectrumControls_;
    QComboBox* cbxLimits_ = nullptr;
    QSpinBox* sbAlarm_ = nullptr;
    QString exposurePath_;
    std::optional<QByteArray> exposureBytes_; // the side file at opening; empty: none
};
