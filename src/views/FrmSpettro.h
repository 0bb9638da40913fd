#pragma once

#include "measure/SweepRunner.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumDisplay.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SweepView.h"

#include <QRegion>
#include <QWidget>
#include <array>
#include <functional>

class AppContext;
class Prompts;
struct PanelRecord;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The plot of the spectrum window: shows the painter's picture, repaints only what it is told
// changed, and hands the pointer, the wheel and the keys to the window.
class SpectrumPlot : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumPlot(const SpectrumPainter& painter, QWidget* parent = nullptr);
    // Area of the plot repainted since the last reset, in pixels (the paint events' regions).
    qint64 paintedArea() const { return paintedArea_; }
    void resetPaintedArea() { paintedArea_ = 0; }

signals:
    void resized(QSize size);
    void pressed(QPointF at, Qt::MouseButton button);
    void dragged(QPointF at, bool leftHeld);
    void wheelTurned(int steps);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    const SpectrumPainter& painter_;
    qint64 paintedArea_ = 0;
    int wheelRest_ = 0;
};

// The spectrum window (FrmSpettro): follows a live acquisition point by point as its
// SweepView, or shows a saved spectrum for review. It paints the display model through the
// layered painter and forwards its controls: settings changes ask the acquisition for a
// restart, marker, peak search and zoom go to the display model.
class FrmSpettro : public QWidget, public SweepView {
    Q_OBJECT
public:
    // data is the spectrum the window shows: the acquisition's own (SweepAcquisition::data()).
    FrmSpettro(AppContext& ctx, SpectrumData& data, Prompts& prompts, QWidget* parent = nullptr);
    ~FrmSpettro() override;

    void setPrompts(Prompts& prompts) { prompts_ = &prompts; }

    // The window's state at load from the panel's measurement settings: field from the List
    // Mode choice, preamplifier, thresholds and "Show Threshold", trace colours, picture
    // quality and the field choice for H sweeps.
    void applyPanel(const PanelRecord& panel);

    // What an acquisition of field `sweepField` (0 E, 1 H) takes from the window's controls.
    // The field option follows the sweep: E, or H in the mode the List Mode fields choose.
    SweepChoice choiceFor(int sweepField);
    // The display options an acquisition writes into its files (unit, X/Y/Z, dBm). The window
    // keeps the record up to date while the acquisition runs, so a unit changed during it
    // reaches its files; forget it with nullptr when the acquisition is over.
    void attachRecord(AcquisitionRecord* record);
    int unitCode() const { return display_.unitCode(); }
    // The level texts and full-scale rule of the unit shown now, for the acquisition.
    std::function<QString(float)> levelTextRule() const;
    std::function<float(float)> refLevelRule() const;

    // Review of a saved spectrum (ReviewFile): loads it, lays the window out for review and
    // draws it. A file that cannot be read asks "Failed loading" with Retry and Cancel;
    // Cancel abandons the load and the window keeps what it showed. False when nothing was
    // loaded (also for a missing file).
    bool review(const QString& reviewFile);
    const QString& reviewFile() const { return reviewFile_; }
    bool reviewing() const { return display_.reviewing(); }
    // "Save Spectrum As": asks for a name (Bitmap, JPEG, Text) and writes the reviewed spectrum.
    void CMBSaveSpectrumAs_Click();
    // Writes the reviewed spectrum under fileName by its extension (BMP, JPG, TXT); a failed
    // write asks "Cannot save file " with Retry and Cancel. Only inside the application
    // directory. False when nothing was written.
    bool saveSpectrumAs(const QString& fileName);
    // "Exit": the sweep stop flag, and the window goes.
    void CMBExit_Click();

    // The picture of the plot as a saved spectrum shows it (the header lines of a review).
    QImage plotPicture(QSize size = {}) const;
    // Where a point (MHz, dB) of that picture lies, for the header lines of the files.
    QPointF plotPosition(double frequencyMHz, double dB) const;

