#include "views/FrmMeasure.h"

#include "app/AppContext.h"
#include "app/Keypad.h"
#include "app/SaveWholeFile.h"
#include "app/ValueLists.h"
#include "measure/ExposureSetup.h"
#include "panel/PanelModel.h"
#include "views/Prompts.h"
#include "views/widgets/StyledControls.h"
#include "views/widgets/XPControls.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

using namespace MeasureSettings;

namespace {
const char* const kBoxProperty = "measureBox";

// Sets a control's shown state without it reporting the change as an operator's edit.
void setChecked(XPCheck* c, bool on) {
    const QSignalBlocker block(c);
    c->setChecked(on);
}
void setIndex(QComboBox* c, int index) {
    const QSignalBlocker block(c);
    c->setCurrentIndex(index);
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}
} // namespace

FrmMeasure::FrmMeasure(AppContext& ctx, PanelModel& panel, Prompts& prompts,
                       const AppearanceValues& look, QWidget* parent)
    : QDialog(parent), ctx_(ctx), panel_(panel), prompts_(prompts) {
    setObjectName(QStringLiteral("FrmMeasure"));
    setWindowTitle(QStringLiteral("Measure"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The panel file as it is now comes back on Cancel, byte for byte.
    backup_.begin(panel_.currentPanelPath(), ctx_.path(QStringLiteral("Panels/TMP.TMP")));
    snapshot_ = panel_.panel();

    build();
    ApplyAppearance(this, look);
    if (ctx_.switches.has(QStringLiteral("/ICONE"))) {
        ok_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
        default_->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    }
    refresh();
}

FrmMeasure::~FrmMeasure() {
    backup_.discard();
}

// ---- layout -------------------------------------------------------------------------------

XPText* FrmMeasure::numberBox(QWidget* parent, const QString& name, Box box) {
    // Made in its frame, in layout order: the tab order follows creation.
    auto* t = new XPText(parent);
    t->setObjectName(name);
    t->setProperty(kBoxProperty, int(box));
    t->setMaximumWidth(90);
    t->setAlignment(Qt::AlignRight);
    // Enter, leaving the box and a click (the keypad) are handled in the event filter.
    t->installEventFilter(this);
    return t;
}

void FrmMeasure::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(10);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(12);
    outer->addLayout(columns);
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    columns->addLayout(left);

    // Modes.
    auto* modes = new XPFrame(QStringLiteral("Modes"), this);
    modes->setObjectName(QStringLiteral("FrmModes"));
    auto* modesLayout = new QVBoxLayout(modes);
    chkListMode_ = new XPCheck(QStringLiteral("&List Mode"), modes);
    chkListMode_->setObjectName(QStringLiteral("CHKListMode"));
    chkSpectrumMode_ = new XPCheck(QStringLiteral("&Spectrum Mode"), modes);
    chkSpectrumMode_->setObjectName(QStringLiteral("CHKSpectrumMode"));
    modesLayout->addWidget(chkListMode_);
    modesLayout->addWidget(chkSpectrumMode_);
    left->addWidget(modes);

    // List Mode rate and fields.
    frmRateLM_ = new XPFrame(QStringLiteral("List Mode rate"), this);
    frmRateLM_->setObjectName(QStringLiteral("FrmRateListMode"));
    auto* rateLayout = new QHBoxLayout(frmRateLM_);
    tbRate_ = numberBox(frmRateLM_, QStringLiteral("TBRateListMode"), Box::ListModeRate);
    rateLayout->addWidget(caption(QStringLiteral("&Rate"), tbRate_, frmRateLM_));
    rateLayout->addWidget(tbRate_);
    rateLayout->addWidget(new QLabel(QStringLiteral("min."), frmRateLM_));
    rateLayout->addStretch();
    left->addWidget(frmRateLM_);

    frmFieldLM_ = new XPFrame(QStringLiteral("List Mode fields"), this);
    frmFieldLM_->setObjectName(QStringLiteral("FrmFieldListMode"));
    auto* fieldLayout = new QVBoxLayout(frmFieldLM_);
    const QString fieldCaptions[3] = {QStringLiteral("&E field"), QStringLiteral("H Mode &A"),
                                      QStringLiteral("H Mode &B")};
    for (int i = 0; i < 3; ++i) {
        chkFieldLM_[i] = new XPCheck(fieldCaptions[i], frmFieldLM_);
        chkFieldLM_[i]->setObjectName(QStringLiteral("CHKCampoListMode%1").arg(i));
        fieldLayout->addWidget(chkFieldLM_[i]);
    }
    left->addWidget(frmFieldLM_);

    // Reports and probe.
    auto* reports = new XPFrame(QStringLiteral("Reports"), this);
    reports->setObjectName(QStringLiteral("FrmReports"));
    auto* repLayout = new QGridLayout(reports);
    cbxSeparator_ = new QComboBox(reports);
    cbxSeparator_->setObjectName(QStringLiteral("CBXSeparatore"));
    cbxSeparator_->addItems(ValueLists::separatorNames());
    cbxMedia_ = new QComboBox(reports);
    cbxMedia_->setObjectName(QStringLiteral("CBXMedia"));
    cbxMedia_->addItems(ValueLists::averagingNames());
    chkPre_ = new XPCheck(QStringLiteral("&Preamplifier"), reports);
    chkPre_->setObjectName(QStringLiteral("ChkPre"));
    repLayout->addWidget(caption(QStringLiteral("Se&parator"), cbxSeparator_, reports), 0, 0);
    repLayout->addWidget(cbxSeparator_, 0, 1);
    repLayout->addWidget(caption(QStringLiteral("E&valuation"), cbxMedia_, reports), 1, 0);
    repLayout->addWidget(cbxMedia_, 1, 1);
    repLayout->addWidget(chkPre_, 2, 0, 1, 2);
    left->addWidget(reports);
    left->addStretch();

    // Spectrum Mode.
    frmSpectrum_ = new XPFrame(QStringLiteral("Spectrum Mode"), this);
    frmSpectrum_->setObjectName(QStringLiteral("FrmSpectrumMode"));
    auto* sm = new QGridLayout(frmSpectrum_);
    sm->setHorizontalSpacing(8);
    int row = 0;
    chkRateSM_ = new XPCheck(QStringLiteral("&Fixed rate"), frmSpectrum_);
    chkRateSM_->setObjectName(QStringLiteral("CHKRateSM"));
    cbxRateSM_ = new QComboBox(frmSpectrum_);
    cbxRateSM_->setObjectName(QStringLiteral("CBXRateSpectrumMode"));
    cbxRateSM_->addItems(ValueLists::rateNames());
    sm->addWidget(chkRateSM_, row, 0);
    sm->addWidget(cbxRateSM_, row++, 1, 1, 2);

    const QString smCaptions[2] = {QStringLiteral("E &threshold"), QStringLiteral("&H threshold")};
    const QString units[2] = {QStringLiteral("V/m"), QStringLiteral("A/m")};
    for (int i = 0; i < 2; ++i) {
        chkFieldSM_[i] = new XPCheck(smCaptions[i], frmSpectrum_);
        chkFieldSM_[i]->setObjectName(QStringLiteral("CHKCampoSpectrumMode%1").arg(i));
        tbThreshold_[i] = numberBox(frmSpectrum_, QStringLiteral("TBCampoSpectrumMode%1").arg(i),
                                    i == 0 ? Box::ThresholdE : Box::ThresholdH);
        sm->addWidget(chkFieldSM_[i], row, 0);
        sm->addWidget(tbThreshold_[i], row, 1);
        sm->addWidget(new QLabel(units[i], frmSpectrum_), row++, 2);
    }
    tbStart_ = numberBox(frmSpectrum_, QStringLiteral("TBFStartSpectrumMode"), Box::Start);
    sm->addWidget(caption(QStringLiteral("St&art"), tbStart_, frmSpectrum_), row, 0);
    sm->addWidget(tbStart_, row, 1);
    sm->addWidget(new QLabel(QStringLiteral("MHz"), frmSpectrum_), row++, 2);
    tbStop_ = numberBox(frmSpectrum_, QStringLiteral("TBFStopSpectrumMode"), Box::Stop);
    sm->addWidget(caption(QStringLiteral("St&op"), tbStop_, frmSpectrum_), row, 0);
    sm->addWidget(tbStop_, row, 1);
    sm->addWidget(new QLabel(QStringLiteral("MHz"), frmSpectrum_), row++, 2);
    cbxRbw_ = new QComboBox(frmSpectrum_);
    cbxRbw_->setObjectName(QStringLiteral("CBXRBWSpectrumMode"));
    cbxRbw_->addItems(ValueLists::rbwNames());
    sm->addWidget(caption(QStringLiteral("RB&W"), cbxRbw_, frmSpectrum_), row, 0);
    sm->addWidget(cbxRbw_, row++, 1, 1, 2);

    const QString imageCaptions[2] = {QStringLiteral("Save B&MP image"),
                                      QStringLiteral("Save &JPEG image")};
    for (int i = 0; i < 2; ++i) {
        chkSaveImage_[i] = new XPCheck(imageCaptions[i], frmSpectrum_);
        chkSaveImage_[i]->setObjectName(QStringLiteral("CHKSaveImage%1").arg(i));
        sm->addWidget(chkSaveImage_[i], row++, 0, 1, 3);
    }
    auto* qualityRow = new QHBoxLayout;
    sldQuality_ = new QSlider(Qt::Horizontal, frmSpectrum_);
    sldQuality_->setObjectName(QStringLiteral("SLDFactorQuality"));
    sldQuality_->setRange(10, 100);
    sldQuality_->setMinimumWidth(110);
    tbQuality_ = numberBox(frmSpectrum_, QStringLiteral("TBQualita"), Box::Quality);
    tbQuality_->setMaximumWidth(50);
    qualityRow->addWidget(sldQuality_, 1);
    qualityRow->addWidget(tbQuality_);
    sm->addWidget(caption(QStringLiteral("&Quality"), sldQuality_, frmSpectrum_), row, 0);
    sm->addLayout(qualityRow, row, 1);
    sm->addWidget(new QLabel(QStringLiteral("%"), frmSpectrum_), row++, 2);
    sm->setRowStretch(row, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(frmSpectrum_);

    // Display colours of the spectrum traces.
    auto* colours = new XPFrame(QStringLiteral("Colors"), this);
    colours->setObjectName(QStringLiteral("FrmColors"));
    auto* colLayout = new QGridLayout(colours);
    const QString colourCaptions[4] = {QStringLiteral("Total"), QStringLiteral("X"),
                                       QStringLiteral("Y"), QStringLiteral("Z")};
    for (int i = 0; i < 4; ++i) {
        lbColor_[i] = new LB_OCX(QString(), colours);
        lbColor_[i]->setObjectName(QStringLiteral("LbColor"));
        lbColor_[i]->setProperty("index", i);
        lbColor_[i]->setStyle(2);
        lbColor_[i]->setClickable(true);
        lbColor_[i]->setMinimumSize(48, 24);
        lbColor_[i]->setCursor(Qt::PointingHandCursor);
        lbColor_[i]->setToolTip(colourCaptions[i] + QStringLiteral(" field colour"));
        connect(lbColor_[i], &LB_OCX::clicked, this, [this, i] { chooseColour(i); });
        auto* l = new QLabel(colourCaptions[i], colours);
        l->setAlignment(Qt::AlignCenter);
        colLayout->addWidget(lbColor_[i], 0, i);
        colLayout->addWidget(l, 1, i);
    }
    right->addWidget(colours);
    right->addWidget(buildExposure());
    columns->addLayout(right);

    // Commands.
    auto* buttons = new QHBoxLayout;
    default_ = new XPButton(QStringLiteral("&Default"), this);
    default_->setObjectName(QStringLiteral("CMBDefaultColor"));
    ok_ = new XPButton(QStringLiteral("&OK"), this);
    ok_->setObjectName(QStringLiteral("CMBOK"));
    cancel_ = new XPButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CMBCancel"));
    for (XPButton* b : {default_, ok_, cancel_}) {
        // Enter belongs to the number boxes; it must never close the dialog.
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(96);
    }
    buttons->addWidget(default_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    outer->addLayout(buttons);

    // Operator edits.
    connect(chkListMode_, &QCheckBox::clicked, this,
            [this](bool on) { edit([on](PanelRecord& p) { ControllaCHKLMSM(p, 0, on); }); });
    connect(chkSpectrumMode_, &QCheckBox::clicked, this,
            [this](bool on) { edit([on](PanelRecord& p) { ControllaCHKLMSM(p, 1, on); }); });
    for (int i = 0; i < 3; ++i)
        connect(chkFieldLM_[i], &QCheckBox::clicked, this, [this, i](bool on) {
            edit([&](PanelRecord& p) { ControllaCHKLM(p, i, on, ctx_.switches); });
        });
    for (int i = 0; i < 2; ++i) {
        connect(chkFieldSM_[i], &QCheckBox::clicked, this, [this, i](bool on) {
            edit([i, on](PanelRecord& p) { clickSpectrumField(p, i, on); });
        });
        connect(chkSaveImage_[i], &QCheckBox::clicked, this, [this, i](bool on) {
            edit([i, on](PanelRecord& p) { ControllaCHKSaveImage(p, i, on); });
        });
    }
    connect(chkRateSM_, &QCheckBox::clicked, this,
            [this](bool on) { edit([on](PanelRecord& p) { p.SpectrumRateOn = on ? 1 : 0; }); });
    connect(chkPre_, &QCheckBox::clicked, this,
            [this](bool on) { edit([on](PanelRecord& p) { p.PreamplifierOn = on ? 1 : 0; }); });
    connect(cbxRateSM_, &QComboBox::activated, this,
            [this](int i) { edit([i](PanelRecord& p) { p.SpectrumModeRateIndex = qint16(i); }); });
    connect(cbxRbw_, &QComboBox::activated, this,
            [this](int i) { edit([i](PanelRecord& p) { p.SpectrumRBWIndex = qint16(i); }); });
    connect(cbxMedia_, &QComboBox::activated, this,
            [this](int i) { edit([i](PanelRecord& p) { p.DetectorIndex = qint16(i); }); });
    connect(cbxSeparator_, &QComboBox::activated, this,
            [this](int i) { edit([i](PanelRecord& p) { p.SeparatorIndex = qint16(i); }); });
    // The slider writes the box; the box sets the slider only when its value is taken.
    connect(sldQuality_, &QSlider::valueChanged, this, [this](int v) {
        tbQuality_->setText(QString::number(v));
        edit([v](PanelRecord& p) { p.ImageQuality = v; });
    });
    connect(ok_, &QPushButton::clicked, this, &FrmMeasure::accept);
    connect(cancel_, &QPushButton::clicked, this, &FrmMeasure::reject);
    connect(default_, &QPushButton::clicked, this, [this] {
        edit([this](PanelRecord& p) { MeasureSettings::CMBDefaultColor(p, ctx_.switches); });
    });
}

// ---- editing ------------------------------------------------------------------------------

void FrmMeasure::edit(const std::function<void(PanelRecord&)>& change) {
    if (closing_) return;
    PanelRecord p = panel_.panel();
    change(p);
    AbDisabControlli(p, ctx_.switches);
    if (!(p == panel_.panel())) panel_.editSettings([&p](PanelRecord& r) { r = p; });
    refresh();
}

Box FrmMeasure::boxOf(const XPText* box) const {
    return Box(box->property(kBoxProperty).toInt());
}

void FrmMeasure::take(XPText* box) {
    if (closing_) return;
    const Box b = boxOf(box);
    edit([&](PanelRecord& p) {
        if (b == Box::Start || b == Box::Stop)
            takeSpan(p, tbStart_->text(), tbStop_->text(), ctx_.switches);
        else
            takeBox(p, b, box->text(), ctx_.switches);
    });
    if (b == Box::Quality) {
        const QSignalBlocker block(sldQuality_);
        sldQuality_->setValue(panel_.panel().ImageQuality);
    }
    box->selectAll();
}

void FrmMeasure::openKeypad(XPText* box) {
    const double v = prompts_.keypad(boxRange(panel_.panel(), boxOf(box)).keypadMode, box);
    if (v == Keypad::Cancelled || closing_) return;
    // Always "." as the decimal point, whatever the locale, so the box reads it back exactly.
    box->setText(QString::number(v, 'g', QLocale::FloatingPointShortest));
    take(box);
}

void FrmMeasure::chooseColour(int i) {
    const QString title = i == 0 ? QStringLiteral("Total Field Color")
                                 : QString(QChar(u'X' + (i - 1))) + QStringLiteral(" Field Color");
    const quint32 current = quint32(panel_.panel().Colors[size_t(i)]);
    const std::optional<quint32> chosen = prompts_.chooseColour(title, current);
    if (!chosen || *chosen == current) return;
    edit([&](PanelRecord& p) { p.Colors[size_t(i)] = qint32(*chosen); });
}

bool FrmMeasure::eventFilter(QObject* watched, QEvent* e) {
    auto* box = qobject_cast<XPText*>(watched);
    if (box && box->isEnabled()) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                take(box);
                return true; // the value is taken; the dialog stays open
            }
        } else if (e->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            openKeypad(box);
            return true;
        } else if (e->type() == QEvent::FocusOut) {
            // Left with a value different from the stored one: taken. Unchanged: nothing.
            if (box->text() != boxText(panel_.panel(), boxOf(box))) take(box);
        }
    }
    return QDialog::eventFilter(watched, e);
}

