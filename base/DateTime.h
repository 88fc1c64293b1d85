#pragma once
// TDateTime: days since 30.12.1899 as a double, the fraction being the time of
// day (one second is 1/86400). Differences and periods use the same unit.

#include <QDateTime>
#include <QString>

using TDateTime = double;

constexpr double kSecondsPerDay = 86400.0;
constexpr TDateTime OneSecond = 1.0 / kSecondsPerDay;

TDateTime EncodeTime(int hour, int min, int sec, int msec = 0);
TDateTime EncodeDate(int year, int month, int day);
TDateTime DateTimeFromQ(const QDateTime& dt); // local wall-clock time
QDateTime DateTimeToQ(TDateTime dt);          // local wall-clock time, to the millisecond

// Delphi-style date-time patterns: d dd m mm yy yyyy h hh n nn s ss z zzz,
// "m" right after an hour means minutes, quoted text is literal.
QString FormatDateTime(const QString& pattern, TDateTime dt);

// 'yyyy-mm-dd hh:nn:ss' without the quotes, as every statement writes moments.
QString SqlDateTimeText(TDateTime dt);
