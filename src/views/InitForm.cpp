#include "views/InitForm.h"

#include "app/AppContext.h"
#include "app/Release.h"
#include "panel/SetupData.h"
#include "views/widgets/StyledControls.h"

#include <QDir>
#include <QVBoxLayout>

AppearanceValues appearanceFrom(const SettingsRecord& r) {
    AppearanceValues v;
    v.ButtonColorStart = quint32(r.ButtonColorStart);
    v.ButtonColorEnd = quint32(r.ButtonColorEnd);
    v.ButtonStyle = r.ButtonStyle;
    v.LabelColorStart = quint32(r.LabelColorStart);
    v.LabelColorEnd = quint32(r.LabelColorEnd);
    v.LabelStyle = r.LabelStyle;
    v.LabelScheme = r.LabelScheme;
    return v;
}

InitForm::InitForm(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), ctx_(ctx) {
    setObjectName(QStringLiteral("InitForm"));
    setWindowTitle(QStringLiteral("Halvex"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(18, 18, 18, 18);
    v->setSpacing(10);
    name_ = new LB_OCX(QStringLiteral("Halvex"), this);
    name_->setObjectName(QStringLiteral("LBName"));
    QFont big = font();
    big.setPointSize(big.pointSize() + 14);
    big.setBold(true);
    name_->setFont(big);
    name_->setMinimumSize(320, 78);
    release_ = new LB_OCX(QStringLiteral("Rel. ") + ReleaseText(), this);
    release_->setObjectName(QStringLiteral("LBRelease"));
    release_->setMinimumHeight(30);
    v->addWidget(name_);
    v->addWidget(release_);
    setStyleSheet(QStringLiteral("InitForm { background: #f3f5f8; }"));
    setAttribute(Qt::WA_StyledBackground);

    // Panels/ first: the settings record lives there. Failures only cost the defaults.
    QDir().mkpath(ctx_.path(QStringLiteral("Panels")));
    settings_ = LoadSettings(settingsPath(ctx_));
    ValidateSettings(settings_);
    ApplyAppearance(this, appearanceFrom(settings_));
    setupRelease_ = ReadReleaseLine(ctx_.appDir);

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] {
        timer_.stop();
        if (ticked_) return;
        ticked_ = true;
        if (onFirstTick) onFirstTick();
    });
}

QString InitForm::nameText() const {
    return name_->caption();
}
QString InitForm::releaseText() const {
    return release_->caption();
}

void InitForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!ticked_ && !timer_.isActive()) timer_.start();
}
