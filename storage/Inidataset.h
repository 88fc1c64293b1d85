#pragma once
// TIniDataSet: a small table of time-stamped records kept in INI text files, one
// file per table and hour (or per table) inside one folder per day (or straight
// in the root folder). Opening reads the stamps of every file (or of those in a
// time range) into a record list; the caller then moves between records, reads
// and writes field values by name, and appends records. TIniField gives typed
// access to one field of the current record.
//
// A file holds:
//   [Header]
//   RecordCount=2
//   R0=45366.5868055556        the stamp of record 0 (days since 30.12.1899)
//   R1=45366.5868171296
//   [R0]
//   Level=1834.5               one key per field name after "RecordTime"
//   [R1]
//   ...
// Record i's section is "R"+i; its stamp lives only in the header.
//
// Every change of a file reaches the disk at once and whole: an append or a
// delete rewrites the file through a temporary file renamed over the old one, so
// a crash leaves either the old file or the new one.

#include "DateTime.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class IndexedIniFile;
class TIniDataSet;

class TIniField : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString AsString READ GetAsString WRITE SetAsString)
    Q_PROPERTY(double AsFloat READ GetAsFloat WRITE SetAsFloat)
    Q_PROPERTY(int AsInteger READ GetAsInteger WRITE SetAsInteger)
    Q_PROPERTY(bool AsBool READ GetAsBool WRITE SetAsBool)
    Q_PROPERTY(double AsDateTime READ GetAsDateTime WRITE SetAsDateTime)
public:
    TIniField(TIniDataSet* dataSet, QString fieldName, QString text);

    const QString& FieldName() const { return fieldName_; }

    QString GetAsString() const { return text_; }
    // Writes s into the current record at once. A value that cannot be written
    // (no file open, no current record, a line break, a file that exists but
    // cannot be read, a disk error) leaves the text as it was and shows why.
    void SetAsString(const QString& s);
    double GetAsFloat() const;
    // Pattern "####0.#######" with the workstation's decimal separator.
    void SetAsFloat(double v);
    // Truncated toward zero (and held within the range of an int).
    int GetAsInteger() const;
    void SetAsInteger(int v);
    bool GetAsBool() const;
    void SetAsBool(bool v);
    TDateTime GetAsDateTime() const;
    // Changes the text in memory only, like a stamp in "Header"; nothing is written.
    void SetAsDateTime(TDateTime v);

    // Reads the text again from the current record; false without an open file.
    bool Refresh();

private:
    TIniDataSet* dataSet_;
    QString fieldName_;
    QString text_;
};

class TIniDataSet : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList FieldList READ GetFieldList WRITE SetFieldList)
    Q_PROPERTY(QString RootDir READ GetRootDir WRITE SetRootDir)
    Q_PROPERTY(QString TableName READ GetTableName WRITE SetTableName)
    Q_PROPERTY(bool DayToDir READ GetDayToDir WRITE SetDayToDir)
    Q_PROPERTY(bool HourToFile READ GetHourToFile WRITE SetHourToFile)
    Q_PROPERTY(bool AppendMode READ GetAppendMode WRITE SetAppendMode)
    Q_PROPERTY(double RangeMin READ GetRangeMin WRITE SetRangeMin)
    Q_PROPERTY(double RangeMax READ GetRangeMax WRITE SetRangeMax)
    Q_PROPERTY(bool RangeIsOn READ GetRangeIsOn WRITE SetRangeIsOn)
    Q_PROPERTY(int LocalRecordCount READ GetLocalRecordCount WRITE SetLocalRecordCount)
    Q_PROPERTY(int LocalRecordNumber READ GetLocalRecordNumber WRITE SetLocalRecordNumber)
    Q_PROPERTY(int RecordNumber READ GetRecordNumber WRITE SetRecordNumber)
    Q_PROPERTY(bool Active READ GetActive WRITE SetActive)
    Q_PROPERTY(QString FileExt READ GetFileExt WRITE SetFileExt)
    Q_PROPERTY(int RecordCount READ GetRecordCount WRITE SetRecordCount)
    Q_PROPERTY(bool DinamicFieldList READ GetDinamicFieldList WRITE SetDinamicFieldList)
