#pragma once

#include "panel/SettingsFile.h"
#include "views/widgets/Appearance.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class AppContext;
class LB_OCX;

AppearanceValues appearanceFrom(const SettingsRecord& r);

// The start-up form (`InitForm`): shows the program name and release, creates "Panels/",
// reads and checks the settings record and the setup release. Its timer `Timer1` starts when
// the form is shown; its first tick hands over to the main window.
class InitForm : public QWidget {
    Q_OBJECT
public:
    explicit InitForm(AppContext& ctx, QWidget* parent = nullptr);

    SettingsRecord& settings() { return settings_; }
    const QString& SetupRelease() const { return setupRelease_; }
    QTimer& Timer1() { return timer_; }
    QString nameText() const;
    QString releaseText() const;

    // Runs on the timer's first tick (shows the main window).
    std::function<void()> onFirstTick;

protected:
    void showEvent(QShowEvent* e) override;

private:
    AppContext& ctx_;
    SettingsRecord settings_;
    QString setupRelease_;
    QTimer timer_;
    bool ticked_ = false;
    LB_OCX* name_;
    LB_OCX* release_;
};
