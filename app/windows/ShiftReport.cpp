#include "ShiftReport.h"

#include "AlarmFigures.h"
#include "Alarmview.h"
#include "Database.h"
#include "Global.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphSuspLevel.h"
#include "Log.h"
#include "NumText.h"
#include "SetpointHistory.h"
#include "ShiftFigures.h"
#include "Sql.h"
#include "Webprint.h"

#include <QDir>
#include <algorithm>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>

const QString kShiftReportTemplate = QStringLiteral("ShiftReport.html");

namespace {
// The pictures' size in the report's units (one unit a screen pixel, some
// 1000 to the width of an A4 landscape page) and how many pixels each unit
// gets: 2 gives some 190 dpi on paper, twice what a screen shows at 100 %.
constexpr int kPictureWidth = 1000;
constexpr int kTwoChartHeight = 265;
constexpr int kOneChartHeight = 520;
constexpr double kPrintScale = 2;
constexpr int kPngQuality = 85;

QString Hm(double seconds) {
    const qint64 m = qint64(seconds / 60 + 0.5);
    return QStringLiteral("%1 ч %2 мин").arg(m / 60).arg(m % 60, 2, 10, QLatin1Char('0'));
}

QString Num(double v, int decimals = 0) {
    return QString::number(v, 'f', decimals);
}

QString Note(const QString& text) {
    return QStringLiteral("<p class=\"note\">%1</p>").arg(HtmlText(text));
}
} // namespace

QString HtmlText(const QString& text) {
    return text.toHtmlEscaped();
}

QString ShiftName(int shift) {
    switch (shift) {
    case 1:
        return QStringLiteral("Смена №1");
    case 2:
        return QStringLiteral("Смена №2");
    default:
        return QStringLiteral("Обе смены");
    }
}

void LoadShiftReport(TSQLConnection* connection, QObject* context, TDateTime day, int shift,
                     std::function<void(TShiftReportData&)> done) {
    auto data = std::make_shared<TShiftReportData>();
    data->day = day;
    data->shift = shift;
    GetShiftPeriod(day, shift, data->start, data->stop);
    if (!connection) {
        data->recordsError = data->journalError = data->commandsError =
            QStringLiteral("Нет соединения с базой данных");
        done(*data);
        return;
    }
    const TDateTime start = data->start, stop = data->stop;
    connection->Post<std::shared_ptr<TShiftReportData>>(
        TSessionRole::History, context,
        [data, start, stop](TDbSession& session) {
            // Each part on its own: a journal that cannot be read still
            // leaves the charts and the setpoints.
            auto read = [&session](const QString& sql, TResultTable& into, QString& error) {
                try {
                    into = session.Select(sql, TStatementKind::Range);
                } catch (const EDatabaseError& e) {
                    error = e.Text();
                }
            };
            read(Sql::TrendRange(start, stop), data->records, data->recordsError);
            read(Sql::JournalRange(start, stop), data->journal, data->journalError);
            read(Sql::SetpointRange(start, stop), data->commands, data->commandsError);
            try {
                const TResultTable user =
                    session.Select(QStringLiteral("select user()"), TStatementKind::Command);
                if (user.RowCount() > 0)
                    data->user = user.Text(0, 0);
            } catch (const EDatabaseError&) {
            }
            return data;
        },
        [done = std::move(done)](TDbReply<std::shared_ptr<TShiftReportData>>& reply) {
            if (reply.Ok()) {
                done(**reply.value);
                return;
            }
            TShiftReportData failed;
            failed.recordsError = failed.journalError = failed.commandsError = reply.error->Text();
            done(failed);
        });
}

