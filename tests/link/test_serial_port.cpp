#include <QtGlobal>

// The channel is tested on pseudo-terminals, which only Unix-like systems have.
#ifdef Q_OS_UNIX

#include "LinkRig.h"

#include "link/SerialPortChannel.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair: the test plays the probe on the master side and links the slave
// as <AppDir>/ports/COMn.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            slave_ = QString::fromLocal8Bit(ptsname(master_));
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    bool ok() const { return master_ >= 0 && !slave_.isEmpty(); }
    const QString& slave() const { return slave_; }

    bool linkAs(const QString& appDir, int port) const {
        QDir().mkpath(appDir + "ports");
        return QFile::link(slave_, appDir + QStringLiteral("ports/COM%1").arg(port));
    }
    // Reads until n bytes came or nothing more arrives for timeoutMs.
    QByteArray read(int n, int timeoutMs = 2000) const {
        QByteArray out;
        while (out.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) break;
            char buf[256];
            const ssize_t got = ::read(master_, buf, sizeof buf);
            if (got <= 0) break;
            out.append(buf, got);
        }
        return out;
    }
    bool write(const QByteArray& data) const {
        return ::write(master_, data.constData(), size_t(data.size())) == data.size();
    }

private:
    int master_ = -1;
    QString slave_;
};

// Reads from the channel until n bytes came, letting the channel wait for input.
QByteArray readChannel(SerialPortChannel& ch, int n) {
    QByteArray out;
    for (int i = 0; i < 2000 && out.size() < n; ++i) {
        const qint64 waiting = ch.bytesWaiting();
        if (waiting > 0) {
            QByteArray chunk;
            EXPECT_TRUE(ch.read(waiting, chunk));
            out += chunk;
        } else {
            ch.waitForInput(5);
        }
    }
    return out;
}

// Qt SerialPort wants an application object, as the program has one.
class SerialPort : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApplication(); }
};

} // namespace

TEST_F(SerialPort, OpensExclusivelyAndPassesBytesUnchanged) {
    TempAppDir dir;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(pty.linkAs(dir.path(), 3));

    SerialPortChannel channel(dir.path());
    EXPECT_EQ(channel.deviceFor(3), QFileInfo(pty.slave()).canonicalFilePath());
    ASSERT_TRUE(channel.open(3));
    EXPECT_TRUE(channel.isOpen());

    SerialPortChannel second(dir.path());
    EXPECT_FALSE(second.open(3));
    EXPECT_FALSE(second.isOpen());

    // Every byte value travels as it is: no line-end translation, no echo, no XON/XOFF.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QByteArray cmd = QByteArray("#00~C\x04\x80*\r\n\x11\x13") + all;
    EXPECT_EQ(channel.write(cmd, 1000 + 10 * int(cmd.size())), cmd.size());
    EXPECT_TRUE(channel.flushOutput());
    EXPECT_EQ(pty.read(int(cmd.size())), cmd);

    const QByteArray reply = "C\r\n#00@%*" + QByteArray::fromHex("00ff") + "12.5*" + all;
    ASSERT_TRUE(pty.write(reply));
    EXPECT_EQ(readChannel(channel, int(reply.size())), reply);
    EXPECT_EQ(channel.bytesWaiting(), 0);

    // Once the first user closes, the port can be opened again.
    channel.close();
    EXPECT_FALSE(channel.isOpen());
    EXPECT_EQ(channel.bytesWaiting(), -1);
    EXPECT_TRUE(second.open(3));
}

TEST_F(SerialPort, MissingPortIsReportedNotAvailable) {
    TempAppDir dir;
    // A link that leads nowhere: the port is gone, and no other device stands in for it.
    QDir().mkpath(dir.path() + "ports");
    ASSERT_TRUE(QFile::link(dir.path() + "ports/missing-device", dir.path() + "ports/COM3"));

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(dir.path(), QString(), clock, pump);
    SerialPortChannel channel(ctx.appDir);
    RecordingView view;
    ProbeLink link(ctx, channel, &view);
    link.setCurrentStation(0, "123AB01123");
    link.OpenStationPort(3);
    EXPECT_FALSE(channel.isOpen());
    EXPECT_TRUE(link.linkFailed(0));
    const QByteArray log = readAll(ctx.eventLog.currentPath());
    EXPECT_TRUE(log.endsWith(":  *** " + PadLogText("Port 3 not available").toLatin1() +
                             "\t(123AB01123)\r\n"))
        << log.constData();
    EXPECT_FALSE(channel.open(0));
    EXPECT_EQ(channel.write("x", 100), -1);
}

TEST_F(SerialPort, VanishedPortFailsTheStation) {
    TempAppDir dir;
    auto pty = std::make_unique<Pty>();
    ASSERT_TRUE(pty->ok());
    ASSERT_TRUE(pty->linkAs(dir.path(), 6));

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(dir.path(), QStringLiteral("/SEGNATUTTO"), clock, pump);
    SerialPortChannel channel(ctx.appDir);
    ProbeLink link(ctx, channel);
    link.OpenStationPort(6);
    ASSERT_TRUE(channel.isOpen());
    // The settle second after the open sleeps in the event loop instead of waking in slices.
    EXPECT_LE(pump.wakeUps(), 3);
    pty.reset(); // the far end goes away

    const long long before = pump.wakeUps();
    EXPECT_TRUE(link.ExecuteTransaction(0.2, "*", "#00(v*", "Reading field Ex failed",
                                        "Reading field Ex", true)
                    .isEmpty());
    // A port in error does not keep waking the pump.
    EXPECT_LE(pump.wakeUps() - before, 10);
    EXPECT_TRUE(link.linkFailed(0));
    const QByteArray log = readAll(ctx.eventLog.currentPath());
    EXPECT_TRUE(log.contains("*** " + PadLogText("Reading field Ex failed").toLatin1()))
        << log.constData();
}

#endif // Q_OS_UNIX
