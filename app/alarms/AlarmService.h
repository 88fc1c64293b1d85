#pragma once
// The alarms of the running program: the definitions from Alarms.INI, the
// engine evaluated on the live record once a second, every transition written
// to the history's day files, and the tone. The main window ticks it and
// shows it (the alarm line); the alarm window and the scheme read it and ask
// it to acknowledge, shelve and silence.

#include "AlarmHistory.h"
#include "AlarmModel.h"

#include <QObject>
#include <memory>

class TAlarmService : public QObject {
    Q_OBJECT
public:
    // exeDir: the program's folder (with a trailing "/"): Alarms.INI beside
    // the program, the history in its "Alarms" folder.
    explicit TAlarmService(const QString& exeDir, QObject* parent = nullptr);
    ~TAlarmService() override;
    // Moves to another folder (the main window learns its own after it made
    // the service); read the definitions again after.
    void SetFolder(const QString& exeDir);

    const QString& DefinitionsFile() const { return defsFile_; }
    TAlarmHistory& History() { return *history_; }
    const TAlarmEngine& Engine() const { return engine_; }

    // Reads Alarms.INI (the shipped set when there is none, written then, so
    // that an engineer finds the file to edit); errors are logged.
    void LoadDefinitions();
    // Writes the set and takes it into use; false and why when the file
    // cannot be written (the set in use stays then).
    bool SaveDefinitions(const QList<TAlarmDef>& defs, QString* why = nullptr);

    // One evaluation (the main window's second).
    void Evaluate(const TAlarmInputs& in);
    // The operator's actions, each written to the history.
    void Acknowledge(const QStringList& ids);
    void AcknowledgeAll();
    bool Shelve(const QString& id, double hours, const QString& reason, QString* why = nullptr);
    void Unshelve(const QString& id);
    // "Отключить звук": the tone stops until the next new alarm.
    void Silence();

    bool Silenced() const { return silenced_; }
    // Whether the tone is wanted now: a high or medium alarm unacknowledged
    // and not silenced. It sounds through the platform's AlarmTone.
    bool ToneOn() const { return toneOn_; }

    // The alarm on a column of the live record (the scheme's frames): the
    // highest-priority one active or unacknowledged on it; -1 when none.
    int AlarmOnTag(const QString& tag) const;
    // Transitions written and not written (a disk that refuses them).
    int Written() const { return written_; }
    int WriteFailures() const { return writeFailures_; }

Q_SIGNALS:
    // After every change of a state (the line, the window and the frames follow).
    void Changed();

private:
    void Record(const QList<TAlarmTransition>& transitions);
    void UpdateTone();

    QString defsFile_;
    std::unique_ptr<TAlarmHistory> history_;
    TAlarmEngine engine_;
    bool silenced_ = false;
    bool toneOn_ = false;
    int written_ = 0;
    int writeFailures_ = 0;
};
