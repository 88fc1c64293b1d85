#pragma once
// The alarms of the section without a window: what an alarm is (its
// definition, as Alarms.INI holds it), the states an alarm goes through and
// what moves it between them (ISA-18.2: normal, active unacknowledged, active
// acknowledged, returned unacknowledged, shelved, out of service), the filter
// that keeps a value hovering at its limit from chattering (deadband, on-delay,
// off-delay), and the engine that evaluates every definition on the live
// record once a second and says which transitions happened.
//
// Everything here is plain data and pure functions; the service (AlarmService.h)
// ties it to the poll, the history files and the tone.

#include "DateTime.h"
#include "StatePoll.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

enum class TAlarmPriority { High = 1, Medium = 2, Low = 3 };
// "высокий", "средний", "низкий"
QString PriorityText(TAlarmPriority p);
std::optional<TAlarmPriority> PriorityFromText(const QString& text);

// What the condition compares.
enum class TAlarmKind {
    High,      // the value above the limit
    Low,       // the value below the limit
    Deviation, // |value - reference| above the limit
    Link,      // the controller's heartbeat older than the limit, in seconds
    Setpoint,  // the operator's last density setpoint not taken by the controller (1, else 0)
};
QString KindText(TAlarmKind k);
std::optional<TAlarmKind> KindFromText(const QString& text);

struct TAlarmDef {
    QString Id; // the section name in Alarms.INI; the history names alarms by it
    QString Text;
    TAlarmPriority Priority = TAlarmPriority::Medium;
    TAlarmKind Kind = TAlarmKind::High;
    QString Tag;       // a column of the live record: PLS, PLSZ, URKS, URNS, VODA1, DSUS, AR1
    QString Reference; // Deviation: the column the value is compared with
    double Limit = 0;
    // A plant constant in place of Limit ("MIN_PLS", read from setup at every connect).
    QString LimitName;
    double Deadband = 0;
    double OnDelay = 0, OffDelay = 0; // seconds
    bool InService = true;

    bool operator==(const TAlarmDef&) const = default;
};

// The set the section ships with.
QList<TAlarmDef> DefaultAlarmDefs();

// Alarms.INI: one section per alarm in file order, the same INI conventions as
// the main configuration (numbers with a point whatever the locale). A missing
// file gives the shipped set; a section with a bad value is skipped and named
// in errors.
QList<TAlarmDef> LoadAlarmDefs(const QString& fileName, QStringList* errors = nullptr);
// Writes the whole set in one step (IniFileError when it cannot be written):
// sections of alarms no longer defined go, comments and unknown keys stay.
void SaveAlarmDefs(const QString& fileName, const QList<TAlarmDef>& defs);

// ---------------------------------------------------------------------------
// States

enum class TAlarmState { Normal, ActiveUnack, ActiveAck, ReturnedUnack, Shelved, OutOfService };
enum class TAlarmEvent {
    Activate,          // the filtered condition became true
    Return,            // the filtered condition became false
    Acknowledge,       // by the operator
    Shelve,            // by the operator, with a reason, for a time
    Unshelve,          // the shelving time ran out, or the operator took it back
    RemoveFromService, // from the configuration
    ReturnToService,
};
QString StateText(TAlarmState s);
QString EventText(TAlarmEvent e);
// The state the history file names (its own stable words), and back.
QString StateKey(TAlarmState s);
QString EventKey(TAlarmEvent e);
std::optional<TAlarmState> StateFromKey(const QString& key);
std::optional<TAlarmEvent> EventFromKey(const QString& key);

// The state model as one table: the state after event e in state s (s itself
// when the event means nothing there).
TAlarmState NextState(TAlarmState s, TAlarmEvent e);
// Whether the state is listed as needing the operator.
inline bool IsUnacknowledged(TAlarmState s) {
    return s == TAlarmState::ActiveUnack || s == TAlarmState::ReturnedUnack;
}
inline bool IsActive(TAlarmState s) {
    return s == TAlarmState::ActiveUnack || s == TAlarmState::ActiveAck;
}

// The longest shelving.
constexpr double kMaxShelveHours = 8;

// ---------------------------------------------------------------------------
// The filter

