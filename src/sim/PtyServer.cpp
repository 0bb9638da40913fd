#include "sim/PtyServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/timerfd.h>
#endif

namespace {
// The longest a stream's bytes wait for their write: 50 ms is 192 bytes at the line rate.
constexpr double kBatchSeconds = 0.05;
// Presence changes and a program opening a hung-up terminal are noticed within 50 ms.
constexpr qint64 kTickNs = 50000000;

// Commands and short replies in full; long ones (sweeps) by their size.
QString shown(const QByteArray& bytes) {
    if (bytes.size() > 64) return QStringLiteral("%1 bytes").arg(bytes.size());
    QString out;
    for (char c : bytes) {
        const auto b = quint8(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out += QChar(b);
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}
} // namespace

#ifdef Q_OS_UNIX
namespace {
qint64 monotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Sleeps until one of fds is ready or `ns` have passed (rounded up to whole milliseconds).
int waitForAny(std::vector<pollfd>& fds, qint64 ns) {
    const qint64 ms = std::min<qint64>((ns + 999999) / 1000000, 60000);
    return ::poll(fds.data(), nfds_t(fds.size()), int(ms));
}

// The moment the next write is due, for the poll to watch. A reply is due to the tenth of a
// millisecond: a poll time-out counts whole milliseconds, and the kernel lets it run late by a
// thousandth of its length besides, all of which would count against the line. A timerfd
// has neither fault. Where there is none, fd() is -1 and the poll's time-out does the work.
class DueTimer {
public:
    DueTimer() {
#ifdef Q_OS_LINUX
        fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
#endif
    }
    ~DueTimer() {
        if (fd_ >= 0) ::close(fd_);
    }
    DueTimer(const DueTimer&) = delete;
    DueTimer& operator=(const DueTimer&) = delete;
    int fd() const {
        return fd_;
    }
    // Fires at `at` on the monotonic clock in nanoseconds (at once when it has passed); 0
    // disarms it.
    void set(qint64 at) {
#ifdef Q_OS_LINUX
        if (fd_ < 0 || at == armed_) return;
        itimerspec when{};
        when.it_value = {time_t(at / 1000000000), long(at % 1000000000)};
        ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
        armed_ = at;
#else
        (void)at;
#endif
    }
    // Takes the expiry, so that the next set() arms it whatever the time.
    void fired() {
        quint64 expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
        armed_ = 0;
    }

private:
    int fd_ = -1;
    qint64 armed_ = 0; // when it fires; 0 while disarmed
};
} // namespace
#endif

struct PtyServer::Station {
    int port = 0;
    int master = -1;
    QString device;
    QString link;
    qint64 sendAt = 0;   // when the next write is due, monotonic nanoseconds; 0: none
    QByteArray unsent;   // left over when the terminal's buffer was full
    bool hungUp = false; // no program has the terminal open
    bool present = true;
    double inputLineFree = 0; // when the last byte written by the program has crossed the line
};

PtyServer::PtyServer(SimNetwork& network, QString appDir)
    : network_(network), appDir_(std::move(appDir)) {}

PtyServer::~PtyServer() {
    stop();
}

QString PtyServer::linkPath(int port) const {
    return QDir(appDir_).filePath(QStringLiteral("ports/COM%1").arg(port));
}

QString PtyServer::devicePath(int port) const {
    auto it = stations_.find(port);
    return it == stations_.end() || it->second->master < 0 ? QString() : it->second->device;
}

void PtyServer::say(const QString& line) const {
    if (out_) out_(line);
}

bool PtyServer::start(QString* error) {
#ifndef Q_OS_UNIX
    if (error) *error = QStringLiteral("pseudo-terminals are not available on this system");
    return false;
#else
    if (!QDir().mkpath(QDir(appDir_).filePath(QStringLiteral("ports")))) {
        if (error) *error = QStringLiteral("cannot create %1").arg(QDir(appDir_).filePath("ports"));
        return false;
    }
#ifdef Q_OS_LINUX
    // Replies are due to the tenth of a millisecond; the kernel's default timer slack would
    // let each one wake up to 50 µs late.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    const double now = network_.now();
    for (int port : network_.ports()) {
        auto st = std::make_unique<Station>();
        st->port = port;
        st->link = linkPath(port);
        Station* raw = st.get();
        ProbeModel* probe = network_.probe(port);
        if (verbose_) {
            probe->setObserver([this, port](const QByteArray& command, const QByteArray& reply) {
                say(QStringLiteral("COM%1 <- %2").arg(port).arg(shown(command)));
                say(QStringLiteral("COM%1 -> %2")
                        .arg(port)
                        .arg(reply.isEmpty() ? QStringLiteral("(no reply)") : shown(reply)));
            });
        }
        stations_[port] = std::move(st);
        raw->present = probe->present(now);
        if (raw->present && !openTerminal(*raw, error)) {
            stop();
            return false;
        }
        say(QStringLiteral("COM%1  serial %2  %3")
                .arg(port)
                .arg(QString::fromLatin1(probe->config().serial),
                     raw->present ? raw->device : QStringLiteral("(vanished)")));
    }
    return true;
#endif
}

void PtyServer::watch(int fd, std::function<bool()> onReadable) {
    watched_.push_back({fd, std::move(onReadable)});
}

void PtyServer::serve() {
#ifdef Q_OS_UNIX
    quit_ = false;
    qint64 nextTick = monotonicNs() + kTickNs;
    DueTimer timer;
    std::vector<pollfd> fds;
    std::vector<Station*> polled;
    while (!quit_) {
        fds.clear();
        polled.clear();
        for (const Watched& w : watched_)
            fds.push_back({w.fd, POLLIN, 0});
        qint64 due = 0;
        for (auto& [port, st] : stations_) {
            // A hung-up terminal reports POLLHUP without end; the tick looks after it.
            if (st->master >= 0 && !st->hungUp) {
                fds.push_back({st->master, POLLIN, 0});
                polled.push_back(st.get());
            }
            if (st->sendAt != 0 && (due == 0 || st->sendAt < due)) due = st->sendAt;
        }
        qint64 wakeAt = nextTick;
        if (timer.fd() >= 0) {
            timer.set(due);
            fds.push_back({timer.fd(), POLLIN, 0});
        } else if (due != 0) {
            wakeAt = std::min(wakeAt, due);
        }
        if (waitForAny(fds, std::max<qint64>(0, wakeAt - monotonicNs())) < 0 && errno != EINTR)
            break;
        if (timer.fd() >= 0 && fds.back().revents != 0) timer.fired();
        const size_t first = watched_.size();
        for (size_t i = 0; i < polled.size(); ++i)
            if (fds[first + i].revents != 0) onReadable(*polled[i]);
        // Input at its end would wake the loop without end: poll skips a negative descriptor.
        for (size_t i = 0; i < first; ++i)
            if (fds[i].revents != 0 && !watched_[i].onReadable()) watched_[i].fd = -1;
        const qint64 now = monotonicNs();
        for (auto& [port, st] : stations_) {
            if (st->sendAt != 0 && st->sendAt <= now) {
                st->sendAt = 0;
                sendDue(*st);
            }
        }
        if (now >= nextTick) {
            onTick();
            nextTick = now + kTickNs;
        }
    }
#endif
}

void PtyServer::stop() {
    for (auto& [port, st] : stations_) {
        closeTerminal(*st);
        if (ProbeModel* probe = network_.probe(port)) probe->setObserver({});
    }
    stations_.clear();
}

bool PtyServer::openTerminal(Station& st, QString* error) {
#ifndef Q_OS_UNIX
    (void)st;
    (void)error;
    return false;
#else
    auto failed = [&](const QString& what) {
        if (error) *error = QStringLiteral("COM%1: %2").arg(st.port).arg(what);
        closeTerminal(st);
        return false;
    };
    st.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (st.master < 0)
        return failed(QStringLiteral("no pseudo-terminal: %1").arg(qt_error_string(errno)));
    ::fcntl(st.master, F_SETFD, FD_CLOEXEC);
    if (::grantpt(st.master) != 0 || ::unlockpt(st.master) != 0)
        return failed(QStringLiteral("cannot unlock the pseudo-terminal"));
    // One thread only, so the shared buffer of ptsname is safe (and it exists everywhere).
    const char* name = ::ptsname(st.master);
    if (!name) return failed(QStringLiteral("the pseudo-terminal has no name"));
    st.device = QString::fromLocal8Bit(name);
    // Raw bytes both ways until the program sets its own line settings.
    termios tio{};
    if (::tcgetattr(st.master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B38400);
        ::cfsetospeed(&tio, B38400);
        ::tcsetattr(st.master, TCSANOW, &tio);
    }
    ::fcntl(st.master, F_SETFL, ::fcntl(st.master, F_GETFL) | O_NONBLOCK);

    // Replace a link left behind by an earlier run, but nothing that is not a link.
    const QFileInfo old(st.link);
    if (old.isSymLink())
        QFile::remove(st.link);
    else if (old.exists())
        return failed(QStringLiteral("%1 exists and is not a link").arg(st.link));
    if (!QFile::link(st.device, st.link))
        return failed(QStringLiteral("cannot create the link %1").arg(st.link));

    st.hungUp = false;
    st.unsent.clear();
    return true;
#endif
}

void PtyServer::closeTerminal(Station& st) {
    st.sendAt = 0;
    // Remove only our own link: another simulator may have taken the name since.
    if (!st.device.isEmpty() && QFileInfo(st.link).isSymLink() &&
        QFileInfo(st.link).symLinkTarget() == st.device)
        QFile::remove(st.link);
#ifdef Q_OS_UNIX
    if (st.master >= 0) ::close(st.master);
#endif
    st.master = -1;
    st.unsent.clear();
}

void PtyServer::onReadable(Station& st) {
#ifdef Q_OS_UNIX
    ProbeModel* probe = network_.probe(st.port);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(st.master, buffer, sizeof buffer);
        if (n > 0) {
            // A terminal hands the program's bytes over at once; on the line they follow one
            // another at the line rate, and the probe has a command when its last byte is in.
            st.inputLineFree = std::max(network_.now(), st.inputLineFree) +
                               double(n) / ProbeModel::kBytesPerSecond;
            if (probe) probe->receive(QByteArray(buffer, int(n)), st.inputLineFree);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EIO) markHungUp(st);
        break;
    }
    scheduleSend(st);
#else
    (void)st;
#endif
}

void PtyServer::markHungUp(Station& st) {
#ifdef Q_OS_UNIX
    // The program closed the port. The terminal rests outside the poll until the tick sees
    // it opened again. Nothing is kept for the next program to find: the terminal would hold
    // what is written now and hand it to the next open.
    st.hungUp = true;
    st.unsent.clear();
    ::tcflush(st.master, TCIOFLUSH);
#else
    (void)st;
#endif
}

bool PtyServer::checkHungUp(Station& st) {
#ifdef Q_OS_UNIX
    if (st.master < 0 || st.hungUp) return st.hungUp;
    pollfd p{st.master, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP)) {
        // Take what the program wrote before it closed, then note the hang-up.
        onReadable(st);
        if (!st.hungUp) markHungUp(st);
    }
    return st.hungUp;
#else
    (void)st;
    return false;
#endif
}

