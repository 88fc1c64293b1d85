#pragma once
// What a statement gives back, as it crosses from the database threads to the
// windows: the rows of a result read whole into memory, typed by column, or the
// error that ended it.

#include "DateTime.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <utility>
#include <vector>

class EDatabaseError : public std::runtime_error {
public:
    EDatabaseError(const QString& text, int nativeCode = 0, bool maybeExecuted = false)
        : std::runtime_error(text.toStdString()), nativeCode_(nativeCode), maybeExecuted_(maybeExecuted) {}
    QString Text() const { return QString::fromStdString(what()); }
    int NativeCode() const { return nativeCode_; }
    // The statement had reached the server when the connection was lost: it
    // may or may not have been carried out. (Otherwise it certainly was not.)
    bool MaybeExecuted() const { return maybeExecuted_; }

private:
    int nativeCode_;
    bool maybeExecuted_;
};

// Client error codes that mean the session is gone (server stalled past the
// read timeout, killed, restarted, or unreachable).
bool IsConnectionLostError(int nativeCode);

// How long a statement may wait for the server's answer.
enum class TStatementKind {
    Poll,    // the once-a-second state poll: short, a stalled server must not freeze the screen
    Command, // commands and single-row reads an operator started: short
    Range,   // history, journal and browser ranges: long, a big range is not a dead server
};

// The rows of one result, read whole into memory, typed by column: numbers and
// moments as doubles (moments as TDateTime), everything else as text.
class TResultTable {
public:
    enum class Type { Number, DateTime, Text };

    int ColumnCount() const { return int(columns_.size()); }
    int RowCount() const { return rows_; }
    const QString& ColumnName(int c) const { return columns_[size_t(c)].name; }
    Type ColumnType(int c) const { return columns_[size_t(c)].type; }
    // The column of that name, compared without regard to case as the server
    // does; -1 when there is none.
    int ColumnIndex(const QString& name) const;

    bool IsNull(int row, int c) const { return columns_[size_t(c)].null[size_t(row)]; }
    // NULL reads as 0 (the zero date-time for moments); a text that is no number reads as 0.
    double Number(int row, int c) const;
    QString Text(int row, int c) const;
    QVariant Value(int row, int c) const; // null QVariant for NULL; moments as QDateTime

    void Clear();
    // Building (the reader and tests).
    void AddColumn(const QString& name, Type type);
    void AppendRow(const std::vector<std::pair<const char*, size_t>>& cells); // nullptr = NULL

private:
    struct Column {
        QString name;
        Type type = Type::Text;
        std::vector<double> number;
        QStringList text;
        std::vector<bool> null;
    };
    std::vector<Column> columns_;
    int rows_ = 0;
};

// Reads a server moment ("yyyy-mm-dd hh:nn:ss[.ffffff]", a date or a time of
// day) into a TDateTime; the zero date "0000-00-00" reads as 0. False when the
// text is none of these.
bool ParseSqlDateTime(const char* text, size_t length, TDateTime& result);