namespace {

// One trend window drawn off screen: its charts' pictures with their captions
// as an HTML fragment.
bool ChartsFragment(TFormGraphBase& window, const TShiftReportData& data, const QString& prefix,
                    int chartHeight, const QString& tempDir, QString& html, QString* error) {
    // Laid out as on a screen, though never on one: the legends' places on
    // the charts come from the layout.
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(kPictureWidth, 2 * chartHeight + 120);
    window.show();
    window.ShowAllCharts();
    window.ShowRecords(data.day, data.shift, data.records);
    const QStringList& captions = window.Traits().printCaptions;
    for (int k = 0; k < window.Charts.size(); ++k) {
        TLevelGraph* chart = window.Charts[k];
        if (!chart->ExportImage(kPictureWidth, chartHeight, true, kPrintScale)) {
            if (error)
                *error = QStringLiteral("график не нарисован");
            return false;
        }
        DrawChartLegend(chart, &window);
        const QString path = PathIn(tempDir, QStringLiteral("%1%2.png").arg(prefix).arg(k + 1));
        QSaveFile file(path);
        // The quickest compression (zlib level 1): the default one took some
        // 60 ms a picture, none at all leaves 4 MB files.
        if (!file.open(QIODevice::WriteOnly) || !chart->ExportBitmap().save(&file, "PNG", kPngQuality) ||
            !file.commit()) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
            return false;
        }
        const QString caption = k < captions.size() ? window.Layout().Get<TLabel>(captions[k])->GetCaption()
                                                    : window.LabelTop->GetCaption();
        html += QStringLiteral("<p class=\"caption\">%1</p>\n<p class=\"chart\"><img src=\"%2\" width=\"%3\" "
                               "height=\"%4\" alt=\"\"></p>\n")
                    .arg(HtmlText(caption), QFileInfo(path).absoluteFilePath().toHtmlEscaped())
                    .arg(kPictureWidth)
                    .arg(chartHeight);
    }
    return true;
}

QString FiguresTable(const TShiftReportData& data, const TShiftReportSettings& s,
                     const std::vector<TSetpointHistoryRow>& setpoints) {
    if (!data.recordsError.isEmpty())
        return Note(
            QStringLiteral("Показатели смены не получены: данные не загружены (%1).").arg(data.recordsError));
    if (data.records.RowCount() == 0)
        return Note(
            QStringLiteral("Нет данных за смену: контроллер не записал ни одной записи за этот период."));
    const TShiftFigures f = ShiftFigures(data.records, s.minPls, data.start, data.stop);
    auto range = [](const TRangeFigure& r) {
        return r.count ? QStringLiteral("%1</td><td class=\"num\">%2 – %3")
                             .arg(Num(r.mean), Num(r.min), Num(r.max))
                       : QStringLiteral("—</td><td class=\"num\">—");
    };
    int taken = 0, notTaken = 0;
    for (const TSetpointHistoryRow& r : setpoints) {
        taken += r.state == TSetpointState::Taken;
        notTaken += r.state == TSetpointState::NotTaken;
    }
    QString t = QStringLiteral("<table class=\"figures\" cellspacing=\"0\" cellpadding=\"4\">\n"
                               "<tr><th>Показатель</th><th>Среднее</th><th>Диапазон</th></tr>\n");
    t += QStringLiteral("<tr><td>Плотность суспензии, кг/м³ (в работе)</td><td class=\"num\">%1</td></tr>\n")
             .arg(range(f.density));
    t += QStringLiteral("<tr><td>Заданная плотность, кг/м³ (в автоматическом режиме)</td><td "
                        "class=\"num\">%1</td></tr>\n")
             .arg(range(f.setpoint));
    t += QStringLiteral("</table>\n<table class=\"figures\" cellspacing=\"0\" cellpadding=\"4\">\n"
                        "<tr><th>Режим работы</th><th>Время</th></tr>\n");
    t += QStringLiteral("<tr><td>Автоматический режим</td><td class=\"num\">%1</td></tr>\n")
             .arg(Hm(f.automatic));
    t += QStringLiteral("<tr><td>Ручной режим</td><td class=\"num\">%1</td></tr>\n").arg(Hm(f.manual));
    t += QStringLiteral("<tr><td>Секция остановлена</td><td class=\"num\">%1</td></tr>\n").arg(Hm(f.stopped));
    if (f.noData >= 60)
        t += QStringLiteral("<tr><td>Нет данных</td><td class=\"num\">%1</td></tr>\n").arg(Hm(f.noData));
    t += QStringLiteral("</table>\n<table class=\"figures\" cellspacing=\"0\" cellpadding=\"4\">\n"
                        "<tr><th>Задания плотности</th><th>Число</th></tr>\n");
    if (!data.commandsError.isEmpty()) {
        t += QStringLiteral("<tr><td colspan=\"2\">не загружены: %1</td></tr>\n")
                 .arg(HtmlText(data.commandsError));
    } else {
        t += QStringLiteral("<tr><td>Отправлено</td><td class=\"num\">%1</td></tr>\n").arg(setpoints.size());
        t += QStringLiteral("<tr><td>Принято контроллером</td><td class=\"num\">%1</td></tr>\n").arg(taken);
        t += QStringLiteral("<tr><td>Не принято контроллером</td><td class=\"num\">%1</td></tr>\n")
                 .arg(notTaken);
    }
    t += QStringLiteral("<tr><td>Записей контроллера</td><td class=\"num\">%1</td></tr>\n</table>\n")
             .arg(f.records);
    if (s.alarmsKept) {
        int raised[3] = {0, 0, 0};
        for (const TAlarmTransition& a : s.alarms)
            if (a.Event == TAlarmEvent::Activate && a.Moment >= data.start && a.Moment < data.stop)
                ++raised[std::clamp(int(a.Priority) - 1, 0, 2)];
        t += QStringLiteral("<table class=\"figures\" cellspacing=\"0\" cellpadding=\"4\">\n"
                            "<tr><th>Сигнализации по приоритету</th><th>Число</th></tr>\n");
        for (TAlarmPriority p : {TAlarmPriority::High, TAlarmPriority::Medium, TAlarmPriority::Low})
            t += QStringLiteral("<tr><td>%1</td><td class=\"num\">%2</td></tr>\n")
                     .arg(HtmlText(PriorityText(p)))
                     .arg(raised[int(p) - 1]);
        t += QStringLiteral("</table>\n");
    }
    return t;
}

