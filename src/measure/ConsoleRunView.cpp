#include "measure/ConsoleRunView.h"

#include "app/Clock.h"

ConsoleRunView::ConsoleRunView(const Clock& clock, Sink sink, SerialSource serialOf)
    : clock_(clock), sink_(std::move(sink)), serialOf_(std::move(serialOf)) {}

void ConsoleRunView::line(const QString& text) {
    if (sink_) sink_(clock_.now().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + text);
}

QString ConsoleRunView::stationName(int slot, const QString& serial) const {
    QString name = QStringLiteral("Station %1").arg(slot + 1);
    if (!serial.isEmpty()) name += QStringLiteral(" (") + serial + QLatin1Char(')');
    return name;
}

void ConsoleRunView::lockForRun() {
    line(QStringLiteral("Run started"));
}
void ConsoleRunView::unlockAfterRun() {
    line(QStringLiteral("Run ended"));
}

void ConsoleRunView::showPollingLabel(const QString& caption, quint32, quint32, int) {
    line(QString(caption).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

void ConsoleRunView::message(const QString& text, MessageIcon) {
    line(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

void ConsoleRunView::readingShown(const ReadingUpdate& u) {
    QString text = stationName(u.slot, u.serial) + QStringLiteral(": ") + u.frequencyText +
                   QStringLiteral(" MHz");
    if (!u.eText.isEmpty()) text += QStringLiteral("  E = ") + u.eText + QStringLiteral("V/m");
    if (!u.hText.isEmpty()) text += QStringLiteral("  H = ") + u.hText + QStringLiteral("A/m");
    text += QStringLiteral("  readings %1").arg(u.count);
    if (u.slot >= 0 && u.slot < 16 && !battery_[u.slot].isEmpty())
        text += QStringLiteral("  battery ") + battery_[u.slot].trimmed();
    line(text);
}

void ConsoleRunView::visitFailed(int slot, const QString& reason) {
    line(stationName(slot, serialOf_ ? serialOf_(slot) : QString()) + QStringLiteral(": ") +
         reason);
}

void ConsoleRunView::showBatteryLevel(int slot, const BatteryDisplay& display) {
    if (slot >= 0 && slot < 16) battery_[slot] = display.caption;
}

void ConsoleRunView::spectrumSwept(const SpectrumSweepUpdate& u) {
    const QString serial = !u.serial.isEmpty() ? u.serial
                           : serialOf_         ? serialOf_(u.slot)
                                               : QString();
    QString text = stationName(u.slot, serial) + (u.field == 0 ? QStringLiteral(": E spectrum ")
                                                               : QStringLiteral(": H spectrum "));
    switch (u.outcome) {
    case SweepOutcome::Done:
        text += QStringLiteral("saved");
        break;
    case SweepOutcome::Failed:
        text += QStringLiteral("failed");
        break;
    case SweepOutcome::ManualStop:
        text += QStringLiteral("stopped");
        break;
    case SweepOutcome::NoFirmware:
        text += QStringLiteral("not swept (no firmware release)");
        break;
    }
    if (!u.startTime.isEmpty())
        text += QStringLiteral(" (started ") + u.startTime + QLatin1Char(')');
    line(text);
}
