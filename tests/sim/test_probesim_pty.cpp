// halvex-probesim over real pseudo-terminals, with the program's serial port channel and
// probe link as the client.

#include "app/AppContext.h"
#include "link/LinkView.h"
#include "link/ProbeCommands.h"
#include "link/ProbeLink.h"
#include "link/SerialPortChannel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {

class ProbeSimPty : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApplication(); }

    void SetUp() override {
        program_ = binDir() + QStringLiteral("/halvex-probesim");
        if (!QFileInfo(program_).isExecutable())
            GTEST_SKIP() << "halvex-probesim is not built at " << program_.toStdString();
    }

    void TearDown() override {
        if (sim_.state() != QProcess::NotRunning) {
            sim_.terminate();
            if (!sim_.waitForFinished(10000)) sim_.kill();
        }
    }

    // Starts the simulator and waits (up to ten seconds each) for the links of `ports`.
    bool start(const QStringList& extra, std::initializer_list<int> ports) {
        sim_.start(program_, QStringList{"--app-dir", dir_.path()} + extra);
        if (!sim_.waitForStarted(10000)) return false;
        for (int port : ports)
            if (!waitForLink(port, true)) return false;
        return true;
    }

    // Waits up to ten seconds for the link of a port to be there (or gone).
    bool waitForLink(int port, bool there) {
        for (int i = 0; i < 200; ++i) {
            if (QFileInfo(linkOf(port)).isSymLink() == there) return true;
            QThread::msleep(50);
        }
        return false;
    }

    // A control line to the simulator's standard input; no event loop runs here, so the
    // write is pushed out at once.
    void control(const QByteArray& lines) {
        sim_.write(lines);
        sim_.waitForBytesWritten(5000);
    }

    // The serial number query on an open channel, and the reply within two seconds.
    static QByteArray askSerial(SerialPortChannel& channel) {
        if (channel.write("#00?S0*", 1000) != 7) return {};
        QByteArray got;
        for (int i = 0; i < 100 && !got.endsWith('*'); ++i) {
            channel.waitForInput(20);
            QByteArray chunk;
            if (channel.bytesWaiting() > 0 && channel.read(channel.bytesWaiting(), chunk))
                got += chunk;
        }
        return got;
    }

    QString linkOf(int port) const { return dir_.file(QStringLiteral("ports/COM%1").arg(port)); }

    TempAppDir dir_;
    QString program_;
    QProcess sim_;
};

TEST_F(ProbeSimPty, ReplyToAClosedPortIsNotFoundByTheNextOpen) {
    ASSERT_TRUE(start({}, {1}));
    SerialPortChannel channel(dir_.path());
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(channel.open(1));
        ASSERT_EQ(channel.write("#00V*", 1000), 5);
        channel.close(); // before the reply could come
        QThread::msleep(200);
        ASSERT_TRUE(channel.open(1));
        channel.waitForInput(300);
        QThread::msleep(100);
        EXPECT_EQ(channel.bytesWaiting(), 0) << "round " << round;
        channel.close();
    }
    // And the station still answers.
    ASSERT_TRUE(channel.open(1));
    EXPECT_EQ(askSerial(channel), QByteArray("241AB01001*"));
}

TEST_F(ProbeSimPty, PortVanishesAndComesBackOnCommand) {
    ASSERT_TRUE(start({"--verbose"}, {1, 2, 3}));
    control("vanish 2\n");
    ASSERT_TRUE(waitForLink(2, false));
    EXPECT_TRUE(QFileInfo(linkOf(1)).isSymLink());

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(dir_.path(), QString(), clock, pump);
    SerialPortChannel channel(dir_.path());
    ProbeLink link(ctx, channel);
    ProbeCommands commands(link);
    link.setCurrentStation(1);
    link.OpenStationPort(2);
    EXPECT_TRUE(link.currentLinkFailed());
    link.CloseStationPort();

    control("back 2\nfault 2 badSerial 1\n");
    ASSERT_TRUE(waitForLink(2, true));
    link.OpenStationPort(2);
    ASSERT_FALSE(link.currentLinkFailed());
    // One invalid number first, then the real one on the second exchange.
    EXPECT_EQ(commands.ReadSerialNumber(), QStringLiteral("241AB01002"));
    link.CloseStationPort();

    // The links go when the simulator ends, and it said what it saw.
    sim_.terminate();
    ASSERT_TRUE(sim_.waitForFinished(10000));
    EXPECT_EQ(sim_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim_.exitCode(), 0);
    for (int port = 1; port <= 3; ++port)
        EXPECT_FALSE(QFileInfo(linkOf(port)).exists() || QFileInfo(linkOf(port)).isSymLink());
    const QString out = QString::fromLatin1(sim_.readAllStandardOutput());
    EXPECT_TRUE(out.contains("COM2  serial 241AB01002  /dev/")) << out.toStdString();
    EXPECT_TRUE(out.contains("COM2 <- #00?S0*"));
    EXPECT_TRUE(out.contains("COM2 -> 241AB01002*"));
}

#ifdef Q_OS_LINUX
// Control input at its end is always readable: a simulator that kept watching it would spin.
TEST_F(ProbeSimPty, EndOfControlInputLeavesTheStationsServingAndTheSimulatorAsleep) {
    ASSERT_TRUE(start({}, {1}));
    sim_.closeWriteChannel();
    QThread::msleep(1000);
    SerialPortChannel channel(dir_.path());
    ASSERT_TRUE(channel.open(1));
    EXPECT_EQ(askSerial(channel), QByteArray("241AB01001*"));
    // Fields 14 and 15 of /proc/<pid>/stat: user and system time in clock ticks. Asleep, the
    // simulator uses next to none of the second it has been running for.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(sim_.processId()));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
    ASSERT_GT(fields.size(), 14);
    EXPECT_LT(fields[12].toLongLong() + fields[13].toLongLong(), 30) << "ticks of CPU time";
}
#endif

TEST_F(ProbeSimPty, BadScenarioStopsWithAMessage) {
    ASSERT_TRUE(writeAll(dir_.file("bad.json"), "{\"stations\": [{\"port\": 100}]}"));
    sim_.start(program_, {"--app-dir", dir_.path(), "--scenario", dir_.file("bad.json")});
    ASSERT_TRUE(sim_.waitForFinished(10000));
    EXPECT_EQ(sim_.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(sim_.readAllStandardError());
    EXPECT_TRUE(err.contains("\"port\" must be a whole number from 1 to 99")) << err.toStdString();
    EXPECT_FALSE(QFileInfo(linkOf(1)).isSymLink());

    sim_.start(program_, {"--help"});
    ASSERT_TRUE(sim_.waitForFinished(10000));
    const QString help = QString::fromLocal8Bit(sim_.readAllStandardOutput());
    for (const char* option : {"--app-dir", "--scenario", "--verbose", "--prepare-demo"})
        EXPECT_TRUE(help.contains(option)) << option;
}

} // namespace
