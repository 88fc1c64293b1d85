#pragma once
// "Задания плотности за смену": the density setpoints of a shift (moment,
// value, user, taken at, state) in a small window, from control_vector judged
// against the shift's records by the rule of the live follow-up
// (SetpointHistory.h), with what only the follow-up knows.

#include "SetpointHistory.h"

#include <QDialog>
#include <functional>

class QLabel;
class QTableWidget;
class TSQLConnection;

class TFormSetpoints : public QDialog {
    Q_OBJECT
public:
    explicit TFormSetpoints(QWidget* parent = nullptr);

    QLabel* LabelPeriod;
    QTableWidget* GridSetpoints;

    // Loads the setpoints of the period on the history session and shows them
    // when they come (or why they did not). `followed` and `takeSeconds` as
    // the live follow-up has them.
    void Load(TSQLConnection* connection, TDateTime start, TDateTime stop,
              std::vector<TSetpointFollowUp> followed, int takeSeconds, std::function<void()> done = {});
    void Show(const std::vector<TSetpointHistoryRow>& rows);
    void ShowError(const QString& text);
};
