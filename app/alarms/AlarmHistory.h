#pragma once
// Every transition of every alarm, kept in the workstation's own day files
// (storage's time-stamped file table: a folder per day, a file per hour,
// "Alarms<hh>.VMD"), not in the plant database: the alarms matter most when
// the database is down, and a record is on disk, whole, when Append returns
// (the file is replaced in one rename, so a killed program leaves the file
// with the record or without it, never half of it).

#include "AlarmModel.h"

#include <QList>
#include <QString>
#include <memory>

class TIniDataSet;

class TAlarmHistory {
public:
    // root: the folder of the day folders (the program's "Alarms" folder).
    explicit TAlarmHistory(QString root);
    ~TAlarmHistory();

    const QString& Root() const { return root_; }
    // Writes one transition; false and why when it could not.
    bool Append(const TAlarmTransition& t, QString* why = nullptr);
    // The transitions with moments in [from, to), oldest first. Files that
    // cannot be read are passed by and named in errors.
    QList<TAlarmTransition> Read(TDateTime from, TDateTime to, QStringList* errors = nullptr) const;

    // The file a moment's transitions go to.
    QString FileOf(TDateTime t) const;

private:
    void MakeSet();

    QString root_;
    std::unique_ptr<TIniDataSet> set_;
};