void PtyServer::scheduleSend(Station& st) {
    ProbeModel* probe = network_.probe(st.port);
    if (!probe || st.master < 0) return;
    const double now = network_.now();
    const double next = probe->nextByteTime();
    double at = std::numeric_limits<double>::infinity();
    if (std::isfinite(next)) {
        // A reply leaves in one write when its last byte is due, so the program sees it
        // complete at the moment the line would deliver it; a long stream leaves in batches,
        // which keeps the simulator's wake-ups few without any byte leaving early.
        const double allSent =
            next + double(probe->queuedBytes() - 1) / ProbeModel::kBytesPerSecond;
        at = std::min(allSent, next + kBatchSeconds);
    }
    // The terminal was full: try again after a batch's time.
    if (!st.unsent.isEmpty()) at = std::min(at, now + kBatchSeconds);
    if (!std::isfinite(at)) return;
#ifdef Q_OS_UNIX
    // Never later than a time already set: that write is due first.
    const qint64 due = monotonicNs() + qint64(std::ceil(std::clamp(at - now, 0.0, 60.0) * 1e9));
    if (st.sendAt == 0 || due < st.sendAt) st.sendAt = due;
#endif
}

void PtyServer::sendDue(Station& st) {
#ifdef Q_OS_UNIX
    ProbeModel* probe = network_.probe(st.port);
    if (!probe || st.master < 0) return;
    const QByteArray bytes = probe->transmit(network_.now());
    // The program may have closed the port since the last poll, so look before writing.
    if (checkHungUp(st)) {
        // Nobody listens: the bytes are lost.
        scheduleSend(st);
        return;
    }
    st.unsent += bytes;
    while (!st.unsent.isEmpty()) {
        const ssize_t n = ::write(st.master, st.unsent.constData(), size_t(st.unsent.size()));
        if (n > 0) {
            st.unsent.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) st.unsent.clear();
        break;
    }
    if (st.unsent.size() > 1 << 20)
        st.unsent.clear(); // a program that never reads: drop, as a full line driver would
    scheduleSend(st);
#else
    (void)st;
#endif
}

void PtyServer::onTick() {
#ifdef Q_OS_UNIX
    const double now = network_.now();
    for (auto& [port, st] : stations_) {
        ProbeModel* probe = network_.probe(port);
        if (!probe) continue;
        const bool present = probe->present(now);
        if (present != st->present) {
            st->present = present;
            if (!present) {
                closeTerminal(*st);
                probe->reset();
                say(QStringLiteral("COM%1  vanished").arg(port));
            } else {
                QString error;
                if (openTerminal(*st, &error))
                    say(QStringLiteral("COM%1  back on %2").arg(port).arg(st->device));
                else
                    say(error);
            }
        }
        checkHungUp(*st);
        if (st->master >= 0 && st->hungUp) {
            pollfd p{st->master, POLLIN, 0};
            if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP)) {
                // A program has the terminal open again.
                st->hungUp = false;
            } else {
                // A program that opened, wrote and closed since the last tick: the probe
                // hears the command and its reply is lost, as on a real line.
                onReadable(*st);
            }
        }
        if (st->master >= 0 && st->sendAt == 0) scheduleSend(*st);
    }
#endif
}
