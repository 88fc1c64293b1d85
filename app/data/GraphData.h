#pragma once
// The data work of the trend windows, free of any window: spreading the
// history rows of a period over the charts' time steps, and keeping the rows
// as read for the operator's CSV export. The windows feed these with the rows
// their data set read (TSQLClientDataSet::Table()); tests feed them rows built
// by hand.

#include "Database.h"
#include "DateTime.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One plotted column of pu_data: where its values go, and whether a mode
// column forces it to 0 (the density setpoint means nothing in manual mode).
struct TTrendSeries {
    QString field;
    int chart = 0;
    int channel = 0;
    QString zeroWhenAbove; // empty, or a column that plots this one as 0 while above 0.5
};

// A row is plotted from the moment after the previously plotted one in these
// steps, up to but not including its own moment; after a longer silence than
// kTrendGap it is plotted once, at its own moment.
constexpr TDateTime kTrendFillStep = 10 * OneSecond;
constexpr TDateTime kTrendGap = 300 * OneSecond;

// Receives a point: the series' index in the list, the moment and the value.
using TTrendPlot = std::function<void(int series, TDateTime at, double value)>;

// Spreads the rows of a result (oldest first, a RecMoment column and the
// series' columns) over the charts: the first row, and a row more than
// kTrendGap after the moment plotted last, is plotted at its own moment; any
// other row is plotted at that last moment and then every kTrendFillStep up to,
// not including, its own moment. lastMoment ends as the last plotted moment.
// progress(row), when given, runs before each row (the window answers input
// and repaints from there). Throws EDatabaseError when a column is missing.
// Returns the number of rows.
int LoadTrendRecords(const TResultTable& rows, const QList<TTrendSeries>& series, TDateTime& lastMoment,
                     const TTrendPlot& plot, const std::function<void(int row)>& progress = {});

// The rows of a loaded period as the database gave them: the moment and the
// window's columns, one entry per row (not per chart step), NULL kept apart
// from 0. A later update appends only the rows after the last one kept (an
// update reads from the last plotted moment on, so its first rows were read
// before).
class TTrendRows {
public:
    explicit TTrendRows(QStringList fields = {}) : fields_(std::move(fields)) {}

    const QStringList& Fields() const { return fields_; }
    void Clear();
    // Appends the rows of a result newer than the last kept one; returns how
    // many. Throws EDatabaseError when a column is missing.
    int Append(const TResultTable& rows);

    int Count() const { return int(moments_.size()); }
    TDateTime Moment(int row) const { return moments_[size_t(row)]; }
    bool IsNull(int row, int column) const { return null_[Index(row, column)]; }
    double Value(int row, int column) const { return values_[Index(row, column)]; }

private:
    size_t Index(int row, int column) const { return size_t(row) * size_t(fields_.size()) + size_t(column); }

    QStringList fields_;
    std::vector<TDateTime> moments_;
    std::vector<double> values_;
    std::vector<bool> null_;
};

// The rows as a text a Russian spreadsheet opens as numbers: UTF-8 with a byte
// order mark, one header line, ";" between fields, CR LF line ends, moments as
// "dd.MM.yyyy hh:mm:ss", numbers with a decimal comma, NULL as an empty field.
QByteArray TrendCsv(const TTrendRows& rows, const QStringList& headers);
