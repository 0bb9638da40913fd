#include "views/FrmSpettro.h"

#include "app/AppContext.h"
#include "panel/PanelRecord.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SpectrumHeaders.h"
#include "spectrum/SpectrumUnits.h"
#include "views/Prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kScrollSteps = 1000;
constexpr double kFrameSeconds = 0.04;
const QString kUnitCaptions[4] = {QStringLiteral("V/m"), QStringLiteral("mW/cm2"),
                                  QStringLiteral("W/m2"), QStringLiteral("µT")};

QColor fromBgr(quint32 v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QString boxSheet(const QString& ink = QStringLiteral("#10141c")) {
    return QStringLiteral("QLabel { background: #ffffff; border: 1px solid #b8c2d0;"
                          " padding: 3px 6px; color: %1;"
                          " font-family: 'DejaVu Sans Mono', monospace; }")
        .arg(ink);
}

// A box of a fixed size for `characters` characters: its text changes with every point of a
// sweep, and a box that could change size would have the window laid out again each time.
QLabel* boxLabel(const QString& name, QWidget* parent, int characters) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(boxSheet());
    l->ensurePolished();
    l->setText(QString(characters, QLatin1Char('0')));
    l->setFixedSize(l->sizeHint() + QSize(4, 0));
    l->clear();
    return l;
}

QWidget* titled(const QString& title, QLabel* box, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    auto* t = new QLabel(title, w);
    t->setStyleSheet(QStringLiteral("color: #4a5568;"));
    v->addWidget(t);
    v->addWidget(box);
    return w;
}

} // namespace

// ---- the plot ---------------------------------------------------------------------------

SpectrumPlot::SpectrumPlot(const SpectrumPainter& painter, QWidget* parent)
    : QWidget(parent), painter_(painter) {
    setObjectName(QStringLiteral("Pict"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(640, 380);
}

void SpectrumPlot::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    for (const QRect& r : e->region()) {
        p.drawImage(r, painter_.image(), r);
        paintedArea_ += qint64(r.width()) * r.height();
    }
}

void SpectrumPlot::resizeEvent(QResizeEvent*) {
    emit resized(size());
}

void SpectrumPlot::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    emit pressed(e->position(), e->button());
}

void SpectrumPlot::mouseMoveEvent(QMouseEvent* e) {
    emit dragged(e->position(), e->buttons().testFlag(Qt::LeftButton));
}

void SpectrumPlot::wheelEvent(QWheelEvent* e) {
    // One notch is 120; touch pads send parts of it.
    wheelRest_ += e->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0) emit wheelTurned(steps);
    e->accept();
}

// ---- the window -------------------------------------------------------------------------

FrmSpettro::FrmSpettro(AppContext& ctx, SpectrumData& data, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx), data_(data), prompts_(&prompts), display_(data),
      painter_(QSize(760, 440)) {
    setObjectName(QStringLiteral("FrmSpettro"));
    setWindowTitle(QStringLiteral("Spectrum"));
    SpectrumStyle style;
    style.readout = false; // the window has the boxes beside the plot
    painter_.setStyle(style);
    buildLayout();
    connectControls();
    syncControls();
    rescale();
    updateBoxes();
}

FrmSpettro::~FrmSpettro() = default;

