#pragma once

#include "link/SerialChannel.h"

#include <QSerialPort>
#include <QString>

// The channel on a real serial port through Qt SerialPort. Port n is "COMn" on Windows. On
// other systems it is <AppDir>/ports/COMn when that entry exists (a link the operator or the
// probe simulator puts there; the link's target is opened), else /dev/ttyS<n-1>.
class SerialPortChannel : public SerialChannel {
public:
    explicit SerialPortChannel(QString appDir);
    ~SerialPortChannel() override;
    SerialPortChannel(const SerialPortChannel&) = delete;
    SerialPortChannel& operator=(const SerialPortChannel&) = delete;

    // Opens exclusively (a second open of the same device, from this or another process,
    // fails) and sets 38400 baud, 8 data bits, no parity, 1 stop bit.
    bool open(int port) override;
    void close() override;
    bool isOpen() const override;
    qint64 write(const QByteArray& data, int timeoutMs) override;
    qint64 bytesWaiting() override;
    bool read(qint64 count, QByteArray& out) override;
    bool flushOutput() override;
    // Sleeps on the port until input arrives, at most ms; just sleeps when no port is open.
    void waitForInput(int ms) override;

    // The device that port n stands for.
    QString deviceFor(int port) const;

private:
    bool driverMayHoldInput();

    QString appDir_;
    QSerialPort port_;
    // What the caller last saw waiting: input that the event loop moved into Qt's buffer
    // since then must end the next waitForInput() at once, or the caller would sleep on it.
    qint64 seenAvailable_ = 0;
};
