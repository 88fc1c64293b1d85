#pragma once
// The floor of fetching a statement's rows: the same statement over a
// connection opened once in this process, through the client library's own
// interface, every row fetched and nothing converted. What a window does
// beyond this (typing the values, spreading them over charts or a grid,
// painting) is its own cost. Also the stock command-line client, whose start
// and login a second run of "select 1" measures, so that they can be taken off.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <mysql.h>

class RawFetch {
public:
    // Connects as the window does: TCP to 127.0.0.1, the benchmark account,
    // the character set Qt's driver asks for.
    explicit RawFetch(int port) : m_(mysql_init(nullptr)) {
        mysql_options(m_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (!mysql_real_connect(m_, "127.0.0.1", "ordal", "ordal", "ordalm", static_cast<unsigned>(port), nullptr,
                                0)) {
            std::fprintf(stderr, "raw fetch: cannot connect: %s\n", mysql_error(m_));
            std::exit(2);
        }
    }
    ~RawFetch() { mysql_close(m_); }
    RawFetch(const RawFetch&) = delete;
    RawFetch& operator=(const RawFetch&) = delete;

    // Wall milliseconds of one fetch of every row; rows() tells how many came.
    double Ms(const QString& sql) {
        const QByteArray text = sql.toUtf8();
        QElapsedTimer t;
        t.start();
        if (mysql_real_query(m_, text.constData(), static_cast<unsigned long>(text.size())) != 0)
            Die();
        MYSQL_RES* res = mysql_use_result(m_);
        if (!res)
            Die();
        long n = 0;
        while (mysql_fetch_row(res))
            ++n;
        if (mysql_errno(m_) != 0)
            Die();
        mysql_free_result(res);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        rows_ = n;
        return ms;
    }
    long rows() const { return rows_; }

private:
    [[noreturn]] void Die() {
        std::fprintf(stderr, "raw fetch: %s\n", mysql_error(m_));
        std::exit(2);
    }
    MYSQL* m_;
    long rows_ = 0;
};

// One run of the stock client, its output to /dev/null: wall milliseconds
// from its start to its end (process start, login and the fetch).
inline double CliRun(const QString& port, const QString& sql) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("mariadb"),
            {QStringLiteral("--no-defaults"), QStringLiteral("--protocol=tcp"), QStringLiteral("-h127.0.0.1"),
             QStringLiteral("-P") + port, QStringLiteral("-uordal"), QStringLiteral("-pordal"),
             QStringLiteral("ordalm"), QStringLiteral("-e"), sql});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "the mariadb client failed\n");
        std::exit(2);
    }
    return double(t.nsecsElapsed()) / 1e6;
}