void FrmSpettro::buildLayout() {
    setStyleSheet(QStringLiteral("#FrmSpettro { background: #eef1f5; }"
                                 "QGroupBox { font-weight: bold; border: 1px solid #c9d1dc;"
                                 " border-radius: 4px; margin-top: 8px; padding-top: 4px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 8px; }"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(10);

    // Left: the boxes over the plot, the scroll bar under it.
    auto* left = new QVBoxLayout();
    left->setSpacing(6);
    auto* boxes = new QHBoxLayout();
    boxes->setSpacing(8);
    pnlLevel_ = boxLabel(QStringLiteral("PnlLevel"), this, 14);
    pnlFreq_ = boxLabel(QStringLiteral("PnlFreq"), this, 12);
    wideBox_ = boxLabel(QStringLiteral("LBWideBand"), this, 14);
    spanBox_ = boxLabel(QStringLiteral("LBSpan"), this, 17);
    lbFtune_ = boxLabel(QStringLiteral("LbFtune"), this, 13);
    lbAxis_ = boxLabel(QStringLiteral("LBAxis"), this, 3);
    boxes->addWidget(titled(QStringLiteral("Peak"), pnlLevel_, this));
    boxes->addWidget(titled(QStringLiteral("Peak Frequency"), pnlFreq_, this));
    boxes->addWidget(titled(QStringLiteral("Wide Band"), wideBox_, this));
    boxes->addWidget(titled(QStringLiteral("Span"), spanBox_, this));
    boxes->addStretch(1);
    boxes->addWidget(titled(QStringLiteral("Tuning"), lbFtune_, this));
    boxes->addWidget(titled(QStringLiteral("Axis"), lbAxis_, this));
    left->addLayout(boxes);

    auto* markers = new QHBoxLayout();
    lbFreqMarker_ = boxLabel(QStringLiteral("LBFreqMarker"), this, 38);
    lbLevMarker_ = boxLabel(QStringLiteral("LBLevMarker"), this, 24);
    lbFreqMarker_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbLevMarker_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    markers->addWidget(lbFreqMarker_);
    markers->addWidget(lbLevMarker_);
    markers->addStretch(1);
    left->addLayout(markers);

    plot_ = new SpectrumPlot(painter_, this);
    left->addWidget(plot_, 1);
    sbSweep_ = new QScrollBar(Qt::Horizontal, this);
    sbSweep_->setObjectName(QStringLiteral("SBSweep"));
    sbSweep_->setRange(0, kScrollSteps);
    sbSweep_->hide();
    left->addWidget(sbSweep_);
    outer->addLayout(left, 1);

    // Right: the options and commands.
    auto* right = new QVBoxLayout();
    right->setSpacing(6);
    right->addWidget(buildFieldFrame());
    right->addWidget(buildUnitFrame());
    right->addWidget(buildAxisFrame());
    chkPre_ = new QCheckBox(QStringLiteral("Preamplifier"), this);
    chkPre_->setObjectName(QStringLiteral("ChkPre"));
    chkShowThreshold_ = new QCheckBox(QStringLiteral("Show Threshold"), this);
    chkShowThreshold_->setObjectName(QStringLiteral("CHKShowThreshold"));
    right->addWidget(chkPre_);
    right->addWidget(chkShowThreshold_);
    right->addWidget(buildMarkerFrame());
    right->addStretch(1);
    auto button = [this, right](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setMinimumHeight(30);
        right->addWidget(b);
        return b;
    };
    cmdSweepFw_ = button(QStringLiteral("CmdSweepFw"), QStringLiteral("Start Sweep"));
    cmbSaveAs_ = button(QStringLiteral("CMBSaveSpectrumAs"), QStringLiteral("Save Spectrum As"));
    cmbOpenScan_ = button(QStringLiteral("CMBOpenScan"), QStringLiteral("Open Scan"));
    cmbExit_ = button(QStringLiteral("CMBExit"), QStringLiteral("Exit"));
    cmdSweepFw_->setEnabled(false);
    cmbSaveAs_->setEnabled(false);
    // The scan browser attaches itself here when it exists.
    cmbOpenScan_->setEnabled(false);
    outer->addLayout(right);
}

QGroupBox* FrmSpettro::buildFieldFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Field"), this);
    frame->setObjectName(QStringLiteral("FRMField"));
    auto* v = new QVBoxLayout(frame);
    v->setSpacing(2);
    optField_ = new QButtonGroup(this);
    const QString captions[4] = {QStringLiteral("Electric"), QStringLiteral("Magnetic (Mode A)"),
                                 QStringLiteral("Magnetic (Mode B)"),
                                 QStringLiteral("Auxiliary IN")};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(captions[i], frame);
        b->setObjectName(QStringLiteral("OptField%1").arg(i));
        optField_->addButton(b, i);
        v->addWidget(b);
    }
    return frame;
}