// ---- showing ------------------------------------------------------------------------------

void FrmMeasure::showValues() {
    const PanelRecord& p = panel_.panel();
    setChecked(chkListMode_, p.ListModeOn == 1);
    setChecked(chkSpectrumMode_, p.SpectrumModeOn == 1);
    for (int i = 0; i < 3; ++i)
        setChecked(chkFieldLM_[i], p.ListModeFields[size_t(i)] == 1);
    for (int i = 0; i < 2; ++i) {
        setChecked(chkFieldSM_[i], p.SpectrumModeFields[size_t(i)] == 1);
        setChecked(chkSaveImage_[i], p.SaveImage[size_t(i)] == 1);
    }
    setChecked(chkRateSM_, p.SpectrumRateOn == 1);
    setChecked(chkPre_, p.PreamplifierOn == 1);
    setIndex(cbxRateSM_, p.SpectrumModeRateIndex);
    setIndex(cbxRbw_, p.SpectrumRBWIndex);
    setIndex(cbxMedia_, p.DetectorIndex);
    setIndex(cbxSeparator_, p.SeparatorIndex);
    for (XPText* t : {tbRate_, tbThreshold_[0], tbThreshold_[1], tbStart_, tbStop_, tbQuality_})
        t->setText(boxText(p, boxOf(t)));
    {
        const QSignalBlocker block(sldQuality_);
        sldQuality_->setValue(p.ImageQuality);
    }
    for (int i = 0; i < 4; ++i) {
        const QColor c = storedColour(quint32(p.Colors[size_t(i)]));
        lbColor_[i]->setColors(c, c);
    }
}

