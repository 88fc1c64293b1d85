#pragma once
// The density setpoint followed until the controller works with it.
//
// A setpoint row in control_vector says only that the operator asked. The
// controller shows that it took the value by its working setpoint PLSZ in the
// process records: the follow-up watches the live records for it, and gives
// up after a time (ordal.INI [main] SetpointTakeSeconds, 30 s by default).
//
//   Sending  --row stored-------------------------> Sent
//   Sending  --answer lost--> Checking --row found--> Sent
//                                      --no row within the time--> Unknown
//                                        (never sent again by itself)
//   Sent     --PLSZ equals the value (0.5 kg/m³)---> Taken
//   Sent     --the time passes---------------------> NotTaken
//   Sending, Checking, Sent --a newer setpoint----> Replaced
//
// Pure: no window, no database, no clock of its own. The main window feeds it
// the answers, the live records and the time, and shows Line(); OnChange is
// the one place an alarm or a journal hooks in.

#include "DateTime.h"

#include <QString>
#include <functional>
#include <vector>

enum class TSetpointState { Sending, Checking, Sent, Taken, NotTaken, Replaced, Unknown, Failed };

// The word the operator reads for a state ("принято", "не принято" ...).
QString SetpointStateText(TSetpointState state);

struct TSetpointFollowUp {
    int serial = 0;        // 1, 2, ... in the order sent
    double value = 0;      // kg/m³
    TDateTime sentAt = 0;  // the row's moment (the server's clock); 0 while not known
    QString user;          // USER() as stored in the row
    TDateTime takenAt = 0; // the moment of the record that showed the value
    TSetpointState state = TSetpointState::Sending;
    TDateTime asked = 0;    // the workstation's clock: when the operator sent it
    TDateTime since = 0;    // the workstation's clock: when the state was entered
    TDateTime baseline = 0; // the newest record known when it was sent: only later ones count

    bool Final() const {
        return state == TSetpointState::Taken || state == TSetpointState::NotTaken ||
               state == TSetpointState::Replaced || state == TSetpointState::Unknown ||
               state == TSetpointState::Failed;
    }
};

class TSetpointFollow {
public:
    static constexpr double kTolerance = 0.5; // kg/m³
    static constexpr int kDefaultTakeSeconds = 30;
    static constexpr int kShownAfterSeconds = 60; // the line stays this long after the end

    explicit TSetpointFollow(int takeSeconds = kDefaultTakeSeconds) { SetTakeSeconds(takeSeconds); }
    // Below 1 s, the default.
    void SetTakeSeconds(int seconds) { takeSeconds_ = seconds >= 1 ? seconds : kDefaultTakeSeconds; }
    int TakeSeconds() const { return takeSeconds_; }

    // The operator confirmed `value` and its row is on the way. An older
    // setpoint still followed is replaced. Returns the new serial.
    int Sending(double value, TDateTime now);
    // The row of `serial` is stored, at the server's moment `at` by `user`.
    void Stored(int serial, TDateTime at, const QString& user, TDateTime now);
    // The insert failed: nothing was sent, nothing is followed.
    void NotSent(int serial, TDateTime now);
    // The answer was lost with the connection: the row is looked for.
    void AnswerLost(int serial, TDateTime now);
    // (A row looked for and found is Stored; one not found is looked for
    // again until the time is up: the lost statement may still be running.)

    // A live process record: the controller's working setpoint at its moment.
    void Record(TDateTime recMoment, double plsz, TDateTime now);
    // The clock: a setpoint not taken within the time, or a row looked for
    // that long, ends.
    void Tick(TDateTime now);

    // The setpoint followed last (serial 0 when none was sent yet).
    const TSetpointFollowUp& Current() const { return current_; }
    // Whether a row is being looked for after a lost answer.
    bool Checking() const { return current_.serial && current_.state == TSetpointState::Checking; }
    // Every follow-up since the program started, oldest first (the current one last).
    const std::vector<TSetpointFollowUp>& History() const { return history_; }
    // The text beside the link circle: while followed and for a minute after
    // the end; empty otherwise. "1850 кг/м³: принято 12:01:07".
    QString Line(TDateTime now) const;

    // Runs on every change of state of a follow-up, after it is made.
    std::function<void(const TSetpointFollowUp&)> OnChange;

private:
    void Enter(TSetpointFollowUp& f, TSetpointState state, TDateTime now);
    bool Matches(double plsz) const;

    int takeSeconds_ = kDefaultTakeSeconds;
    int serial_ = 0;
    TSetpointFollowUp current_;
    std::vector<TSetpointFollowUp> history_;
    bool recordKnown_ = false;
    TDateTime lastRecord_ = 0;
    double lastPlsz_ = 0;
};