QGroupBox* FrmSpettro::buildUnitFrame() {
    frmUnit_ = new QGroupBox(QStringLiteral("Unit"), this);
    frmUnit_->setObjectName(QStringLiteral("FRMUnit"));
    auto* g = new QGridLayout(frmUnit_);
    g->setVerticalSpacing(2);
    optUnit_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(kUnitCaptions[i], frmUnit_);
        b->setObjectName(QStringLiteral("OptUnit%1").arg(i));
        optUnit_->addButton(b, i);
        g->addWidget(b, i / 2, i % 2);
    }
    frmUnitAux_ = new QGroupBox(QStringLiteral("Auxiliary Unit"), this);
    frmUnitAux_->setObjectName(QStringLiteral("FRMUnitAux"));
    auto* h = new QHBoxLayout(frmUnitAux_);
    optUnitAux_ = new QButtonGroup(this);
    const QString aux[2] = {QStringLiteral("mV"), QStringLiteral("dBm")};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(aux[i], frmUnitAux_);
        b->setObjectName(QStringLiteral("OptUnitAux%1").arg(i));
        optUnitAux_->addButton(b, i);
        h->addWidget(b);
    }
    optUnitAux_->button(0)->setChecked(true);
    frmUnitAux_->hide();
    auto* holder = new QGroupBox(this);
    holder->setFlat(true);
    holder->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0; padding: 0; }"));
    auto* v = new QVBoxLayout(holder);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(frmUnit_);
    v->addWidget(frmUnitAux_);
    return holder;
}

QGroupBox* FrmSpettro::buildAxisFrame() {
    frmAxis_ = new QGroupBox(QStringLiteral("Axis"), this);
    frmAxis_->setObjectName(QStringLiteral("FRMAxis"));
    auto* g = new QGridLayout(frmAxis_);
    const QString names[3] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
    for (int i = 0; i < 3; ++i) {
        chkAxis_[size_t(i)] = new QCheckBox(names[i], frmAxis_);
        chkAxis_[size_t(i)]->setObjectName(QStringLiteral("ChkAxis%1").arg(i));
        chkAxis_[size_t(i)]->setChecked(true);
        g->addWidget(chkAxis_[size_t(i)], 0, i);
    }
    chkShowXYZ_ = new QCheckBox(QStringLiteral("Show X, Y, Z"), frmAxis_);
    chkShowXYZ_->setObjectName(QStringLiteral("ChkShowXYZ"));
    chkShowXYZ_->setChecked(true);
    g->addWidget(chkShowXYZ_, 1, 0, 1, 3);
    return frmAxis_;
}

QGroupBox* FrmSpettro::buildMarkerFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Marker"), this);
    frame->setObjectName(QStringLiteral("FRMMarker"));
    auto* v = new QVBoxLayout(frame);
    v->setSpacing(3);
    auto* traces = new QHBoxLayout();
    optXYZ_ = new QButtonGroup(this);
    for (int t = 0; t < 4; ++t) {
        auto* b = new QRadioButton(SpectrumDisplay::traceCaption(t), frame);
        b->setObjectName(QStringLiteral("optXYZ%1").arg(t));
        optXYZ_->addButton(b, t);
        traces->addWidget(b);
    }
    optXYZ_->button(0)->setChecked(true);
    v->addLayout(traces);
    for (int n = 1; n <= 3; ++n) {
        auto* b = new QPushButton(SpectrumDisplay::autoSpanCaption(n), frame);
        b->setObjectName(QStringLiteral("CmdAutoSpan%1").arg(n));
        connect(b, &QPushButton::clicked, this, [this, n] {
            display_.CmdAutoSpan(n);
            markerMoved();
        });
        v->addWidget(b);
    }
    return frame;
}