// The condition as the alarm sees it: raw is the condition with its deadband
// (it turns on beyond the limit and off only when the value is back by the
// deadband), active follows raw once raw has held for the on-delay (turning on)
// or the off-delay (turning off).
struct TAlarmFilter {
    bool Raw = false;
    bool Active = false;
    TDateTime RawSince = 0; // when Raw last changed
};
// One step at `now` with the value (nullopt: no value now, everything holds).
// Returns Active.
bool StepFilter(TAlarmFilter& f, const TAlarmDef& def, double limit, std::optional<double> value,
                TDateTime now);

// ---------------------------------------------------------------------------
// The engine

// What the evaluation reads: the live record, the plant's constant and the
// controller's heartbeat.
struct TAlarmInputs {
    TDateTime Now = 0;
    bool HasRecord = false;
    TLastData Record;
    double MinPLS = 0;
    bool HeartbeatKnown = false;
    TDateTime Heartbeat = 0;
    // A look at the plant failed before any heartbeat was read (a link that
    // never came up is as lost as one that went down).
    bool LinkFailed = false;
    // The last density setpoint was not taken by the controller within its
    // time (it stays so until the operator sends another).
    bool SetpointNotTaken = false;
};
// The value the alarm watches in these inputs (Deviation: |value - reference|,
// Link: the heartbeat's age in seconds); nullopt when there is none now.
std::optional<double> AlarmValue(const TAlarmDef& def, const TAlarmInputs& in);
double AlarmLimit(const TAlarmDef& def, const TAlarmInputs& in);

struct TAlarmTransition {
    TDateTime Moment = 0;
    QString Id;
    QString Text;
    TAlarmPriority Priority = TAlarmPriority::Medium;
    TAlarmEvent Event = TAlarmEvent::Activate;
    TAlarmState From = TAlarmState::Normal, To = TAlarmState::Normal;
    std::optional<double> Value;
    QString User;
    QString Reason;
};

struct TAlarmRuntime {
    TAlarmState State = TAlarmState::Normal;
    TAlarmFilter Filter;
    TDateTime Since = 0;       // when the state was entered
    TDateTime ActivatedAt = 0; // the last activation
    TDateTime ShelvedUntil = 0;
    QString ShelveReason;
    std::optional<double> Value; // as last evaluated
};

class TAlarmEngine {
public:
    // Keeps the states of alarms whose id stays; an alarm taken out of service
    // (or back) goes through the transition. Returns the transitions.
    QList<TAlarmTransition> SetDefinitions(const QList<TAlarmDef>& defs, TDateTime now, const QString& user);
    const QList<TAlarmDef>& Definitions() const { return defs_; }
    int Count() const { return int(defs_.size()); }
    const TAlarmRuntime& Runtime(int i) const { return runtime_[std::size_t(i)]; }
    int IndexOf(const QString& id) const;

    // One evaluation of every alarm (shelving that has run out ends first).
    QList<TAlarmTransition> Evaluate(const TAlarmInputs& in);
    // The operator's acknowledgement of the alarms named (those that need none are passed by).
    QList<TAlarmTransition> Acknowledge(const QStringList& ids, TDateTime now, const QString& user);
    // Shelves until `until` (at most 8 h ahead, a reason required); false and
    // why otherwise.
    bool Shelve(const QString& id, TDateTime until, const QString& reason, TDateTime now, const QString& user,
                QList<TAlarmTransition>* out, QString* why);
    QList<TAlarmTransition> Unshelve(const QString& id, TDateTime now, const QString& user);

    // Alarms active (acknowledged or not) and needing acknowledgement.
    int ActiveCount() const;
    int UnackCount() const;
    // The alarm the annunciation shows: the highest priority among the
    // unacknowledged ones, the newest of that priority; -1 when none.
    int Headline() const;

private:
    void Move(int i, TAlarmEvent e, TDateTime now, const QString& user, const QString& reason,
              QList<TAlarmTransition>& out);

    // What a definition reads, resolved once from its names (the evaluation
    // runs every second over every alarm).
    struct Resolved {
        double TLastData::*tag = nullptr;
        double TLastData::*reference = nullptr;
        bool minPls = false;
    };
    std::optional<double> Value(int i, const TAlarmInputs& in) const;

    QList<TAlarmDef> defs_;
    std::vector<TAlarmRuntime> runtime_;
    std::vector<Resolved> resolved_;
};

// The operator's user name of the operating system.
QString OsUserName();
