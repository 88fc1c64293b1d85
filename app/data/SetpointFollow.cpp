#include "SetpointFollow.h"

#include "NumText.h"

#include <cmath>

QString SetpointStateText(TSetpointState state) {
    switch (state) {
    case TSetpointState::Sending:
        return QStringLiteral("отправляется");
    case TSetpointState::Checking:
        return QStringLiteral("ответ потерян, проверяется");
    case TSetpointState::Sent:
        return QStringLiteral("отправлено");
    case TSetpointState::Taken:
        return QStringLiteral("принято");
    case TSetpointState::NotTaken:
        return QStringLiteral("не принято");
    case TSetpointState::Replaced:
        return QStringLiteral("заменено");
    case TSetpointState::Unknown:
        return QStringLiteral("неизвестно");
    case TSetpointState::Failed:
        return QStringLiteral("не отправлено");
    }
    return QString();
}

void TSetpointFollow::Enter(TSetpointFollowUp& f, TSetpointState state, TDateTime now) {
    f.state = state;
    f.since = now;
    for (TSetpointFollowUp& h : history_)
        if (h.serial == f.serial)
            h = f;
    if (OnChange)
        OnChange(f);
}

namespace {
// Whole milliseconds from `from` to `to`: a day number holds its seconds with
// rounding errors, and "30 s exactly" must stay in time.
qint64 MsBetween(TDateTime from, TDateTime to) {
    return qint64(std::llround((to - from) * 86400000.0));
}
} // namespace

bool TSetpointFollow::Matches(double plsz) const {
    return std::fabs(plsz - current_.value) <= kTolerance;
}

int TSetpointFollow::Sending(double value, TDateTime now) {
    if (current_.serial && !current_.Final())
        Enter(current_, TSetpointState::Replaced, now);
    current_ = TSetpointFollowUp();
    current_.serial = ++serial_;
    current_.value = value;
    current_.baseline = recordKnown_ ? lastRecord_ : 0;
    current_.asked = now;
    current_.since = now;
    history_.push_back(current_);
    if (OnChange)
        OnChange(current_);
    return current_.serial;
}

void TSetpointFollow::Stored(int serial, TDateTime at, const QString& user, TDateTime now) {
    if (serial != current_.serial ||
        (current_.state != TSetpointState::Sending && current_.state != TSetpointState::Checking))
        return;
    current_.sentAt = at;
    current_.user = user;
    Enter(current_, TSetpointState::Sent, now);
    // A record answered before the row's answer may already show it.
    if (recordKnown_ && lastRecord_ > current_.baseline && Matches(lastPlsz_)) {
        current_.takenAt = lastRecord_;
        Enter(current_, TSetpointState::Taken, now);
    }
}

void TSetpointFollow::NotSent(int serial, TDateTime now) {
    if (serial == current_.serial && current_.state == TSetpointState::Sending)
        Enter(current_, TSetpointState::Failed, now);
}

void TSetpointFollow::AnswerLost(int serial, TDateTime now) {
    if (serial == current_.serial && current_.state == TSetpointState::Sending)
        Enter(current_, TSetpointState::Checking, now);
}

void TSetpointFollow::Record(TDateTime recMoment, double plsz, TDateTime now) {
    if (recordKnown_ && recMoment <= lastRecord_)
        return; // the same record read again, or an older one
    recordKnown_ = true;
    lastRecord_ = recMoment;
    lastPlsz_ = plsz;
    if (!current_.serial || recMoment <= current_.baseline || !Matches(plsz))
        return;
    // Checking: the controller works with the value, so its row was stored.
    if (current_.state == TSetpointState::Sent || current_.state == TSetpointState::Checking) {
        current_.takenAt = recMoment;
        Enter(current_, TSetpointState::Taken, now);
    }
}

void TSetpointFollow::Tick(TDateTime now) {
    if (!current_.serial)
        return;
    const bool late = MsBetween(current_.since, now) > qint64(takeSeconds_) * 1000;
    if (!late)
        return;
    if (current_.state == TSetpointState::Sent)
        Enter(current_, TSetpointState::NotTaken, now);
    else if (current_.state == TSetpointState::Checking)
        Enter(current_, TSetpointState::Unknown, now);
}

QString TSetpointFollow::Line(TDateTime now) const {
    const TSetpointFollowUp& f = current_;
    if (!f.serial || f.state == TSetpointState::Failed)
        return QString();
    if (f.Final() && MsBetween(f.since, now) > qint64(kShownAfterSeconds) * 1000)
        return QString();
    QString line = FloatToStr(f.value) + QStringLiteral(" кг/м³: ") + SetpointStateText(f.state);
    if (f.state == TSetpointState::Taken)
        line += QLatin1Char(' ') + FormatDateTime(QStringLiteral("hh:nn:ss"), f.takenAt);
    else if (f.state == TSetpointState::Sent && f.sentAt > 0)
        line += QLatin1Char(' ') + FormatDateTime(QStringLiteral("hh:nn:ss"), f.sentAt);
    return line;
}
