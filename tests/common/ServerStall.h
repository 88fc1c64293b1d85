#pragma once
// The tests' server stopped (SIGSTOP) for at most a given time: continued by a
// thread of the test when that time has run out, or sooner when the test
// releases it. Whether the time ran out tells the order of two events without
// timing either: a statement that returned while the stall still held was
// ended by its own timeout, one that returned only after it had run out was
// answered by the server.

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

class ServerStall {
public:
    ServerStall(qint64 pid, std::chrono::milliseconds longest) : pid_(pid) {
        stopped_ = pid > 0 && ::kill(pid_t(pid), SIGSTOP) == 0 && WaitUntilStopped();
        if (!stopped_)
            return;
        thread_ = std::thread([this, longest] {
            std::unique_lock lock(m_);
            if (!cv_.wait_for(lock, longest, [this] { return released_; }))
                ranOut_ = true;
            ::kill(pid_t(pid_), SIGCONT);
        });
    }
    ~ServerStall() { Release(); }
    ServerStall(const ServerStall&) = delete;
    ServerStall& operator=(const ServerStall&) = delete;

    bool Stopped() const { return stopped_; }
    // The server was continued because the time ran out (not by Release()).
    bool RanOut() {
        std::lock_guard lock(m_);
        return ranOut_;
    }
    // Continues the server now (if it still waits) and returns once it is.
    void Release() {
        {
            std::lock_guard lock(m_);
            released_ = true;
        }
        cv_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

private:
    // The signal is sent, not yet obeyed, when kill() returns: a statement sent
    // right after could still be answered.
    bool WaitUntilStopped() const {
        for (int i = 0; i < 1000; ++i) {
            QFile f(QStringLiteral("/proc/%1/stat").arg(pid_));
            if (!f.open(QIODevice::ReadOnly))
                return false;
            const QByteArray stat = f.readAll();
            const qsizetype end = stat.lastIndexOf(')'); // the state follows the command's name
            if (end > 0 && stat.mid(end + 2, 1) == "T")
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    qint64 pid_;
    bool stopped_ = false;
    std::mutex m_;
    std::condition_variable cv_;
    bool released_ = false;
    bool ranOut_ = false;
    std::thread thread_;
};