void FrmSpettro::connectControls() {
    connect(optField_, &QButtonGroup::idClicked, this, &FrmSpettro::fieldChosen);
    connect(optUnit_, &QButtonGroup::idClicked, this, &FrmSpettro::unitChosen);
    connect(optUnitAux_, &QButtonGroup::idClicked, this, [this](int id) {
        display_.setAuxInDbm(id == 1);
        syncRecord();
        if (live_)
            settingsChanged();
        else {
            rescale();
            redrawAll();
        }
    });
    for (int i = 0; i < 3; ++i)
        connect(chkAxis_[size_t(i)], &QCheckBox::toggled, this,
                [this, i](bool on) { axisToggled(i, on); });
    connect(chkShowXYZ_, &QCheckBox::toggled, this, [this](bool on) {
        if (syncing_) return;
        display_.setShowXYZ(on);
        syncControls();
        syncRecord();
        if (live_)
            settingsChanged();
        else
            redrawAll();
    });
    connect(chkPre_, &QCheckBox::toggled, this, [this](bool on) {
        if (syncing_) return;
        data_.PreampWanted = on ? 1 : 0;
        settingsChanged();
    });
    connect(chkShowThreshold_, &QCheckBox::toggled, this, [this](bool on) {
        if (syncing_) return;
        display_.setShowThreshold(on);
        overlayChanged();
    });
    connect(optXYZ_, &QButtonGroup::idClicked, this, [this](int trace) {
        display_.setMarkerTrace(trace);
        markerMoved();
    });
    connect(cmdSweepFw_, &QPushButton::clicked, this, &FrmSpettro::settingsChanged);
    connect(cmbSaveAs_, &QPushButton::clicked, this, &FrmSpettro::CMBSaveSpectrumAs_Click);
    connect(cmbExit_, &QPushButton::clicked, this, &FrmSpettro::CMBExit_Click);
    connect(sbSweep_, &QScrollBar::valueChanged, this, [this](int value) {
        const SweepSettings& s = display_.settings();
        display_.setZoomCentre(s.FStart + (s.FStop - s.FStart) * double(value) / kScrollSteps);
        redrawAll();
    });
    connect(plot_, &SpectrumPlot::resized, this, &FrmSpettro::plotResized);
    connect(plot_, &SpectrumPlot::pressed, this, &FrmSpettro::plotPressed);
    connect(plot_, &SpectrumPlot::dragged, this, &FrmSpettro::plotDragged);
    connect(plot_, &SpectrumPlot::wheelTurned, this, &FrmSpettro::wheelTurned);
}

// ---- settings -----------------------------------------------------------------------------

void FrmSpettro::applyPanel(const PanelRecord& panel) {
    hModeA_ = panel.ListModeFields[1] != 0;
    preampSetting_ = panel.PreamplifierOn != 0;
    data_.PreampWanted = preampSetting_ ? 1 : 0;
    display_.setThresholds(panel.SpectrumModeThresholds);
    display_.setShowThreshold(panel.ShowThreshold != 0);
    SpectrumStyle style = SpectrumStyle::fromColors(panel.Colors.data(), 4);
    style.readout = false;
    painter_.setStyle(style);
    jpegQuality_ = std::clamp<int>(panel.ImageQuality, 0, 100);
    separatorIndex_ = std::clamp<int>(panel.SeparatorIndex, 0, 2);
    // The field at load follows the List Mode choice.
    if (!live_) {
        data_.FieldType = panel.ListModeFields[0] != 0   ? 0
                          : panel.ListModeFields[1] != 0 ? 1
                          : panel.ListModeFields[2] != 0 ? 2
                                                         : 0;
        fieldChosen(data_.FieldType);
    }
    syncControls();
    redrawAll();
}

SweepChoice FrmSpettro::choiceFor(int sweepField) {
    const int fieldType = sweepField == 0 ? 0 : (hModeA_ ? 1 : 2);
    if (data_.FieldType != fieldType || display_.unitCode() / 10 != (fieldType == 0 ? 0 : 1)) {
        data_.FieldType = fieldType;
        const int option = display_.unitCode() % 10;
        display_.setUnitCode((fieldType == 0 ? 0 : 10) +
                             (fieldType == 0 ? std::min(option, 2) : option));
    }
    syncControls();
    syncRecord();
    SweepChoice choice;
    choice.fieldType = fieldType;
    choice.preamp = chkPre_->isChecked();
    for (size_t i = 0; i < 3; ++i)
        choice.axes[i] = chkAxis_[i]->isChecked();
    return choice;
}

void FrmSpettro::attachRecord(AcquisitionRecord* record) {
    record_ = record;
    syncRecord();
}

void FrmSpettro::syncRecord() {
    if (!record_) return;
    record_->unitCode = display_.unitCode();
    record_->showXYZ = display_.showXYZ();
    record_->auxInDbm = optUnitAux_->checkedId() == 1;
}

