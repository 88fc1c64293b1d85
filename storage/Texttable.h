#pragma once
// TTextTable: a small table in a plain text file, one record per line, each
// value followed by one separator character (a tab unless FieldBorderCode says
// otherwise), optionally with a first line of field names. Opening reads the
// whole file; the caller moves between records and reads and changes values by
// name; closing writes the whole file back, through a temporary file renamed
// over the old one (a crash leaves the old table or the new one).
//
// The file is read as UTF-8, or as Windows-1251 when it is not valid UTF-8, and
// written back in the encoding and with the line breaks it was read with (new
// files: UTF-8, "\n").

#include <QObject>
#include <QString>
#include <QStringList>

class TTextTable : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString TableName READ GetTableName WRITE SetTableName)
    Q_PROPERTY(QStringList FieldList READ GetFieldList WRITE SetFieldList)
    Q_PROPERTY(bool Active READ GetActive WRITE SetActive)
    Q_PROPERTY(int FieldBorderCode READ GetFieldBorderCode WRITE SetFieldBorderCode)
    Q_PROPERTY(QStringList Lines READ GetLines WRITE SetLines)
    Q_PROPERTY(int RecordNum READ GetRecordNum WRITE SetRecordNum)
    Q_PROPERTY(int RecordCount READ GetRecordCount WRITE SetRecordCount)
    Q_PROPERTY(QStringList Fields READ GetFields WRITE SetFields)
    Q_PROPERTY(bool EditMode READ GetEditMode WRITE SetEditMode)
    Q_PROPERTY(bool AutoCreate READ GetAutoCreate WRITE SetAutoCreate)
    Q_PROPERTY(bool FirstLineIsHeader READ GetFirstLineIsHeader WRITE SetFirstLineIsHeader)
public:
    explicit TTextTable(QObject* owner = nullptr);

    // --- properties -----------------------------------------------------------------
    QString GetTableName() const { return tableName_; }
    void SetTableName(const QString& v) { tableName_ = v; }
    QStringList GetFieldList() const { return fieldList_; }
    void SetFieldList(const QStringList& v) { fieldList_ = v; }
    bool GetActive() const { return active_; }
    // true reads the file (or, with AutoCreate, opens without one); false writes
    // the table back. A table that cannot be read stays closed; one that cannot
    // be written stays open, so nothing is lost; both say why.
    void SetActive(bool v);
    int GetFieldBorderCode() const { return fieldBorderCode_; }
    void SetFieldBorderCode(int v) { fieldBorderCode_ = v; }
    QStringList GetLines() const { return lines_; }
    void SetLines(const QStringList& v) { lines_ = v; }
    int GetRecordNum() const { return recordNum_; }
    // A different n posts first (in edit mode), then stores n; Fields stay.
    void SetRecordNum(int n);
    int GetRecordCount() const { return int(lines_.size()); }
    // Only the current count + 1 does anything: it appends an empty record.
    void SetRecordCount(int n);
    QStringList GetFields() const { return fields_; }
    void SetFields(const QStringList& v) { fields_ = v; }
    bool GetEditMode() const { return editMode_; }
    void SetEditMode(bool v) { editMode_ = v; }
    bool GetAutoCreate() const { return autoCreate_; }
    void SetAutoCreate(bool v) { autoCreate_ = v; }
    bool GetFirstLineIsHeader() const { return firstLineIsHeader_; }
    void SetFirstLineIsHeader(bool v) { firstLineIsHeader_ = v; }

    // The separator: the low 8 bits of FieldBorderCode, a Windows-1251 character.
    QChar Separator() const;

    // --- records ----------------------------------------------------------------------
    bool First();
    bool Last();
    bool Next();
    bool Prev();
    // An empty line at the end, which becomes the current record.
    bool Append();
    // Removes the current line; the record before it becomes current (or, for
    // the first line, the one that took its place). Nothing is posted.
    bool Delete();
    // Fields from the current line; false when RecordNum is no line.
    bool ReloadFields();
    // Ends edit mode and writes Fields into the current line. A value with a
    // line break or the separator is refused with a message (the line stays):
    // it would not read back as written.
    bool Post();

    // --- fields -------------------------------------------------------------------------
    int FieldIndex(const QString& name) const;
    QString GetFieldByName(const QString& name);
    // Changes Fields only; the line follows at the next Post(). A value with a
    // line break or the separator is refused with a message.
    void SetFieldByName(const QString& name, const QString& value);

private:
    void Open();
    void Close();
    void PostIfEditing();
    QString Record(const QStringList& values) const;
    // Why value cannot be written as field name's value; empty when it can.
    QString Unwritable(const QString& name, const QString& value) const;

    QString tableName_;
    QStringList fieldList_;
    bool active_ = false;
    int fieldBorderCode_ = 9;
    QStringList lines_;
    int recordNum_ = 0;
    QStringList fields_;
    bool editMode_ = false;
    bool autoCreate_ = false;
    bool firstLineIsHeader_ = false;

    // How the file was written, to write it back the same way.
    bool cp1251_ = false;
    bool bom_ = false;
    QString eol_ = QStringLiteral("\n");
};
