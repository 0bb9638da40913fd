#pragma once

#include "app/Clock.h"
#include "link/SerialChannel.h"

#include <QByteArray>
#include <functional>
#include <limits>
#include <map>
#include <vector>

// A scripted probe on the virtual clock: each write is answered by the next queued reply
// (pieces that arrive at given delays after the write), or by a responder function. Records
// what was written and can refuse opens, writes and reads.
class ScriptedChannel : public SerialChannel {
public:
    struct Piece {
        double delay; // seconds after the write
        QByteArray bytes;
    };
    using Reply = std::vector<Piece>;

    explicit ScriptedChannel(VirtualClock& clock) : clock_(clock) {}

    void queueReply(Reply reply) { replies_.push_back(std::move(reply)); }
    // Queues the same reply n times.
    void queueReplies(int n, const Reply& reply) {
        for (int i = 0; i < n; ++i)
            queueReply(reply);
    }
    // Answers writes once the queue is empty.
    void setResponder(std::function<Reply(const QByteArray&)> fn) { responder_ = std::move(fn); }
    // Bytes that arrive `delay` seconds from now, whatever is written.
    void inject(double delay, const QByteArray& bytes) {
        pending_.emplace(clock_.micros() + (long long)(delay * 1e6), bytes);
    }
    // Every status query finds one more byte waiting, as from a probe that never stops.
    void setStreaming(bool on) { streaming_ = on; }

    void failWrites(int n) { failWrites_ = n; }
    void failReads(int n) { failReads_ = n; }
    void refuseOpens(int n) { refuseOpens_ = n; }

    bool open(int port) override {
        openAttempts.push_back(port);
        if (take(refuseOpens_)) return false;
        open_ = true;
        ++opens;
        return true;
    }
    void close() override {
        if (open_) ++closes;
        open_ = false;
        pending_.clear();
        inbox_.clear();
    }
    bool isOpen() const override { return open_; }
    qint64 write(const QByteArray& data, int timeoutMs) override {
        writeTimeouts.push_back(timeoutMs);
        if (!open_ || take(failWrites_)) return -1;
        writes.push_back(data);
        Reply reply =
            replies_.empty() ? (responder_ ? responder_(data) : Reply()) : replies_.front();
        if (!replies_.empty()) replies_.erase(replies_.begin());
        for (const Piece& p : reply)
            inject(p.delay, p.bytes);
        return data.size();
    }
    qint64 bytesWaiting() override {
        ++statusQueries;
        if (!open_) return -1;
        if (streaming_) inbox_ += 'x';
        while (!pending_.empty() && pending_.begin()->first <= clock_.micros()) {
            inbox_ += pending_.begin()->second;
            pending_.erase(pending_.begin());
        }
        return inbox_.size();
    }
    bool read(qint64 count, QByteArray& out) override {
        out.clear();
        if (!open_ || take(failReads_)) return false;
        out = inbox_.left(count);
        inbox_.remove(0, out.size());
        ++reads;
        return true;
    }
    double secondsToNextInput() override {
        const auto next = pending_.upper_bound(clock_.micros());
        if (!open_ || next == pending_.end()) return std::numeric_limits<double>::infinity();
        return double(next->first - clock_.micros()) / 1e6;
    }
    bool flushOutput() override {
        ++flushes;
        return open_;
    }

    std::vector<QByteArray> writes;
    std::vector<int> writeTimeouts;
    std::vector<int> openAttempts;
    int opens = 0;
    int closes = 0;
    int reads = 0;
    int flushes = 0;
    long long statusQueries = 0;

private:
    // Uses up one of a number of planned failures.
    static bool take(int& failures) { return failures > 0 && failures-- > 0; }

    VirtualClock& clock_;
    std::vector<Reply> replies_;
    std::function<Reply(const QByteArray&)> responder_;
    std::multimap<long long, QByteArray> pending_;
    QByteArray inbox_;
    bool open_ = false;
    bool streaming_ = false;
    int failWrites_ = 0;
    int failReads_ = 0;
    int refuseOpens_ = 0;
};