std::function<QString(float)> FrmSpettro::levelTextRule() const {
    return [this](float level) { return display_.levelText(level).trimmed(); };
}

std::function<float(float)> FrmSpettro::refLevelRule() const {
    return [this](float fullScale) { return fullScaleRefLevel(fullScale, display_.unitCode()); };
}

void FrmSpettro::settingsChanged() {
    if (syncing_ || !live_) return;
    data_.RestartRequest = true;
}

void FrmSpettro::fieldChosen(int fieldType) {
    if (syncing_) return;
    data_.FieldType = std::clamp(fieldType, 0, 3);
    const bool h = data_.FieldType == 1 || data_.FieldType == 2;
    int option = display_.unitCode() % 10;
    if (!h && option > 2) option = 0; // µT is a unit of the magnetic field
    display_.setUnitCode((h ? 10 : 0) + option);
    if (data_.FieldType == 3) display_.setMarkerTrace(0);
    display_.axesChanged();
    syncControls();
    syncRecord();
    if (live_) {
        settingsChanged();
    } else {
        rescale();
        redrawAll();
    }
}

void FrmSpettro::unitChosen(int option) {
    if (syncing_) return;
    const bool h = data_.FieldType == 1 || data_.FieldType == 2;
    display_.setUnitCode((h ? 10 : 0) + std::clamp(option, 0, h ? 3 : 2));
    syncRecord();
    if (live_) {
        settingsChanged();
    } else {
        rescale();
        redrawAll();
    }
}

void FrmSpettro::axisToggled(int axis, bool on) {
    if (syncing_) return;
    data_.AxisEnabled[size_t(axis)] = on;
    // At least one axis is always swept: unticking the last ticks all three again.
    if (!data_.AxisEnabled[0] && !data_.AxisEnabled[1] && !data_.AxisEnabled[2])
        data_.AxisEnabled = {true, true, true};
    display_.axesChanged();
    syncControls();
    if (live_)
        settingsChanged();
    else
        redrawAll();
}

// Shows the model's state in the controls without acting on it.
void FrmSpettro::syncControls() {
    const bool was = syncing_;
    syncing_ = true;
    const int field = std::clamp(data_.FieldType, 0, 3);
    optField_->button(field)->setChecked(true);
    const bool h = field == 1 || field == 2;
    const bool aux = field == 3;
    optUnit_->button(0)->setText(h ? QStringLiteral("A/m") : kUnitCaptions[0]);
    optUnit_->button(3)->setEnabled(h);
    optUnit_->button(std::clamp(display_.unitCode() % 10, 0, 3))->setChecked(true);
    frmUnit_->setVisible(!aux);
    frmUnitAux_->setVisible(aux);
    frmAxis_->setVisible(!aux);
    for (size_t i = 0; i < 3; ++i) {
        chkAxis_[i]->setChecked(data_.AxisEnabled[i]);
        optXYZ_->button(int(i) + 1)->setEnabled(display_.traceShown(int(i) + 1));
    }
    chkShowXYZ_->setChecked(display_.showXYZ());
    chkPre_->setChecked(data_.PreampWanted != 0);
    chkShowThreshold_->setChecked(display_.thresholdShown());
    optXYZ_->button(std::clamp(display_.markerTrace(), 0, 3))->setChecked(true);
    syncing_ = was;
}

void FrmSpettro::rescale() {
    const QString auxUnit =
        optUnitAux_->checkedId() == 1 ? QStringLiteral("dBm") : QStringLiteral("mV");
    const FieldTypeSetup setup = fieldTypeSetup(data_.FieldType, ctx_.switches, auxUnit);
    data_.FieldNameLong = setup.fieldNameLong;
    data_.FieldName = setup.fieldName;
    data_.FilePrefix = setup.filePrefix;
    data_.MinUsableFreq = setup.minUsableFreq;
    data_.RefLevel = fullScaleRefLevel(setup.fullScale, display_.unitCode());
}

// ---- drawing ------------------------------------------------------------------------------

void FrmSpettro::redrawAll() {
    dirty_ = QRegion();
    painter_.redraw(display_);
    plot_->update();
    updateBoxes();
    updateScrollBar();
}

