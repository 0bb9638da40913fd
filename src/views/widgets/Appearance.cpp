#include "views/widgets/Appearance.h"

#include "panel/AppearanceSettings.h"

#include "app/ValueLists.h"
#include "views/widgets/StyledControls.h"
#include "views/widgets/XPControls.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor storedColour(quint32 value) {
    if (value & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (value & 0xFFu) {
        case 5:
            return pal.color(QPalette::Base);
        case 8:
            return pal.color(QPalette::Text);
        case 15:
            return pal.color(QPalette::Button);
        case 18:
            return pal.color(QPalette::ButtonText);
        case 20:
            return pal.color(QPalette::Light);
        default:
            break;
        }
    }
    const quint32 v = resolveStoredColour(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

quint32 colourValue(const QColor& c) {
    return rgbValue(c.red(), c.green(), c.blue());
}

namespace {

bool isStatusLabel(const QString& name) {
    return name == QLatin1String("LBError") || name == QLatin1String("LbFtune") ||
           name == QLatin1String("LBPolling");
}

void applyToLabel(LB_OCX* label, const AppearanceValues& v) {
    const QString name = label->objectName();
    if (name == QLatin1String("LbColor") || name == QLatin1String("LBSep")) return;
    label->setStyle(v.LabelStyle);
    label->setScheme(v.LabelScheme);
    if (isStatusLabel(name)) {
        label->setColors(QColor(255, 0, 0), QColor(255, 192, 192));
        return;
    }
    const QColor end = storedColour(v.LabelColorEnd);
    label->setColors(labelStyleOneColour(v.LabelStyle) ? end : storedColour(v.LabelColorStart),
                     end);
}

void applyToButton(XPButton* button, const AppearanceValues& v) {
    button->setColorScheme(1);
    button->setButtonStyle(v.ButtonStyle);
    button->setColors(storedColour(v.ButtonColorStart), storedColour(v.ButtonColorEnd));
}

} // namespace

void ApplyAppearance(QWidget* window, const AppearanceValues& values) {
    if (!window) return;
    if (auto* l = qobject_cast<LB_OCX*>(window)) applyToLabel(l, values);
    if (auto* b = qobject_cast<XPButton*>(window)) applyToButton(b, values);
    for (LB_OCX* l : window->findChildren<LB_OCX*>())
        applyToLabel(l, values);
    for (XPButton* b : window->findChildren<XPButton*>())
        applyToButton(b, values);
    for (XPFrame* f : window->findChildren<XPFrame*>())
        f->setFrameStyleIndex(values.ButtonStyle);
    for (XPCheck* c : window->findChildren<XPCheck*>())
        c->setControlStyle(values.ButtonStyle);
    for (XPOption* o : window->findChildren<XPOption*>())
        o->setControlStyle(values.ButtonStyle);
    for (XPText* t : window->findChildren<XPText*>())
        t->setControlStyle(values.ButtonStyle);
}
