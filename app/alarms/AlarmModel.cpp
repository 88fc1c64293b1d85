#include "AlarmModel.h"

#include "IniFile.h"
#include "NumText.h"

#include <QFileInfo>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <limits>
#include <pwd.h>
#include <unistd.h>

namespace {

struct Named {
    int value;
    const char* key;  // stable, in files
    const char* text; // for the operator
};

const Named kPriorities[] = {{int(TAlarmPriority::High), "высокий", "высокий"},
                             {int(TAlarmPriority::Medium), "средний", "средний"},
                             {int(TAlarmPriority::Low), "низкий", "низкий"}};
const Named kKinds[] = {{int(TAlarmKind::High), "High", "выше"},
                        {int(TAlarmKind::Low), "Low", "ниже"},
                        {int(TAlarmKind::Deviation), "Deviation", "отклонение"},
                        {int(TAlarmKind::Link), "Link", "связь"},
                        {int(TAlarmKind::Setpoint), "Setpoint", "задание"}};
const Named kStates[] = {{int(TAlarmState::Normal), "Normal", "норма"},
                         {int(TAlarmState::ActiveUnack), "ActiveUnack", "активна, не квитирована"},
                         {int(TAlarmState::ActiveAck), "ActiveAck", "активна, квитирована"},
                         {int(TAlarmState::ReturnedUnack), "ReturnedUnack", "вернулась, не квитирована"},
                         {int(TAlarmState::Shelved), "Shelved", "отложена"},
                         {int(TAlarmState::OutOfService), "OutOfService", "выведена из работы"}};
const Named kEvents[] = {{int(TAlarmEvent::Activate), "Activate", "возникла"},
                         {int(TAlarmEvent::Return), "Return", "вернулась в норму"},
                         {int(TAlarmEvent::Acknowledge), "Acknowledge", "квитирована"},
                         {int(TAlarmEvent::Shelve), "Shelve", "отложена"},
                         {int(TAlarmEvent::Unshelve), "Unshelve", "снова в работе после откладывания"},
                         {int(TAlarmEvent::RemoveFromService), "RemoveFromService", "выведена из работы"},
                         {int(TAlarmEvent::ReturnToService), "ReturnToService", "введена в работу"}};

template <std::size_t N> QString TextOf(const Named (&table)[N], int v, bool key) {
    for (const Named& n : table)
        if (n.value == v)
            return QString::fromUtf8(key ? n.key : n.text);
    return QString();
}

template <std::size_t N> std::optional<int> ValueOf(const Named (&table)[N], const QString& s) {
    const QString t = s.trimmed();
    for (const Named& n : table)
        if (t.compare(QString::fromUtf8(n.key), Qt::CaseInsensitive) == 0)
            return n.value;
    return std::nullopt;
}

// Numbers in Alarms.INI: a point, whatever the workstation's separator.
QString Num(double v) {
    return FloatToStr(v, QLatin1Char('.'));
}

} // namespace