void FrmSpettro::overlayChanged() {
    const QRect r = painter_.overlayChanged(display_);
    if (!r.isEmpty()) plot_->update(r);
    updateMarkerBoxes();
    updateScrollBar();
}

void FrmSpettro::updateBoxes() {
    pnlLevel_->setText(display_.peakLevelText().trimmed());
    pnlFreq_->setText(display_.peakFreqText());
    const QString wide = display_.wideBandText().trimmed();
    wideBox_->setText(
        wide == QStringLiteral("----") ? wide : wide + QLatin1Char(' ') + display_.unitText());
    spanBox_->setText(display_.spanText());
    updateMarkerBoxes();
}

void FrmSpettro::updateMarkerBoxes() {
    const bool on = display_.markerVisible();
    lbFreqMarker_->setText(on ? display_.markerFreqText()
                              : QStringLiteral("Marker: click the plot or Highest Peak"));
    lbLevMarker_->setText(on ? display_.markerLevelText() : QString());
    lbLevMarker_->setVisible(on);
    const QString sheet = boxSheet(on ? QStringLiteral("#10141c") : QStringLiteral("#7a8494"));
    if (lbFreqMarker_->styleSheet() != sheet) lbFreqMarker_->setStyleSheet(sheet);
}

void FrmSpettro::updateScrollBar() {
    const bool shown = display_.zoomFactor() != 1 && ctx_.switches.has(QStringLiteral("/VISSB"));
    sbSweep_->setVisible(shown);
    if (!shown) return;
    const SweepSettings& s = display_.settings();
    const double span = double(s.FStop) - double(s.FStart);
    if (!(span > 0)) return;
    const QSignalBlocker block(sbSweep_);
    sbSweep_->setValue(int((display_.zoomCentre() - s.FStart) / span * kScrollSteps));
}

void FrmSpettro::markerMoved() {
    const QSignalBlocker block(optXYZ_);
    optXYZ_->button(std::clamp(display_.markerTrace(), 0, 3))->setChecked(true);
    overlayChanged();
}

void FrmSpettro::plotResized(QSize size) {
    painter_.setSize(size);
    redrawAll();
}

void FrmSpettro::plotPressed(QPointF at, Qt::MouseButton button) {
    const double f = painter_.frequencyAt(at.x());
    display_.setZoomCentre(f);
    if (button == Qt::LeftButton) {
        display_.placeMarkerAt(f);
        markerMoved();
    } else if (button == Qt::MiddleButton) {
        display_.middleButton();
        plot_->setCursor(display_.pointerMode() == SpectrumDisplay::PointerMode::Zoom
                             ? Qt::CrossCursor
                             : Qt::ArrowCursor);
    }
}

void FrmSpettro::plotDragged(QPointF at, bool leftHeld) {
    const double f = painter_.frequencyAt(at.x());
    display_.setZoomCentre(f);
    if (leftHeld) {
        display_.placeMarkerAt(f);
        markerMoved();
    }
}

void FrmSpettro::wheelTurned(int steps) {
    display_.MouseWheel(steps);
    markerMoved();
}

void FrmSpettro::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        display_.SpostaFrecciaSinistra();
        break;
    case Qt::Key_Right:
        display_.SpostaFrecciaDestra();
        break;
    case Qt::Key_Up:
        display_.keyUp();
        break;
    case Qt::Key_Down:
        display_.keyDown();
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    markerMoved();
}

QImage FrmSpettro::plotPicture(QSize size) const {
    SpectrumStyle style = painter_.style();
    style.readout = true; // a picture has no boxes beside it
    return paintSpectrum(size.isEmpty() ? painter_.size() : size, display_, style);
}

QPointF FrmSpettro::plotPosition(double frequencyMHz, double dB) const {
    return {painter_.xOf(frequencyMHz), painter_.yOfDb(dB)};
}

QLabel* FrmSpettro::label(const QString& objectName) const {
    return findChild<QLabel*>(objectName);
}

QAbstractButton* FrmSpettro::button(const QString& objectName) const {
    return findChild<QAbstractButton*>(objectName);
}

// ---- the acquisition's view ---------------------------------------------------------------

