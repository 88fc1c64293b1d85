#pragma once
// "Отчёт за смену": one document for a shift, in one command. The shift's
// records, journal and setpoints are read on the history session in one
// request; the three trend windows draw the shift off screen at print
// resolution (never brought forward); the template ShiftReport.html in
// TemplateDir is filled and shown by the report printer like the other
// reports. A part whose data failed to load, or a shift without records, says
// so on its page instead of printing empty charts.

#include "AlarmModel.h"
#include "ResultTable.h"
#include "SetpointFollow.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QObject;
class TSQLConnection;

// What the report is made from.
struct TShiftReportData {
    TDateTime day = 0;
    int shift = 1; // 1, 2, 3 = both
    TDateTime start = 0, stop = 0;
    TResultTable records;  // pu_data of the period
    TResultTable journal;  // control_log of the period
    TResultTable commands; // density commands of the period
    // Why a part is missing (empty: it was read).
    QString recordsError, journalError, commandsError;
    QString user; // USER() of the program's session
};

// Reads a shift's data on the history session; `done` runs on `context`'s
// thread (not at all when it is gone). Parts that fail say why in their error.
void LoadShiftReport(TSQLConnection* connection, QObject* context, TDateTime day, int shift,
                     std::function<void(TShiftReportData&)> done);

struct TShiftReportSettings {
    QString section = QStringLiteral("Отделение обогащения угля в тяжелых средах");
    double minPls = 1000;
    int takeSeconds = TSetpointFollow::kDefaultTakeSeconds;
    std::vector<TSetpointFollowUp> followed;
    TDateTime now = 0;
    QString tempDir;
    // The workstation's own alarm history for the shift (kept in its day
    // files, not in the database); alarmsKept false where there is none.
    bool alarmsKept = false;
    QList<TAlarmTransition> alarms;
    QStringList alarmErrors;
};

// The template's name in TemplateDir.
extern const QString kShiftReportTemplate;

// Draws the pictures into settings.tempDir and gives the template's keys and
// values. False with the reason when a picture could not be written.
bool MakeShiftReport(const TShiftReportData& data, const TShiftReportSettings& settings, QStringList& keys,
                     QStringList& values, QString* error);

// "Смена №1 (07:00 – 18:59)" and the like.
QString ShiftName(int shift);
// Text made safe for HTML.
QString HtmlText(const QString& text);
