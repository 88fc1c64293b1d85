#include "DateTime.h"

#include <cmath>

namespace {
constexpr qint64 kJulianOf18991230 = 2415019;
constexpr qint64 kMsPerDay = 86400000;
} // namespace

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    return (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / double(kMsPerDay);
}

TDateTime EncodeDate(int year, int month, int day) {
    return double(QDate(year, month, day).toJulianDay() - kJulianOf18991230);
}

TDateTime DateTimeFromQ(const QDateTime& dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    return double(d.toJulianDay() - kJulianOf18991230) + t.msecsSinceStartOfDay() / double(kMsPerDay);
}

QDateTime DateTimeToQ(TDateTime dt) {
    const qint64 totalMs = std::llround(dt * double(kMsPerDay));
    qint64 days = totalMs / kMsPerDay;
    qint64 ms = totalMs % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    return QDateTime(QDate::fromJulianDay(days + kJulianOf18991230), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QString FormatDateTime(const QString& pattern, TDateTime dt) {
    const QDateTime q = DateTimeToQ(dt);
    const QDate d = q.date();
    const QTime t = q.time();
    QString out;
    bool lastWasHour = false;
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        int run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == lc)
            ++run;
        if (c == '"' || c == '\'') {
            const int end = pattern.indexOf(c, i + 1);
            const int stop = end < 0 ? int(pattern.size()) : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (lc == 'y') {
            out += run <= 2 ? two(d.year() % 100) : QString::number(d.year()).rightJustified(4, '0');
            lastWasHour = false;
        } else if (lc == 'm') {
            const int v = lastWasHour ? t.minute() : d.month();
            out += run >= 2 ? two(v) : QString::number(v);
            lastWasHour = false;
        } else if (lc == 'd') {
            out += run >= 2 ? two(d.day()) : QString::number(d.day());
            lastWasHour = false;
        } else if (lc == 'h') {
            out += run >= 2 ? two(t.hour()) : QString::number(t.hour());
            lastWasHour = true;
        } else if (lc == 'n') {
            out += run >= 2 ? two(t.minute()) : QString::number(t.minute());
            lastWasHour = false;
        } else if (lc == 's') {
            out += run >= 2 ? two(t.second()) : QString::number(t.second());
            lastWasHour = false;
        } else if (lc == 'z') {
            out += run >= 3 ? QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0'))
                            : QString::number(t.msec());
            lastWasHour = false;
        } else {
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString SqlDateTimeText(TDateTime dt) { return FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn:ss"), dt); }