void FrmSpettro::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void FrmSpettro::preparePlot(const SweepSettings& settings, const AcquisitionRecord& record,
                             const SpectrumData&) {
    live_ = true;
    reviewFile_.clear();
    // A sweep asked for by Spectrum Mode brings its own field: the units follow it (an H sweep
    // is never labelled in V/m), keeping the operator's choice within the field's units.
    const int family = data_.FieldType == 0 ? 0 : 10;
    if (display_.unitCode() / 10 * 10 != family) {
        const int option = display_.unitCode() % 10;
        display_.setUnitCode(family + (family == 0 ? std::min(option, 2) : option));
    }
    display_.setThresholds(record.thresholds);
    display_.beginSweep(settings);
    cmdSweepFw_->setEnabled(true);
    cmbSaveAs_->setEnabled(false);
    syncControls();
    if (!isVisible()) {
        show();
        plot_->setFocus();
    }
    redrawAll();
}

void FrmSpettro::showAxis(int axis) {
    const QString names[3] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
    lbAxis_->setText(axis >= 1 && axis <= 3 ? names[axis - 1] : QString());
}

void FrmSpettro::sweepStarted(const SpectrumData&) {
    cmdSweepFw_->setText(QStringLiteral("Start Sweep"));
    redrawAll();
}

void FrmSpettro::passStarted(const SpectrumData&) {
    showFrame();
    overlayChanged();
}

// The screen follows a sweep at most kFrameSeconds apart: what the points changed in the
// meantime (the painter's rectangles, the tuning text, the boxes) is shown together, so that
// a stream arriving in many small pieces does not cost a repaint for each of them.
void FrmSpettro::frameDue() {
    const double now = ctx_.clock.secondsSinceMidnight();
    if (now - lastFrame_ >= kFrameSeconds || now < lastFrame_) showFrame();
}

void FrmSpettro::showFrame() {
    lastFrame_ = ctx_.clock.secondsSinceMidnight();
    if (!dirty_.isEmpty()) plot_->update(dirty_);
    dirty_ = QRegion();
    lbFtune_->setText(tuningText_);
    if (boxesPending_) updateBoxes();
    boxesPending_ = false;
}

void FrmSpettro::setTuning(const QString& text, const TuningColours& colours) {
    tuningText_ = text;
    // The face changes only between normal and alarm: the sheet is built only then, and an
    // alarm shows at once.
    if (colours == tuningColours_ && !lbFtune_->styleSheet().isEmpty()) {
        frameDue();
        return;
    }
    showFrame();
    tuningColours_ = colours;
    const QColor a = fromBgr(colours[0]), b = fromBgr(colours[1]), c = fromBgr(colours[2]);
    // Dark text on the light normal face, white on the red alarm face.
    const QColor ink = b.lightness() > 140 ? QColor(20, 24, 32) : QColor(255, 255, 255);
    lbFtune_->setStyleSheet(
        QStringLiteral("QLabel { color: %1; border: 1px solid #8a94a6;"
                       " padding: 3px 6px; font-family: 'DejaVu Sans Mono', monospace;"
                       " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2,"
                       " stop:0.5 %3, stop:1 %4); }")
            .arg(ink.name(), a.name(), b.name(), c.name()));
}

void FrmSpettro::pointDecoded(const SpectrumData&, int index, bool boxesChanged) {
    display_.pointDecoded(index);
    display_.setSweepCursor(index);
    const QRect r = painter_.pointChanged(display_, index);
    if (!r.isEmpty()) dirty_ += r;
    boxesPending_ = boxesPending_ || boxesChanged || index == display_.markerIndex();
    frameDue();
}

void FrmSpettro::showSweepCursor(bool visible) {
    showFrame();
    display_.setSweepCursorVisible(visible);
    overlayChanged();
}

void FrmSpettro::wideBandChanged(const SpectrumData&) {
    showFrame();
    updateBoxes();
}

void FrmSpettro::restarting() {
    cmdSweepFw_->setText(QStringLiteral("Start Sweep"));
}

void FrmSpettro::finished(SweepOutcome outcome) {
    showFrame();
    live_ = false;
    display_.endSweep();
    display_.setSweepCursorVisible(false);
    cmdSweepFw_->setEnabled(false);
    overlayChanged();
    updateBoxes();
    if (onFinished) onFinished(outcome);
    hide();
}

