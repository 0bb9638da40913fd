// A List Mode run on a disk that fills up and frees again. The station's report folder is a
// small file system of its own (a tmpfs, when the test may mount one), filled to the last
// byte by another file; where mounting is not allowed, a file-size limit makes the same
// writes fail. Then nothing can be written at all, not even the event log. Then space returns.
#include "measure/CycleRig.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
const QByteArray kSerial = "555FD01555";

void setFileSizeLimit(rlim_t limit) {
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = std::min(limit, r.rlim_max);
    setrlimit(RLIMIT_FSIZE, &r);
}

// The station's report folder on a disk that can be filled and freed.
class SmallDisk {
public:
    explicit SmallDisk(const QString& dir) : dir_(dir) {
        QDir().mkpath(dir);
        // A mount namespace of this process alone, so the mount ends with it whatever happens.
        mounted_ = unshare(CLONE_NEWNS) == 0 &&
                   mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   mount("tmpfs", qPrintable(dir), "tmpfs", 0, "size=256k") == 0;
        // Past a file-size limit a write fails (EFBIG) instead of raising SIGXFSZ.
        std::signal(SIGXFSZ, SIG_IGN);
    }
    ~SmallDisk() {
        setFileSizeLimit(RLIM_INFINITY);
        if (mounted_) umount2(qPrintable(dir_), MNT_DETACH);
    }

    // No room for the next report block (bigger than a page, so it cannot hide in the slack
    // of the file's last page).
    void fill(const QString& report) {
        if (!mounted_) {
            setFileSizeLimit(rlim_t(QFileInfo(report).size()));
            return;
        }
        const int fd = open(qPrintable(dir_ + "/filler"), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray chunk(4096, 'f');
        while (write(fd, chunk.constData(), size_t(chunk.size())) > 0) {
        }
        close(fd);
    }
    // Not even the event log can be written.
    static void fillEverything() { setFileSizeLimit(1); }
    void free() {
        setFileSizeLimit(RLIM_INFINITY);
        QFile::remove(dir_ + "/filler");
    }

private:
    QString dir_;
    bool mounted_ = false;
};

} // namespace

TEST(FullDisk, FailedReportIsLoggedTheRunGoesOnAndTheNextPeriodIsWritten) {
    CycleRig rig;
    std::vector<double> freqs;
    FreqTable t;
    for (int i = 0; i < 100; ++i)
        t.rows[size_t(i)] = {freqs.emplace_back(0.5 + 0.29 * i), 0, 0};
    rig.addProbe(1, kSerial, {1, 2, 3}, freqs);
    rig.addStation(1);
    ASSERT_TRUE(FreqTableFile::write(rig.dir.path() + "Table/T1.FTR", t));
    rig.session->panelModel().setFreqTableName("T1");
    rig.settingsChange([](PanelRecord& p) {
        p.ListModeOn = 1;
        p.SpectrumModeOn = 0;
        p.ListModeFields = {1, 0, 1};
        p.ListModeRate = 2;
    });
    SmallDisk disk(rig.dir.path() + "Test/" + kSerial);
    const QString report = rig.dir.path() + "Test/" + kSerial + "/2026/01/15/Table_Mode.TXT";

    // Period 1 is written; period 2 finds the report's disk full; period 3 finds nothing
    // writable; then space returns for periods 4 and 5.
    QByteArray afterFirst;
    int phase = 0;
    rig.view.onReading = [&](const ReadingUpdate&) {
        const int done = rig.session->run().state().periodsCompleted;
        if (done == 1 && phase == 0) {
            afterFirst = readAll(report);
            disk.fill(report);
            phase = 1;
        } else if (done == 2 && phase == 1) {
            SmallDisk::fillEverything();
            phase = 2;
        } else if (done == 3 && phase == 2) {
            disk.free();
            phase = 3;
        }
    };
    rig.session->run().maxPeriods = 5;
    // Standard error into a pipe (a file would be held to the file-size limit as well); neither
    // end blocks.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    for (int fd : fds)
        fcntl(fd, F_SETFL, O_NONBLOCK);
    const int savedStderr = dup(2);
    dup2(fds[1], 2);
    QString why;
    const Session::ExecuteResult started = rig.session->CMBExecute(&why);
    dup2(savedStderr, 2);
    close(savedStderr);
    close(fds[1]);
    std::string stderrText;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        stderrText.append(buf, size_t(n));
    close(fds[0]);

    ASSERT_EQ(started, Session::ExecuteResult::ListModeRun) << why.toStdString();
    EXPECT_EQ(rig.session->run().state().periodsCompleted, 5);
    ASSERT_EQ(phase, 3);
    ASSERT_GT(afterFirst.size(), 4096);
    const QByteArray text = readAll(report);
    // Nothing written before was lost; periods 1, 4 and 5 are there, whole, and the run
    // ended with its stop line.
    EXPECT_TRUE(text.startsWith(afterFirst));
    EXPECT_EQ(text.count("Station: " + kSerial), 3);
    EXPECT_EQ(text.count(ListReport::kStartLine), 1);
    EXPECT_EQ(text.count("Frequency MHz"), 3);
    EXPECT_EQ(text.count("\r\n\r\nStation: "), 2);
    EXPECT_TRUE(text.endsWith(QByteArray(ListReport::kStopLine) + "\r\n"));
    // Period 2 is in the event log; period 3, when the log could not be written either, on
    // standard error.
    const QByteArray log = rig.eventLog();
    EXPECT_EQ(log.count("*** Report not written"), 1);
    EXPECT_TRUE(log.contains("*** Report not written" + QByteArray(80 - 18, ' ') + "\t(" + kSerial +
                             ")\r\n"));
    EXPECT_NE(stderrText.find("*** Report not written"), std::string::npos) << stderrText;
    EXPECT_TRUE(log.contains("    Scan Close (List Mode)"));
}