public:
    explicit TIniDataSet(QObject* owner = nullptr);
    ~TIniDataSet() override;

    // --- properties ---------------------------------------------------------------
    QStringList GetFieldList() const { return fieldList_; }
    // Copies the names and gives every name a new, empty field object.
    void SetFieldList(const QStringList& names);
    QString GetRootDir() const { return rootDir_; }
    void SetRootDir(const QString& v) { rootDir_ = v; }
    QString GetTableName() const { return tableName_; }
    void SetTableName(const QString& v) { tableName_ = v; }
    bool GetDayToDir() const { return dayToDir_; }
    void SetDayToDir(bool v) { dayToDir_ = v; }
    bool GetHourToFile() const { return hourToFile_; }
    void SetHourToFile(bool v) { hourToFile_ = v; }
    bool GetAppendMode() const { return appendMode_; }
    void SetAppendMode(bool v) { appendMode_ = v; }
    TDateTime GetRangeMin() const { return rangeMin_; }
    void SetRangeMin(TDateTime v) { rangeMin_ = v; }
    TDateTime GetRangeMax() const { return rangeMax_; }
    void SetRangeMax(TDateTime v) { rangeMax_ = v; }
    bool GetRangeIsOn() const { return rangeIsOn_; }
    void SetRangeIsOn(bool v) { rangeIsOn_ = v; }
    int GetLocalRecordCount() const { return localRecordCount_; }
    void SetLocalRecordCount(int v) { localRecordCount_ = v; }
    int GetLocalRecordNumber() const { return localRecordNumber_; }
    void SetLocalRecordNumber(int v) { localRecordNumber_ = v; }
    int GetRecordNumber() const { return recordNumber_; }
    void SetRecordNumber(int v) { recordNumber_ = v; }
    bool GetActive() const { return active_; }
    // true opens (loads the record list and goes to the first record), false closes.
    void SetActive(bool v);
    QString GetFileExt() const { return fileExt_; }
    void SetFileExt(const QString& v) { fileExt_ = v; }
    int GetRecordCount() const { return recordCount_; }
    void SetRecordCount(int v) { recordCount_ = v; }
    bool GetDinamicFieldList() const { return dinamicFieldList_; }
    void SetDinamicFieldList(bool v) { dinamicFieldList_ = v; }

    // --- navigation -----------------------------------------------------------------
    bool First();
    bool Last();
    bool Next();
    bool Prior();
    bool GotoRecordNumber(int n);

    // --- changes ----------------------------------------------------------------------
    // Adds a record stamped t (fields empty) to the file of t and makes it the
    // current record of the file. The current time and the field objects stay.
    // Refused (false) for a file that exists but cannot be read, with the
    // reason shown: written over, it would lose every record it holds.
    bool Append(TDateTime t);
    // The same with the record's values (in FieldList order after
    // "RecordTime") written in the same single write, so a crash leaves the
    // file without the record or with all of it. Nothing is shown: false, and
    // why (empty for a stamp the list refuses).
    bool AppendRecord(TDateTime t, const QStringList& values, QString* why);
    // Removes the current record from its file: the records after it move up
    // one place, the header's stamps and count follow, in one write. Then the
    // record that took its place (or the new last one) is current. False, and
    // nothing changed, when there is no current record or the file cannot be written.
    bool Delete();

    bool SetRange(TDateTime min, TDateTime max);
    bool CancelRange();

    // Reads every field object again, in FieldList order; false if one fails.
    bool ReloadRecord();
    bool Refresh() { return ReloadRecord(); }
    // Adds the stamps of the files in dir (and of the day folders in it) to the
    // record list; clear empties the list first and marks dir as the root.
    bool ReloadRecordList(const QString& dir, bool clear);
    // Finds the current record in the open file: sets LocalRecordCount and
    // LocalRecordNumber (-1 when it is not found).
    bool DetectLocalRecordNumber();

    // --- fields --------------------------------------------------------------------------
    TIniField* FieldByName(const QString& name) const;
    bool SetFieldValByName(const QString& name, const QString& value);
    QString GetFieldValByName(const QString& name) const;

    // --- names and numbers ---------------------------------------------------------
    QString FolderNameByTime(TDateTime t) const;
    QString FileNameByTime(TDateTime t) const;
    // A decimal number in the workstation's locale, or else with the other of
    // "." and ","; empty or other text gives 0.
    static double StringToDouble(const QString& text);
    // A stamp as "Header" holds it: up to 15 significant digits, the workstation's
    // decimal separator.
    static QString StampText(TDateTime t);

    // The state behind the properties, for the field objects and for tests.
    TDateTime CurrentTime() const { return currentTime_; }
    const QString& CurrentSection() const { return currentSection_; }
    const QStringList& RecordList() const { return recordList_; }
    bool HasOpenFile() const { return file_ != nullptr; }
    QString OpenFileName() const;

private:
    friend class TIniField;

    void Open();
    void Close();
    void CreateFields();
    int FieldIndex(const QString& name) const;
    // The file of t as the open file (the old one released when it differs).
    bool OpenFileOf(TDateTime t);
    void LoadFile(const QString& path);
    void AddToList(const QString& stamp);
    void RebuildListIndex();
    int BinarySearch(const QString& target);
    // Writes one field of the current record; false with the reason.
    bool WriteField(const QString& name, const QString& value, QString* why);

    std::unique_ptr<IndexedIniFile> file_;
    QStringList recordList_;
    // Stamp text -> index of its first occurrence in recordList_.
    QHash<QString, int> listIndex_;
    TDateTime currentTime_ = 0.0;
    std::vector<std::unique_ptr<TIniField>> fields_;
    QString currentSection_;
    QStringList fieldList_{QStringLiteral("RecordTime")};
    QString rootDir_;
    QString tableName_;
    bool dayToDir_ = true;
    bool hourToFile_ = true;
    bool appendMode_ = true;
    TDateTime rangeMin_ = 0.0;
    TDateTime rangeMax_ = 0.0;
    bool rangeIsOn_ = false;
    int localRecordCount_ = 0;
    int localRecordNumber_ = 0;
    int recordNumber_ = 0;
    bool active_ = false;
    QString fileExt_ = QStringLiteral(".VMD");
    int recordCount_ = 0;
    bool dinamicFieldList_ = false;
};