void FrmSpettro::closeEvent(QCloseEvent* e) {
    // Closing during an acquisition stops it, as Exit does.
    if (live_) ctx_.flags.SweepStop = true;
    e->accept();
}

void FrmSpettro::CMBExit_Click() {
    ctx_.flags.SweepStop = true;
    hide();
}

// ---- review -------------------------------------------------------------------------------

bool FrmSpettro::review(const QString& file) {
    if (live_ || file.isEmpty()) return false;
    SpcHeader header;
    SweepSettings settings = reviewSettings_;
    for (;;) {
        const SpcLoad loaded = CaricaStrSpettro(file, header, settings, data_);
        if (loaded == SpcLoad::Loaded) break;
        if (loaded == SpcLoad::Missing) return false;
        // Cancel abandons this load; the program goes on.
        if (!prompts_->retryFailedLoading(file)) return false;
    }
    reviewFile_ = file;
    reviewSettings_ = settings;
    reviewHeader_ = header;
    const int fieldType = settings.SweepField == 0 ? 0 : (hModeA_ ? 1 : 2);
    {
        const bool was = syncing_;
        syncing_ = false;
        fieldChosen(fieldType); // also rescales for the unit shown
        syncing_ = was;
    }
    display_.setThresholds(header.thresholds);
    display_.beginReview(settings, {header.HeaderLine1.trimmed(), header.HeaderLine2.trimmed()});
    cmdSweepFw_->setEnabled(false);
    cmbSaveAs_->setEnabled(true);
    setWindowTitle(QFileInfo(file).fileName());
    syncControls();
    show();
    plot_->setFocus();
    redrawAll();
    return true;
}

bool FrmSpettro::insideAppDir(const QString& fileName) const {
    const QString root = QDir(ctx_.appDir).canonicalPath();
    const QFileInfo info(fileName);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (root.isEmpty() || folder.isEmpty()) return false;
    // A link under that name could point anywhere.
    if (info.isSymLink()) return false;
    return folder == root || folder.startsWith(root + QLatin1Char('/'));
}

void FrmSpettro::CMBSaveSpectrumAs_Click() {
    if (!display_.reviewing()) return;
    const QStringList filters = {QStringLiteral("Bitmap (*.BMP)"), QStringLiteral("JPEG (*.JPG)"),
                                 QStringLiteral("Text (*.TXT)")};
    const QString folder = QFileInfo(reviewFile_).absolutePath();
    const QString name = QFileInfo(reviewFile_).completeBaseName();
    const QString chosen =
        prompts_->saveSpectrumFileName(QStringLiteral("Save Spectrum As"), folder, name, filters);
    if (!chosen.isEmpty()) saveSpectrumAs(chosen);
}

bool FrmSpettro::saveSpectrumAs(const QString& fileName) {
    if (!display_.reviewing()) return false;
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    if (ext != QStringLiteral("BMP") && ext != QStringLiteral("JPG") &&
        ext != QStringLiteral("TXT"))
        return false;
    for (;;) {
        bool written = false;
        if (insideAppDir(fileName)) {
            if (ext == QStringLiteral("TXT")) {
                AcquisitionRecord record;
                record.separatorIndex = separatorIndex_;
                record.unitCode = display_.unitCode();
                record.showXYZ = display_.showXYZ();
                record.auxInDbm = optUnitAux_->checkedId() == 1;
                written = SalvaTestoSpettro(
                    fileName,
                    StampaIntFileTXTRivis(reviewHeader_.HeaderLine1, reviewHeader_.HeaderLine2),
                    data_, record);
            } else {
                // The marker and threshold texts go on the picture under the header lines.
                QStringList lines = display_.printedLines();
                if (display_.markerVisible()) lines << display_.DeterminaStTTTMKR();
                if (display_.thresholdShown()) lines << display_.DeterminaStTTTThreshold();
                SpectrumStyle style = painter_.style();
                style.readout = true;
                const QImage picture = paintSpectrum(painter_.size(), display_, lines, style);
                written =
                    saveImageFile(fileName, picture, ext == QStringLiteral("JPG"), jpegQuality_);
            }
        }
        if (written) return true;
        if (!prompts_->retryCannotSave(fileName)) return false;
    }
}
