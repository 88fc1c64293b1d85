#pragma once
// The configuration window's page "Сигнализация": the alarms of Alarms.INI in
// a table (text, priority, limit, deadband, on- and off-delay, in service),
// written whole and taken into use by "Применить". Unchecking "В работе"
// takes an alarm out of service.

#include "AlarmService.h"

#include <QPointer>
#include <QWidget>

class QPushButton;
class QTableWidget;

class TAlarmConfigPage : public QWidget {
    Q_OBJECT
public:
    enum Column {
        ColText,
        ColPriority,
        ColLimit,
        ColDeadband,
        ColOnDelay,
        ColOffDelay,
        ColInService,
        ColCount
    };

    explicit TAlarmConfigPage(TAlarmService* alarms, QWidget* parent = nullptr);

    QTableWidget* Table;
    QPushButton *ButApply, *ButDefaults;

    // Fills the table from the definitions in use.
    void Load();
    // The definitions as the table holds them; false and why (naming the row
    // and the column) when a cell does not read.
    bool Edited(QList<TAlarmDef>* defs, QString* why) const;
    // Writes them and takes them into use; an error box when it cannot.
    bool Apply();

private:
    void Fill(const QList<TAlarmDef>& defs);

    QPointer<TAlarmService> alarms_;
    QList<TAlarmDef> shown_;
};