QString AlarmsFragment(const TShiftReportData& data, const TShiftReportSettings& s) {
    if (!s.alarmsKept)
        return Note(QStringLiteral("Сигнализация на этой станции не ведётся."));
    QString h;
    if (!s.alarmErrors.isEmpty())
        h += Note(QStringLiteral("Часть истории сигнализации не прочитана: %1")
                      .arg(s.alarmErrors.join(QStringLiteral("; "))));
    QList<TAlarmTransition> shift;
    for (const TAlarmTransition& a : s.alarms)
        if (a.Moment >= data.start && a.Moment < data.stop)
            shift << a;
    h += shift.isEmpty() ? Note(QStringLiteral("За смену сигнализаций не было.")) : AlarmHistoryHtml(shift);
    h += QStringLiteral("<h2>Показатели сигнализации за смену</h2>\n");
    return h + AlarmFiguresHtml(ComputeAlarmFigures(s.alarms, data.start, data.stop));
}

QString SetpointsTable(const TShiftReportData& data, const std::vector<TSetpointHistoryRow>& rows) {
    if (!data.commandsError.isEmpty())
        return Note(QStringLiteral("Задания плотности не загружены: %1").arg(data.commandsError));
    if (rows.empty())
        return Note(QStringLiteral("За смену задания плотности не отправлялись."));
    QString t = QStringLiteral("<table class=\"list\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n"
                               "<tr><th>Дата, время</th><th>Задание, кг/м³</th><th>Пользователь</th>"
                               "<th>Принято</th><th>Состояние</th></tr>\n");
    for (const TSetpointHistoryRow& r : rows)
        t +=
            QStringLiteral("<tr><td>%1</td><td class=\"num\">%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                .arg(FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), r.moment),
                     HtmlText(FloatToStr(r.value)), HtmlText(r.user),
                     r.takenAt > 0 ? FormatDateTime(QStringLiteral("hh:nn:ss"), r.takenAt)
                                   : QStringLiteral("—"),
                     SetpointStateText(r.state));
    return t + QStringLiteral("</table>\n");
}

