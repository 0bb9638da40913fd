#include "link/SerialPortChannel.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#include <sys/ioctl.h>
#endif

SerialPortChannel::SerialPortChannel(QString appDir) : appDir_(std::move(appDir)) {
    if (!appDir_.isEmpty() && !appDir_.endsWith(QLatin1Char('/'))) appDir_ += QLatin1Char('/');
}

SerialPortChannel::~SerialPortChannel() {
    close();
}

QString SerialPortChannel::deviceFor(int port) const {
    const QString n = QString::number(port);
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + n;
#else
    const QFileInfo entry(appDir_ + QStringLiteral("ports/COM") + n);
    if (entry.isSymLink()) {
        // Qt SerialPort names its lock after the device, so it must see the device itself.
        // A link that leads nowhere stands for a port that is gone, not for /dev/ttyS.
        const QString target = entry.canonicalFilePath();
        return target.isEmpty() ? entry.symLinkTarget() : target;
    }
    if (entry.exists()) return entry.absoluteFilePath();
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
#endif
}

bool SerialPortChannel::open(int port) {
    close();
    if (port < 1) return false;
    const QString device = deviceFor(port);
    if (!QFileInfo::exists(device) && device.startsWith(QLatin1Char('/'))) return false;
    port_.setPortName(device);
    port_.setBaudRate(QSerialPort::Baud38400);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    if (!port_.open(QIODevice::ReadWrite)) return false;
#ifdef Q_OS_UNIX
    // Qt's lock file and TIOCEXCL do not stop a second open by root or by the same process;
    // a lock on the device itself does.
    if (::flock(int(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        return false;
    }
#endif
    port_.clearError();
    return true;
}

void SerialPortChannel::close() {
    if (port_.isOpen()) port_.close();
    port_.clearError();
    seenAvailable_ = 0;
}

bool SerialPortChannel::isOpen() const {
    return port_.isOpen();
}

qint64 SerialPortChannel::write(const QByteArray& data, int timeoutMs) {
    if (!port_.isOpen()) return -1;
    if (port_.write(data) != data.size()) return -1;
    // Straight out when the port takes it all, as it nearly always does; only a full port is
    // waited for. The flush after the last write also switches off Qt's watch for the port to
    // take more, which would otherwise wake the event loop once more for nothing.
    port_.flush();
    QDeadlineTimer deadline(qMax(0, timeoutMs));
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    }
    port_.flush();
    const qint64 left = port_.bytesToWrite();
    if (left > 0) {
        // What did not leave in time must not arrive later as part of another command.
        port_.clear(QSerialPort::Output);
        return data.size() - left;
    }
    return data.size();
}

bool SerialPortChannel::driverMayHoldInput() {
#ifdef Q_OS_UNIX
    int held = 0;
    // A port in error (gone, hung up) makes the ioctl fail, and the poll then reports it.
    return ::ioctl(int(port_.handle()), FIONREAD, &held) != 0 || held > 0;
#else
    return true;
#endif
}

qint64 SerialPortChannel::bytesWaiting() {
    if (!port_.isOpen()) return -1;
    // Moves what the driver holds into Qt's buffer without blocking, so the count is right
    // even when no event loop runs. Where the driver can say it holds nothing, the port is
    // not polled: a poll of an empty terminal costs the next reply a slower wake-up.
    if (driverMayHoldInput()) port_.waitForReadyRead(0);
    const QSerialPort::SerialPortError error = port_.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
        error == QSerialPort::NotOpenError || !port_.isOpen())
        return -1;
    if (error != QSerialPort::NoError)
        port_.clearError(); // a line error is cleared by the status query
    seenAvailable_ = port_.bytesAvailable();
    return seenAvailable_;
}

bool SerialPortChannel::read(qint64 count, QByteArray& out) {
    out.clear();
    if (!port_.isOpen()) return false;
    const qint64 n = qMin(count, port_.bytesAvailable());
    if (n <= 0) return true;
    out.resize(n);
    const qint64 got = port_.read(out.data(), n);
    if (got < 0) {
        out.clear();
        return false;
    }
    out.resize(got);
    seenAvailable_ = port_.bytesAvailable();
    return true;
}

bool SerialPortChannel::flushOutput() {
    if (!port_.isOpen()) return false;
    QDeadlineTimer deadline(1000 + 10 * int(qMin<qint64>(port_.bytesToWrite(), 1 << 20)));
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    }
    return port_.bytesToWrite() == 0;
}

void SerialPortChannel::waitForInput(int ms) {
    if (ms <= 0) return;
    if (!port_.isOpen()) {
        QThread::msleep(ulong(ms));
        return;
    }
    if (port_.bytesAvailable() > seenAvailable_) return;
    QDeadlineTimer deadline(ms);
    if (port_.waitForReadyRead(ms)) return;
    // The port returned at once with an error: sleep out the rest instead of spinning.
    const qint64 left = deadline.remainingTimeNSecs();
    if (left > 0) QThread::usleep(ulong(left / 1000));
}
