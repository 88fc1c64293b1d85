#include "AlarmService.h"

#include "IniFile.h"
#include "Log.h"
#include "Platform.h"

#include <QFileInfo>

TAlarmService::TAlarmService(const QString& exeDir, QObject* parent) : QObject(parent) {
    SetFolder(exeDir);
}

void TAlarmService::SetFolder(const QString& exeDir) {
    defsFile_ = exeDir + QStringLiteral("Alarms.INI");
    history_ = std::make_unique<TAlarmHistory>(exeDir + QStringLiteral("Alarms"));
}

TAlarmService::~TAlarmService() {
    if (toneOn_)
        Plat().AlarmTone(false);
}

void TAlarmService::LoadDefinitions() {
    QStringList errors;
    const bool existed = QFileInfo::exists(defsFile_);
    const QList<TAlarmDef> defs = LoadAlarmDefs(defsFile_, &errors);
    for (const QString& e : errors)
        qCWarning(lcOrdal) << "alarm definitions:" << e;
    if (!existed) {
        try {
            SaveAlarmDefs(defsFile_, defs);
        } catch (const IniFileError& e) {
            qCWarning(lcOrdal) << "alarm definitions not written:" << e.what();
        }
    }
    Record(engine_.SetDefinitions(defs, Now(), OsUserName()));
    UpdateTone();
    Q_EMIT Changed();
}

bool TAlarmService::SaveDefinitions(const QList<TAlarmDef>& defs, QString* why) {
    try {
        SaveAlarmDefs(defsFile_, defs);
    } catch (const IniFileError& e) {
        qCWarning(lcOrdal) << "alarm definitions not written:" << e.what();
        if (why)
            *why = QString::fromUtf8(e.what());
        return false;
    }
    Record(engine_.SetDefinitions(defs, Now(), OsUserName()));
    UpdateTone();
    Q_EMIT Changed();
    return true;
}

void TAlarmService::Record(const QList<TAlarmTransition>& transitions) {
    for (const TAlarmTransition& t : transitions) {
        // A new high or medium alarm sounds again after a silence.
        if (t.Event == TAlarmEvent::Activate && t.Priority != TAlarmPriority::Low)
            silenced_ = false;
        QString why;
        if (history_->Append(t, &why)) {
            ++written_;
        } else {
            ++writeFailures_;
            LogRepeatedWarning("alarm history", why);
        }
    }
}

void TAlarmService::UpdateTone() {
    bool wanted = false;
    if (!silenced_)
        for (int i = 0; i < engine_.Count() && !wanted; ++i)
            wanted = IsUnacknowledged(engine_.Runtime(i).State) &&
                     engine_.Definitions()[i].Priority != TAlarmPriority::Low;
    if (wanted == toneOn_)
        return;
    toneOn_ = wanted;
    Plat().AlarmTone(wanted);
}

void TAlarmService::Evaluate(const TAlarmInputs& in) {
    const QList<TAlarmTransition> t = engine_.Evaluate(in);
    Record(t);
    const bool wasOn = toneOn_;
    UpdateTone();
    if (!t.isEmpty() || wasOn != toneOn_)
        Q_EMIT Changed();
}

void TAlarmService::Acknowledge(const QStringList& ids) {
    const QList<TAlarmTransition> t = engine_.Acknowledge(ids, Now(), OsUserName());
    if (t.isEmpty())
        return;
    Record(t);
    UpdateTone();
    Q_EMIT Changed();
}

void TAlarmService::AcknowledgeAll() {
    QStringList ids;
    for (const TAlarmDef& d : engine_.Definitions())
        ids << d.Id;
    Acknowledge(ids);
}

bool TAlarmService::Shelve(const QString& id, double hours, const QString& reason, QString* why) {
    const TDateTime now = Now();
    QList<TAlarmTransition> t;
    if (!engine_.Shelve(id, now + hours / 24, reason, now, OsUserName(), &t, why))
        return false;
    Record(t);
    UpdateTone();
    Q_EMIT Changed();
    return true;
}

void TAlarmService::Unshelve(const QString& id) {
    const QList<TAlarmTransition> t = engine_.Unshelve(id, Now(), OsUserName());
    if (t.isEmpty())
        return;
    Record(t);
    UpdateTone();
    Q_EMIT Changed();
}

void TAlarmService::Silence() {
    if (silenced_)
        return;
    silenced_ = true;
    UpdateTone();
    Q_EMIT Changed();
}

int TAlarmService::AlarmOnTag(const QString& tag) const {
    int best = -1;
    for (int i = 0; i < engine_.Count(); ++i) {
        const TAlarmDef& d = engine_.Definitions()[i];
        const TAlarmState s = engine_.Runtime(i).State;
        if (d.Tag.compare(tag, Qt::CaseInsensitive) != 0 || !(IsActive(s) || IsUnacknowledged(s)))
            continue;
        if (best < 0 || int(d.Priority) < int(engine_.Definitions()[best].Priority))
            best = i;
    }
    return best;
}
