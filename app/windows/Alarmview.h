#pragma once
// The alarm window ("Журнал", F7): the alarms that need the operator (active,
// returned unacknowledged, shelved, out of service) with "Квитировать" for the
// selected ones and for all shown and "Отложить…"; below, the shift's history
// of transitions from the day files, chosen with the journal's shift picker,
// and the shift's figures by EEMUA 191. The history and the figures print
// through the print window (template PrintAlarms.html) and the history
// exports to CSV.

#include "AlarmFigures.h"
#include "AlarmService.h"
#include "AppContext.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTextBrowser;
class TComboBox;
class TDateTimePicker;

// The history as CSV (";" separated, a header line, moments as dd.mm.yyyy
// hh:nn:ss, numbers with a point).
QByteArray AlarmHistoryCsv(const QList<TAlarmTransition>& rows);
// The figures as the HTML body of the window's page and of the report.
QString AlarmFiguresHtml(const TAlarmFigures& f);
// The history as an HTML table for the report.
QString AlarmHistoryHtml(const QList<TAlarmTransition>& rows);

class TFormAlarms : public QWidget {
    Q_OBJECT
public:
    explicit TFormAlarms(TAppContext& context, TAlarmService* alarms, QWidget* parent = nullptr);

    QTableWidget* TableActive;
    QPushButton *ButtonAck, *ButtonAckAll, *ButtonShelve, *ButtonUnshelve;
    TDateTimePicker* DateTimePicker1;
    TComboBox* ComboBox1;
    QPushButton *ButtonShow, *ButtonPrint, *ButtonCsv, *ButtonFigures;
    QTabWidget* Tabs;
    QTableWidget* TableHistory;
    QTextBrowser* FiguresView;

    // The ids of the alarms listed, in list order.
    const QStringList& ListedIds() const { return listed_; }
    // Reads the history of the chosen day and shift and works out its figures.
    void LoadHistory();
    const QList<TAlarmTransition>& History() const { return history_; }
    const TAlarmFigures& Figures() const { return figures_; }

    void AcknowledgeSelected();
    void AcknowledgeAll();
    // Asks for the reason and the time (through the platform's dialog) and
    // shelves the selected alarm.
    void ShelveSelected();
    void UnshelveSelected();
    void PrintHistory();
    void PrintFigures();
    void ExportCsv();
    void RefreshActive();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStringList SelectedIds() const;
    QString RangeText() const;

    TAppContext& context_;
    QPointer<TAlarmService> alarms_;
    QStringList listed_;
    QList<TAlarmTransition> history_;
    TAlarmFigures figures_;
    TDateTime from_ = 0, to_ = 0;
    std::optional<TDateTime> pickedDay_;
};

extern TFormAlarms* FormAlarms;
