#pragma once

#include <QString>

// The command-line switches. Each is a case-sensitive substring test of the whole command
// line, so "/ICONE/SEGNATUTTO" turns on both and "/NOLIMITRBW" also contains "/NOLIMIT".
class Switches {
public:
    Switches() = default;
    explicit Switches(QString commandLine) : line_(std::move(commandLine)) {}

    bool has(const QString& text) const { return line_.contains(text, Qt::CaseSensitive); }
    const QString& commandLine() const { return line_; }

    bool segnaTutto() const { return has(QStringLiteral("/SEGNATUTTO")); }
    bool logDlc() const { return has(QStringLiteral("/LOGDLC")); }
    bool noLimit() const { return has(QStringLiteral("/NOLIMIT")); }
    bool noLimitRbw() const { return has(QStringLiteral("/NOLIMITRBW")); }

    // The text between a value switch and the next "/" after it; null when the switch or
    // its closing "/" is missing.
    QString value(const QString& valueSwitch) const;

    // "/RATEHOURS=": -1 when absent or invalid, else 1..1440.
    int rateHours() const;
    // "/DELAYSC=": 0 when absent, else 1..60 seconds.
    int delaySc() const;
    // -1 when "/CIST" is on, else 0.
    int detCIst() const { return has(QStringLiteral("/CIST")) ? -1 : 0; }

private:
    QString line_;
};

// Reads a number from the start of a text, up to the first character that cannot belong to
// a number. `ok` is false when no digit was found. The first "," counts as ".".
double leadingNumber(const QString& text, bool* ok = nullptr);
// Rounds to the nearest whole number, halves to even.
double roundHalfEven(double v);