void FrmMeasure::refresh() {
    PanelRecord p = panel_.panel();
    const Enables e = AbDisabControlli(p, ctx_.switches);
    if (!(p == panel_.panel())) panel_.editSettings([&p](PanelRecord& r) { r = p; });
    showValues();
    frmSpectrum_->setEnabled(e.spectrumMode);
    chkRateSM_->setEnabled(e.rateSM);
    frmFieldLM_->setEnabled(e.listMode);
    frmRateLM_->setEnabled(e.listMode);
    for (int i = 0; i < 2; ++i) {
        tbThreshold_[i]->setEnabled(e.thresholds);
        chkFieldSM_[i]->setEnabled(e.thresholds);
    }
    cbxRateSM_->setEnabled(e.rateSpectrumMode);
    cbxRbw_->setEnabled(e.rbwList);
    sldQuality_->setEnabled(e.quality);
    tbQuality_->setEnabled(e.quality);
    cancel_->setEnabled(ControllaVarParMeasure(panel_.panel(), snapshot_) || exposureChanged());
}

// ---- closing ------------------------------------------------------------------------------

void FrmMeasure::accept() {
    closing_ = true;
    backup_.discard();
    QDialog::accept();
}

// The exposure choice lives in "Panels/<panel>.json" beside the panel file, so the panel file
// keeps its layout; like the panel, each change is written at once and Cancel puts it back.
QWidget* FrmMeasure::buildExposure() {
    exposurePath_ = ExposureChoiceFile::sideFilePath(panel_.currentPanelPath());
    if (QFile f(exposurePath_); f.open(QIODevice::ReadOnly))
        exposureBytes_ = f.read(ExposureChoiceFile::kMaxFileBytes + 1);
    const ExposureChoice choice = ExposureChoiceFile::load(exposurePath_);

    auto* frame = new XPFrame(QStringLiteral("Exposure"), this);
    frame->setObjectName(QStringLiteral("FrmExposure"));
    auto* layout = new QGridLayout(frame);
    cbxLimits_ = new QComboBox(frame);
    cbxLimits_->setObjectName(QStringLiteral("CBXLimits"));
    cbxLimits_->addItem(QStringLiteral("None"), QString());
    for (const QString& name : ExposureChoiceFile::choices(ctx_.appDir))
        cbxLimits_->addItem(name, name);
    if (!choice.table.isEmpty() && cbxLimits_->findData(choice.table) < 0)
        cbxLimits_->addItem(choice.table + QStringLiteral(" (missing)"), choice.table);
    setIndex(cbxLimits_, cbxLimits_->findData(choice.table));
    sbAlarm_ = new QSpinBox(frame);
    sbAlarm_->setObjectName(QStringLiteral("SBAlarm"));
    sbAlarm_->setRange(1, int(ExposureChoiceFile::kMaxAlarmPercent));
    sbAlarm_->setSuffix(QStringLiteral(" %"));
    {
        const QSignalBlocker block(sbAlarm_);
        sbAlarm_->setValue(int(std::lround(choice.alarmPercent)));
    }
    layout->addWidget(caption(QStringLiteral("Lim&its"), cbxLimits_, frame), 0, 0);
    layout->addWidget(cbxLimits_, 0, 1);
    layout->addWidget(caption(QStringLiteral("Alarm at"), sbAlarm_, frame), 1, 0);
    layout->addWidget(sbAlarm_, 1, 1);
    connect(cbxLimits_, &QComboBox::currentIndexChanged, this, [this] { saveExposure(); });
    connect(sbAlarm_, &QSpinBox::valueChanged, this, [this] { saveExposure(); });
    return frame;
}

void FrmMeasure::saveExposure() {
    ExposureChoice c;
    c.table = cbxLimits_->currentData().toString();
    c.alarmPercent = sbAlarm_->value();
    ExposureChoiceFile::save(exposurePath_, c);
    refresh();
}

bool FrmMeasure::exposureChanged() const {
    QFile f(exposurePath_);
    const std::optional<QByteArray> now =
        f.open(QIODevice::ReadOnly) ? std::optional(f.read(ExposureChoiceFile::kMaxFileBytes + 1))
                                    : std::nullopt;
    return now != exposureBytes_;
}

void FrmMeasure::reject() {
    if (!closing_) {
        closing_ = true;
        if (exposureBytes_)
            saveWholeFile(exposurePath_, *exposureBytes_);
        else
            QFile::remove(exposurePath_);
        // Only this dialog's edits go: the record as it was at opening (Undo's copy is not
        // touched) and the file's bytes as they were, in one replace-on-commit write.
        if (!(panel_.panel() == snapshot_))
            panel_.editSettings([this](PanelRecord& r) { r = snapshot_; });
        backup_.restore();
        backup_.discard();
    }
    QDialog::reject();
}
