#pragma once

#include <QByteArray>
#include <QThread>
#include <QtGlobal>

#include <limits>

// The byte channel to one probe: exactly what the probe link needs of a serial port.
// The program's implementation is SerialPortChannel (Qt SerialPort); the probe simulator
// provides an in-process one.
class SerialChannel {
public:
    virtual ~SerialChannel() = default;

    // Opens port n exclusively and sets 38400 baud, 8 data bits, no parity, 1 stop bit.
    virtual bool open(int port) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the whole block within timeoutMs; returns the bytes written, -1 on error.
    virtual qint64 write(const QByteArray& data, int timeoutMs) = 0;
    // Bytes waiting in the input queue, -1 when the status cannot be read.
    virtual qint64 bytesWaiting() = 0;
    // Reads up to count waiting bytes into out; false when the read call fails.
    virtual bool read(qint64 count, QByteArray& out) = 0;
    // Waits until written data has left.
    virtual bool flushOutput() = 0;
    // Blocks at most ms milliseconds, returning early when input arrives: for readers that run
    // no event loop (tools, tests). The program's waits sleep in the event pump instead. A
    // channel that cannot wait for input just sleeps.
    virtual void waitForInput(int ms) {
        if (ms > 0) QThread::msleep(ulong(ms));
    }
    // Seconds until the next byte arrives, for a channel whose input no file descriptor
    // announces (a simulated line): the event pump wakes then. Infinity when nothing is on
    // its way or when the event loop sees the arrival by itself, as on a real port.
    virtual double secondsToNextInput() { return std::numeric_limits<double>::infinity(); }
};