QString JournalTable(const TShiftReportData& data) {
    if (!data.journalError.isEmpty())
        return Note(QStringLiteral("Журнал контроллера не загружен: %1").arg(data.journalError));
    const int cMoment = data.journal.ColumnIndex(QStringLiteral("RecMoment"));
    const int cText = data.journal.ColumnIndex(QStringLiteral("MessageText"));
    if (data.journal.RowCount() == 0 || cMoment < 0 || cText < 0)
        return Note(QStringLiteral("За смену в журнале контроллера нет записей."));
    QString t;
    t.reserve(data.journal.RowCount() * 120);
    t += QStringLiteral("<table class=\"list\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">\n"
                        "<tr><th width=\"18%\">Дата, время</th><th>Текст сообщения</th></tr>\n");
    for (int i = 0; i < data.journal.RowCount(); ++i)
        t += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                 .arg(FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), data.journal.Number(i, cMoment)),
                      HtmlText(data.journal.Text(i, cText)));
    return t + QStringLiteral("</table>\n");
}

} // namespace

bool MakeShiftReport(const TShiftReportData& data, const TShiftReportSettings& s, QStringList& keys,
                     QStringList& values, QString* error) {
    QDir().mkpath(s.tempDir);
    std::vector<TSetpointHistoryRow> setpoints;
    if (data.commandsError.isEmpty() && data.recordsError.isEmpty()) {
        try {
            setpoints = SetpointHistory(data.commands, data.records, s.followed, s.takeSeconds, data.start,
                                        data.stop, s.now);
        } catch (const EDatabaseError& e) {
            qCWarning(lcOrdal) << "shift report setpoints:" << e.Text();
        }
    }

    // The charts: each trend window made for the report alone, off screen.
    QString density, levels, divider;
    if (!data.recordsError.isEmpty() || data.records.RowCount() == 0) {
        const QString why = data.recordsError.isEmpty()
                                ? QStringLiteral("Нет данных за смену: графики не построены.")
                                : QStringLiteral("Данные графиков не загружены: %1").arg(data.recordsError);
        density = levels = divider = Note(why);
    } else {
        TFormGraphHardParams hard;
        TFormGraphSuspLevel sumps;
        TFormGraphDSUS div;
        if (!ChartsFragment(hard, data, QStringLiteral("SR_pic"), kTwoChartHeight, s.tempDir, density,
                            error) ||
            !ChartsFragment(sumps, data, QStringLiteral("SR_SL_pic"), kTwoChartHeight, s.tempDir, levels,
                            error) ||
            !ChartsFragment(div, data, QStringLiteral("SR_DIV_pic"), kOneChartHeight, s.tempDir, divider,
                            error))
            return false;
    }

    const QString period = FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), data.start) +
                           QStringLiteral(" – ") +
                           FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), data.stop);
    keys = QStringList{QStringLiteral("ShiftReportSection"),   QStringLiteral("ShiftReportDate"),
                       QStringLiteral("ShiftReportShift"),     QStringLiteral("ShiftReportPeriod"),
                       QStringLiteral("ShiftReportUser"),      QStringLiteral("ShiftReportMade"),
                       QStringLiteral("ShiftReportFigures"),   QStringLiteral("ShiftReportDensity"),
                       QStringLiteral("ShiftReportLevels"),    QStringLiteral("ShiftReportDivider"),
                       QStringLiteral("ShiftReportSetpoints"), QStringLiteral("ShiftReportJournal"),
                       QStringLiteral("ShiftReportAlarms")};
    values = QStringList{HtmlText(s.section),
                         FormatDateTime(QStringLiteral("dd.mm.yyyy"), data.day),
                         ShiftName(data.shift),
                         period,
                         HtmlText(data.user.isEmpty() ? QStringLiteral("—") : data.user),
                         FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), s.now),
                         FiguresTable(data, s, setpoints),
                         density,
                         levels,
                         divider,
                         SetpointsTable(data, setpoints),
                         JournalTable(data),
                         AlarmsFragment(data, s)};
    return true;
}