    // --- SweepView
    void setCaption(const QString& caption) override;
    void preparePlot(const SweepSettings& settings, const AcquisitionRecord& record,
                     const SpectrumData& data) override;
    void showAxis(int axis) override;
    void sweepStarted(const SpectrumData& data) override;
    void passStarted(const SpectrumData& data) override;
    void setTuning(const QString& text, const TuningColours& colours) override;
    void pointDecoded(const SpectrumData& data, int index, bool boxesChanged) override;
    void showSweepCursor(bool visible) override;
    void wideBandChanged(const SpectrumData& data) override;
    void restarting() override;
    void finished(SweepOutcome outcome) override;

    // What a test or a picture looks at.
    const SpectrumDisplay& display() const { return display_; }
    SpectrumDisplay& display() { return display_; }
    const SpectrumPainter& painter() const { return painter_; }
    SpectrumPlot* plot() const { return plot_; }
    bool live() const { return live_; }
    QLabel* label(const QString& objectName) const;
    QAbstractButton* button(const QString& objectName) const;
    QScrollBar* SBSweep() const { return sbSweep_; }
    // Called after each acquisition has ended, before the window hides.
    std::function<void(SweepOutcome)> onFinished;

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildLayout();
    QGroupBox* buildFieldFrame();
    QGroupBox* buildUnitFrame();
    QGroupBox* buildAxisFrame();
    QGroupBox* buildMarkerFrame();
    void connectControls();
    // A control changed what the acquisition sweeps: during one it starts again.
    void settingsChanged();
    void fieldChosen(int fieldType);
    void unitChosen(int option);
    void axisToggled(int axis, bool on);
    void syncControls();
    void syncRecord();
    // The level drawn at 0 dB for the field, preamplifier and unit shown (review and idle).
    void rescale();
    void redrawAll();
    void overlayChanged();
    void frameDue();
    void showFrame();
    void updateBoxes();
    void updateMarkerBoxes();
    void updateScrollBar();
    void markerMoved();
    void plotResized(QSize size);
    void plotPressed(QPointF at, Qt::MouseButton button);
    void plotDragged(QPointF at, bool leftHeld);
    void wheelTurned(int steps);
    bool insideAppDir(const QString& fileName) const;

    AppContext& ctx_;
    SpectrumData& data_;
    Prompts* prompts_;
    SpectrumDisplay display_;
    SpectrumPainter painter_;
    AcquisitionRecord* record_ = nullptr;
    SweepSettings reviewSettings_;
    SpcHeader reviewHeader_;
    QString reviewFile_;
    bool live_ = false;
    bool hModeA_ = false;
    bool preampSetting_ = false;
    int jpegQuality_ = 100;
    int separatorIndex_ = 0;
    bool syncing_ = false;
    TuningColours tuningColours_{};
    // What the points of a sweep changed since the screen last followed.
    QRegion dirty_;
    QString tuningText_;
    bool boxesPending_ = false;
    double lastFrame_ = -1.0;

    SpectrumPlot* plot_ = nullptr;
    QLabel* lbFtune_ = nullptr;
    QLabel* lbAxis_ = nullptr;
    QLabel* pnlLevel_ = nullptr;
    QLabel* pnlFreq_ = nullptr;
    QLabel* wideBox_ = nullptr;
    QLabel* spanBox_ = nullptr;
    QLabel* lbFreqMarker_ = nullptr;
    QLabel* lbLevMarker_ = nullptr;
    QButtonGroup* optField_ = nullptr;
    QButtonGroup* optUnit_ = nullptr;
    QButtonGroup* optUnitAux_ = nullptr;
    QButtonGroup* optXYZ_ = nullptr;
    QGroupBox* frmUnit_ = nullptr;
    QGroupBox* frmUnitAux_ = nullptr;
    QGroupBox* frmAxis_ = nullptr;
    std::array<QCheckBox*, 3> chkAxis_{};
    QCheckBox* chkShowXYZ_ = nullptr;
    QCheckBox* chkPre_ = nullptr;
    QCheckBox* chkShowThreshold_ = nullptr;
    QPushButton* cmdSweepFw_ = nullptr;
    QPushButton* cmbSaveAs_ = nullptr;
    QPushButton* cmbOpenScan_ = nullptr;
    QPushButton* cmbExit_ = nullptr;
    QScrollBar* sbSweep_ = nullptr;
};