QString PriorityText(TAlarmPriority p) {
    return TextOf(kPriorities, int(p), false);
}
std::optional<TAlarmPriority> PriorityFromText(const QString& text) {
    if (auto v = ValueOf(kPriorities, text))
        return TAlarmPriority(*v);
    return std::nullopt;
}
QString KindText(TAlarmKind k) {
    return TextOf(kKinds, int(k), true);
}
std::optional<TAlarmKind> KindFromText(const QString& text) {
    if (auto v = ValueOf(kKinds, text))
        return TAlarmKind(*v);
    return std::nullopt;
}
QString StateText(TAlarmState s) {
    return TextOf(kStates, int(s), false);
}
QString EventText(TAlarmEvent e) {
    return TextOf(kEvents, int(e), false);
}
QString StateKey(TAlarmState s) {
    return TextOf(kStates, int(s), true);
}
QString EventKey(TAlarmEvent e) {
    return TextOf(kEvents, int(e), true);
}
std::optional<TAlarmState> StateFromKey(const QString& key) {
    if (auto v = ValueOf(kStates, key))
        return TAlarmState(*v);
    return std::nullopt;
}
std::optional<TAlarmEvent> EventFromKey(const QString& key) {
    if (auto v = ValueOf(kEvents, key))
        return TAlarmEvent(*v);
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Definitions

QList<TAlarmDef> DefaultAlarmDefs() {
    auto def = [](const char* id, const char* text, TAlarmPriority p, TAlarmKind k, const char* tag,
                  double limit, double deadband, double onDelay, double offDelay) {
        TAlarmDef d;
        d.Id = QString::fromUtf8(id);
        d.Text = QString::fromUtf8(text);
        d.Priority = p;
        d.Kind = k;
        d.Tag = QString::fromUtf8(tag);
        d.Limit = limit;
        d.Deadband = deadband;
        d.OnDelay = onDelay;
        d.OffDelay = offDelay;
        return d;
    };
    using P = TAlarmPriority;
    using K = TAlarmKind;
    QList<TAlarmDef> defs;
    TAlarmDef dev = def("PLS_DEV", "Плотность суспензии отклонилась от задания", P::Medium, K::Deviation,
                        "PLS", 50, 10, 60, 5);
    dev.Reference = QStringLiteral("PLSZ");
    defs << dev;
    TAlarmDef low =
        def("PLS_MIN", "Плотность суспензии ниже минимальной", P::High, K::Low, "PLS", 0, 10, 10, 5);
    low.LimitName = QStringLiteral("MIN_PLS");
    defs << low;
    defs << def("URKS_HI", "Уровень в сборнике кондиционной суспензии высокий", P::High, K::High, "URKS", 90,
                2, 10, 5);
    defs << def("URKS_LO", "Уровень в сборнике кондиционной суспензии низкий", P::Medium, K::Low, "URKS", 10,
                2, 10, 5);
    defs << def("URNS_HI", "Уровень в сборнике некондиционной суспензии высокий", P::High, K::High, "URNS",
                90, 2, 10, 5);
    defs << def("URNS_LO", "Уровень в сборнике некондиционной суспензии низкий", P::Medium, K::Low, "URNS",
                10, 2, 10, 5);
    defs << def("LINK", "Нет связи с контроллером", P::High, K::Link, "", 10, 0, 0, 0);
    defs << def("SETPOINT", "Задание плотности не принято контроллером", P::Medium, K::Setpoint, "", 0.5, 0, 0, 0);
    return defs;
}

QList<TAlarmDef> LoadAlarmDefs(const QString& fileName, QStringList* errors) {
    if (!QFileInfo::exists(fileName))
        return DefaultAlarmDefs();
    IniFile ini(fileName);
    if (!ini.ReadError().isEmpty()) {
        if (errors)
            errors->append(ini.ReadError());
        return DefaultAlarmDefs();
    }
    QList<TAlarmDef> defs;
    for (const QString& section : ini.ReadSections()) {
        QStringList bad;
        auto number = [&](const char* key, double def) {
            const QString k = QString::fromLatin1(key);
            const QString text = ini.ReadString(section, k, QString());
            if (text.isEmpty())
                return def;
            const auto v = StoredStrToFloatOpt(text);
            if (!v || !std::isfinite(*v) || *v < 0) {
                bad << k;
                return def;
            }
            return *v;
        };
        TAlarmDef d;
        d.Id = section;
        d.Text = ini.ReadString(section, QStringLiteral("Text"), section);
        const auto kind = KindFromText(ini.ReadString(section, QStringLiteral("Kind"), QString()));
        if (!kind)
            bad << QStringLiteral("Kind");
        else
            d.Kind = *kind;
        const auto priority =
            PriorityFromText(ini.ReadString(section, QStringLiteral("Priority"), QString()));
        if (!priority)
            bad << QStringLiteral("Priority");
        else
            d.Priority = *priority;
        d.Tag = ini.ReadString(section, QStringLiteral("Tag"), QString()).toUpper();
        d.Reference = ini.ReadString(section, QStringLiteral("Reference"), QString()).toUpper();
        const QString limit = ini.ReadString(section, QStringLiteral("Limit"), QString());
        if (!limit.isEmpty() && limit.front().isLetter())
            d.LimitName = limit.toUpper();
        else
            d.Limit = number("Limit", 0);
        if (!d.LimitName.isEmpty() && d.LimitName != QStringLiteral("MIN_PLS"))
            bad << QStringLiteral("Limit");
        d.Deadband = number("Deadband", 0);
        d.OnDelay = number("OnDelay", 0);
        d.OffDelay = number("OffDelay", 0);
        d.InService = ini.ReadBool(section, QStringLiteral("InService"), true);
        TAlarmInputs probe;
        probe.HasRecord = true;
        if (d.Kind != TAlarmKind::Link && d.Kind != TAlarmKind::Setpoint && !AlarmValue(d, probe))
            bad << QStringLiteral("Tag");
        if (!bad.isEmpty()) {
            if (errors)
                errors->append(
                    QStringLiteral("%1: [%2] %3").arg(fileName, section, bad.join(QStringLiteral(", "))));
            continue;
        }
        defs << d;
    }
    return defs;
}

void SaveAlarmDefs(const QString& fileName, const QList<TAlarmDef>& defs) {
    IniFile ini(fileName);
    ini.Begin();
    QStringList keep;
    for (const TAlarmDef& d : defs)
        keep << d.Id.toCaseFolded();
    for (const QString& section : ini.ReadSections())
        if (!keep.contains(section.toCaseFolded()))
            ini.EraseSection(section);
    for (const TAlarmDef& d : defs) {
        ini.WriteString(d.Id, QStringLiteral("Text"), d.Text);
        ini.WriteString(d.Id, QStringLiteral("Priority"), PriorityText(d.Priority));
        ini.WriteString(d.Id, QStringLiteral("Kind"), KindText(d.Kind));
        ini.WriteString(d.Id, QStringLiteral("Tag"), d.Tag);
        if (d.Kind == TAlarmKind::Deviation || ini.ValueExists(d.Id, QStringLiteral("Reference")))
            ini.WriteString(d.Id, QStringLiteral("Reference"), d.Reference);
        ini.WriteString(d.Id, QStringLiteral("Limit"), d.LimitName.isEmpty() ? Num(d.Limit) : d.LimitName);
        ini.WriteString(d.Id, QStringLiteral("Deadband"), Num(d.Deadband));
        ini.WriteString(d.Id, QStringLiteral("OnDelay"), Num(d.OnDelay));
        ini.WriteString(d.Id, QStringLiteral("OffDelay"), Num(d.OffDelay));
        ini.WriteBool(d.Id, QStringLiteral("InService"), d.InService);
    }
    ini.Commit();
}

// ---------------------------------------------------------------------------
// States

TAlarmState NextState(TAlarmState s, TAlarmEvent e) {
    using S = TAlarmState;
    // Out of service is left only by the return to service; shelved ignores
    // the process and the operator's acknowledgement until it is unshelved.
    // Rows: states in enum order; columns: events in enum order.
    constexpr S N = S::Normal, AU = S::ActiveUnack, AA = S::ActiveAck, RU = S::ReturnedUnack, SH = S::Shelved,
                OS = S::OutOfService;
    // clang-format off
    static constexpr S table[6][7] = {
        //         Activate Return Acknowledge Shelve Unshelve Remove ReturnToService
        /* N  */ { AU,      N,     N,          SH,    N,       OS,    N  },
        /* AU */ { AU,      RU,    AA,         SH,    AU,      OS,    AU },
        /* AA */ { AA,      N,     AA,         SH,    AA,      OS,    AA },
        /* RU */ { AU,      RU,    N,          SH,    RU,      OS,    RU },
        /* SH */ { SH,      SH,    SH,         SH,    N,       OS,    SH },
        /* OS */ { OS,      OS,    OS,         OS,    OS,      OS,    N  },
    };
    // clang-format on
    return table[int(s)][int(e)];
}

// ---------------------------------------------------------------------------
// The filter

bool StepFilter(TAlarmFilter& f, const TAlarmDef& def, double limit, std::optional<double> value,
                TDateTime now) {
    if (value) {
        const double v = *value;
        bool raw = f.Raw;
        if (def.Kind == TAlarmKind::Low) {
            if (!raw && v < limit)
                raw = true;
            else if (raw && v >= limit + def.Deadband)
                raw = false;
        } else {
            if (!raw && v > limit)
                raw = true;
            else if (raw && v <= limit - def.Deadband)
                raw = false;
        }
        if (raw != f.Raw) {
            f.Raw = raw;
            f.RawSince = now;
        }
    }
    if (f.Raw != f.Active) {
        const double delay = f.Raw ? def.OnDelay : def.OffDelay;
        // Half a millisecond of slack: moments are doubles of days.
        if ((now - f.RawSince) * kSecondsPerDay + 0.0005 >= delay)
            f.Active = f.Raw;
    }
    return f.Active;
}

// ---------------------------------------------------------------------------
// The engine

namespace {

double TLastData::*ColumnOf(const QString& tag) {
    static const struct {
        const char* name;
        double TLastData::*field;
    } columns[] = {{"PLS", &TLastData::PLS},     {"PLSZ", &TLastData::PLSZ},   {"URKS", &TLastData::URKS},
                   {"URNS", &TLastData::URNS},   {"VODA1", &TLastData::VODA1}, {"DSUS", &TLastData::DSUS},
                   {"_PLSZ", &TLastData::_PLSZ}, {"AR1", &TLastData::AR1}};
    for (const auto& c : columns)
        if (tag == QLatin1String(c.name))
            return c.field;
    return nullptr;
}

std::optional<double> Column(const TLastData& r, const QString& tag) {
    if (double TLastData::*field = ColumnOf(tag))
        return r.*field;
    return std::nullopt;
}

std::optional<double> LinkAge(const TAlarmInputs& in) {
    if (in.HeartbeatKnown)
        return std::max(0.0, (in.Now - in.Heartbeat) * kSecondsPerDay);
    if (in.LinkFailed)
        return std::numeric_limits<double>::infinity();
    return std::nullopt;
}

} // namespace

std::optional<double> AlarmValue(const TAlarmDef& def, const TAlarmInputs& in) {
    if (def.Kind == TAlarmKind::Link)
        return LinkAge(in);
    if (def.Kind == TAlarmKind::Setpoint)
        return in.SetpointNotTaken ? 1.0 : 0.0;
    if (!in.HasRecord)
        return std::nullopt;
    const auto v = Column(in.Record, def.Tag);
    if (!v || def.Kind != TAlarmKind::Deviation)
        return v;
    const auto ref = Column(in.Record, def.Reference);
    if (!ref)
        return std::nullopt;
    return std::fabs(*v - *ref);
}

double AlarmLimit(const TAlarmDef& def, const TAlarmInputs& in) {
    if (def.LimitName == QLatin1String("MIN_PLS"))
        return in.MinPLS;
    return def.Limit;
}

std::optional<double> TAlarmEngine::Value(int i, const TAlarmInputs& in) const {
    const TAlarmDef& d = defs_[i];
    const Resolved& r = resolved_[std::size_t(i)];
    if (d.Kind == TAlarmKind::Link)
        return LinkAge(in);
    if (d.Kind == TAlarmKind::Setpoint)
        return in.SetpointNotTaken ? 1.0 : 0.0;
    if (!in.HasRecord || !r.tag)
        return std::nullopt;
    const double v = in.Record.*(r.tag);
    if (d.Kind != TAlarmKind::Deviation)
        return v;
    if (!r.reference)
        return std::nullopt;
    return std::fabs(v - in.Record.*(r.reference));
}

int TAlarmEngine::IndexOf(const QString& id) const {
    for (int i = 0; i < defs_.size(); ++i)
        if (defs_[i].Id.compare(id, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TAlarmEngine::Move(int i, TAlarmEvent e, TDateTime now, const QString& user, const QString& reason,
                        QList<TAlarmTransition>& out) {
    TAlarmRuntime& r = runtime_[std::size_t(i)];
    const TAlarmState to = NextState(r.State, e);
    if (to == r.State && e != TAlarmEvent::Shelve)
        return;
    TAlarmTransition t;
    t.Moment = now;
    t.Id = defs_[i].Id;
    t.Text = defs_[i].Text;
    t.Priority = defs_[i].Priority;
    t.Event = e;
    t.From = r.State;
    t.To = to;
    t.Value = r.Value;
    t.User = user;
    t.Reason = reason;
    r.State = to;
    r.Since = now;
    if (e == TAlarmEvent::Activate)
        r.ActivatedAt = now;
    if (to != TAlarmState::Shelved) {
        r.ShelvedUntil = 0;
        r.ShelveReason.clear();
    }
    out << t;
}

QList<TAlarmTransition> TAlarmEngine::SetDefinitions(const QList<TAlarmDef>& defs, TDateTime now,
                                                     const QString& user) {
    std::vector<TAlarmRuntime> runtime(std::size_t(defs.size()));
    for (int i = 0; i < defs.size(); ++i) {
        const int old = IndexOf(defs[i].Id);
        if (old >= 0) {
            runtime[std::size_t(i)] = runtime_[std::size_t(old)];
            // A changed condition starts its filter afresh.
            if (defs_[old].Kind != defs[i].Kind || defs_[old].Tag != defs[i].Tag ||
                defs_[old].Limit != defs[i].Limit || defs_[old].LimitName != defs[i].LimitName)
                runtime[std::size_t(i)].Filter.RawSince = now;
        } else {
            runtime[std::size_t(i)].Since = now;
        }
    }
    defs_ = defs;
    runtime_ = std::move(runtime);
    resolved_.assign(std::size_t(defs_.size()), Resolved());
    for (int i = 0; i < defs_.size(); ++i)
        resolved_[std::size_t(i)] = {ColumnOf(defs_[i].Tag), ColumnOf(defs_[i].Reference),
                                     defs_[i].LimitName == QLatin1String("MIN_PLS")};
    QList<TAlarmTransition> out;
    for (int i = 0; i < defs_.size(); ++i) {
        const bool oos = runtime_[std::size_t(i)].State == TAlarmState::OutOfService;
        if (defs_[i].InService == oos)
            Move(i, oos ? TAlarmEvent::ReturnToService : TAlarmEvent::RemoveFromService, now, user, QString(),
                 out);
        if (!defs_[i].InService)
            runtime_[std::size_t(i)].Filter = TAlarmFilter();
    }
    return out;
}

QList<TAlarmTransition> TAlarmEngine::Evaluate(const TAlarmInputs& in) {
    QList<TAlarmTransition> out;
    for (int i = 0; i < defs_.size(); ++i) {
        const TAlarmDef& d = defs_[i];
        TAlarmRuntime& r = runtime_[std::size_t(i)];
        if (r.State == TAlarmState::OutOfService)
            continue;
        const std::optional<double> v = Value(i, in);
        if (v)
            r.Value = v;
        const double limit = resolved_[std::size_t(i)].minPls ? in.MinPLS : d.Limit;
        const bool active = StepFilter(r.Filter, d, limit, v, in.Now);
        if (r.State == TAlarmState::Shelved) {
            // (half a millisecond of slack, as in the filter)
            if (in.Now < r.ShelvedUntil - 0.0005 / kSecondsPerDay)
                continue;
            Move(i, TAlarmEvent::Unshelve, in.Now, QString(), QString(), out);
        }
        if (active && (r.State == TAlarmState::Normal || r.State == TAlarmState::ReturnedUnack))
            Move(i, TAlarmEvent::Activate, in.Now, QString(), QString(), out);
        else if (!active && IsActive(r.State))
            Move(i, TAlarmEvent::Return, in.Now, QString(), QString(), out);
    }
    return out;
}

QList<TAlarmTransition> TAlarmEngine::Acknowledge(const QStringList& ids, TDateTime now,
                                                  const QString& user) {
    QList<TAlarmTransition> out;
    for (const QString& id : ids) {
        const int i = IndexOf(id);
        if (i >= 0 && IsUnacknowledged(runtime_[std::size_t(i)].State))
            Move(i, TAlarmEvent::Acknowledge, now, user, QString(), out);
    }
    return out;
}

bool TAlarmEngine::Shelve(const QString& id, TDateTime until, const QString& reason, TDateTime now,
                          const QString& user, QList<TAlarmTransition>* out, QString* why) {
    const int i = IndexOf(id);
    auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (i < 0)
        return refuse(QStringLiteral("Нет такой сигнализации: %1").arg(id));
    if (runtime_[std::size_t(i)].State == TAlarmState::OutOfService)
        return refuse(QStringLiteral("Сигнализация выведена из работы."));
    if (reason.trimmed().isEmpty())
        return refuse(QStringLiteral("Укажите причину."));
    if (!(until > now) || (until - now) * 24 > kMaxShelveHours + 1e-9)
        return refuse(QStringLiteral("Отложить можно не более чем на %1 ч.").arg(kMaxShelveHours));
    QList<TAlarmTransition> moved;
    Move(i, TAlarmEvent::Shelve, now, user, reason.trimmed(), moved);
    runtime_[std::size_t(i)].ShelvedUntil = until;
    runtime_[std::size_t(i)].ShelveReason = reason.trimmed();
    if (out)
        *out << moved;
    return true;
}

QList<TAlarmTransition> TAlarmEngine::Unshelve(const QString& id, TDateTime now, const QString& user) {
    QList<TAlarmTransition> out;
    const int i = IndexOf(id);
    if (i >= 0 && runtime_[std::size_t(i)].State == TAlarmState::Shelved)
        Move(i, TAlarmEvent::Unshelve, now, user, QString(), out);
    return out;
}

int TAlarmEngine::ActiveCount() const {
    return int(std::count_if(runtime_.begin(), runtime_.end(),
                             [](const TAlarmRuntime& r) { return IsActive(r.State); }));
}

int TAlarmEngine::UnackCount() const {
    return int(std::count_if(runtime_.begin(), runtime_.end(),
                             [](const TAlarmRuntime& r) { return IsUnacknowledged(r.State); }));
}

int TAlarmEngine::Headline() const {
    int best = -1;
    for (int i = 0; i < defs_.size(); ++i) {
        const TAlarmRuntime& r = runtime_[std::size_t(i)];
        if (!IsUnacknowledged(r.State))
            continue;
        if (best < 0 || int(defs_[i].Priority) < int(defs_[best].Priority) ||
            (defs_[i].Priority == defs_[best].Priority &&
             r.ActivatedAt > runtime_[std::size_t(best)].ActivatedAt))
            best = i;
    }
    return best;
}

QString OsUserName() {
    // The account the program runs under, as the system knows it: the
    // environment may lack USER (a kiosk session, a service).
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    return user;
}
