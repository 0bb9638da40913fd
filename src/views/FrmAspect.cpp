#include "views/FrmAspect.h"

#include "views/InitForm.h"
#include "views/Prompts.h"
#include "views/widgets/StyledControls.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

FrmAspect::FrmAspect(SettingsRecord& settings, const QString& settingsFile,
                     const QString& backupFile, Prompts& prompts, QWidget* parent)
    : QDialog(parent), editor_(settings, settingsFile, backupFile), prompts_(prompts) {
    build();
    editor_.begin();
    editor_.onChange = [this] {
        applyEverywhere();
        showRecord();
    };
    ApplyAppearance(this, appearanceFrom(editor_.record()));
    showRecord();
}

FrmAspect::~FrmAspect() = default;

void FrmAspect::build() {
    setObjectName(QStringLiteral("FrmAspect"));
    setWindowTitle(QStringLiteral("Aspect"));
    auto* outer = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    auto makeButton = [this](const QString& text, const QString& name) {
        auto* b = new XPButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
        return b;
    };
    auto group = [&](const QString& title, QWidget* preview, QComboBox*& list, XPButton** colours,
                     const QString& coloursName, XPButton*& defaults, const QString& defaultsName) {
        auto* frame = new XPFrame(title, this);
        auto* g = new QGridLayout(frame);
        preview->setMinimumSize(180, 44);
        g->addWidget(preview, 0, 0, 1, 2);
        list = new QComboBox(frame);
        g->addWidget(list, 1, 0, 1, 2);
        for (int i = 0; i < 2; ++i) {
            colours[i] = makeButton(QString(), coloursName);
            colours[i]->setProperty("index", i);
            g->addWidget(colours[i], 2, i);
        }
        defaults = makeButton(QStringLiteral("Default"), defaultsName);
        g->addWidget(defaults, 3, 0, 1, 2);
        groups->addWidget(frame);
    };
    exampleButton_ = new XPButton(QStringLiteral("Example"), this);
    exampleButton_->setObjectName(QStringLiteral("CMBExampleButton"));
    exampleButton_->setAutoDefault(false);
    exampleLabel_ = new LB_OCX(QStringLiteral("Example"), this);
    exampleLabel_->setObjectName(QStringLiteral("LBExampleLabel"));
    group(QStringLiteral("Button"), exampleButton_, cbxButton_, colourButton_,
          QStringLiteral("CMBStartEndColorButton"), defaultButton_,
          QStringLiteral("CMBDefaultButton"));
    group(QStringLiteral("Label"), exampleLabel_, cbxLabel_, colourLabel_,
          QStringLiteral("CMBStartEndColorLabel"), defaultLabel_,
          QStringLiteral("CMBDefaultLabel"));
    cbxButton_->setObjectName(QStringLiteral("CBXStyleButton"));
    cbxLabel_->setObjectName(QStringLiteral("CBXStyleLabel"));
    cbxButton_->addItems(CompilaCBXStyleButton());
    cbxLabel_->addItems(CompilaCBXStyleLabel());
    outer->addLayout(groups);

    auto* commands = new QHBoxLayout;
    ok_ = makeButton(QStringLiteral("&OK"), QStringLiteral("CMBOK"));
    cancel_ = makeButton(QStringLiteral("&Cancel"), QStringLiteral("CMBCancel"));
    ok_->setDefault(true); // Enter is OK, Esc is Cancel
    commands->addStretch();
    commands->addWidget(ok_);
    commands->addWidget(cancel_);
    outer->addLayout(commands);

    connect(cbxButton_, &QComboBox::activated, this, [this](int i) { editor_.setButtonStyle(i); });
    connect(cbxLabel_, &QComboBox::activated, this, [this](int i) { editor_.setLabelStyle(i); });
    connect(colourButton_[0], &QPushButton::clicked, this,
            [this] { chooseColour(AppearanceEditor::ButtonStart); });
    connect(colourButton_[1], &QPushButton::clicked, this,
            [this] { chooseColour(AppearanceEditor::ButtonEnd); });
    connect(colourLabel_[0], &QPushButton::clicked, this,
            [this] { chooseColour(AppearanceEditor::LabelStart); });
    connect(colourLabel_[1], &QPushButton::clicked, this,
            [this] { chooseColour(AppearanceEditor::LabelEnd); });
    connect(defaultButton_, &QPushButton::clicked, this, [this] { editor_.buttonDefaults(); });
    connect(defaultLabel_, &QPushButton::clicked, this, [this] { editor_.labelDefaults(); });
    connect(ok_, &QPushButton::clicked, this, &FrmAspect::accept);
    connect(cancel_, &QPushButton::clicked, this, &FrmAspect::reject);
}

void FrmAspect::chooseColour(AppearanceEditor::Colour which) {
    const std::optional<quint32> c =
        prompts_.chooseColour(AppearanceEditor::colourTitle(which), editor_.colour(which));
    if (c) editor_.setColour(which, *c);
}

void FrmAspect::showRecord() {
    const SettingsRecord& r = editor_.record();
    cbxButton_->setCurrentIndex(r.ButtonStyle);
    cbxLabel_->setCurrentIndex(r.LabelStyle);
    const ColourButtons b = buttonColourButtons(r.ButtonStyle);
    colourButton_[0]->setText(b.startCaption);
    colourButton_[1]->setText(b.endCaption);
    colourButton_[1]->setVisible(b.endVisible);
    const ColourButtons l = labelColourButtons(r.LabelStyle);
    colourLabel_[0]->setText(l.startCaption);
    colourLabel_[1]->setText(l.endCaption);
    colourLabel_[1]->setVisible(l.endVisible);
    cancel_->setEnabled(editor_.changed());
}

void FrmAspect::applyEverywhere() {
    const AppearanceValues look = appearanceFrom(editor_.record());
    ApplyAppearance(this, look);
    emit appearanceChanged(look);
    // Windows that keep no copy of the look (the parent keeps one and follows the signal).
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w != parentWidget() && w->isVisible()) ApplyAppearance(w, look);
}

void FrmAspect::accept() {
    editor_.accept();
    QDialog::accept();
}

void FrmAspect::reject() {
    editor_.cancel(); // announces the restored look when there was a change
    QDialog::reject();
}
