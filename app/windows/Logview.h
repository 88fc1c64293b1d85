#pragma once
// The controller's event journal (control_log) for one shift or a whole shift
// day: loaded when the window is first shown and when the operator presses
// Enter in the day or shift choice, refreshed every 37 s while the newest entry
// lies inside the shown range, and printed through a print preview.

#include "AppContext.h"
#include "Database.h"
#include "DateTime.h"
#include "Dbgrideh.h"
#include "Layout.h"

#include <QTimer>
#include <functional>
#include <QWidget>
#include <memory>
#include <optional>

class TLabel;
class TPanel;

// The range of a day and a choice of the shift list (0 "Смена №1", 1 "Смена
// №2", 2 "Обе смены"): the shift periods of the shift settings.
struct TJournalRange {
    TDateTime start = 0, stop = 0;
};
TJournalRange JournalRangeOf(TDateTime day, int shiftIndex);
// Whether the newest journal moment t calls for a reload of the range shown:
// inside it (both ends included, to the second) and newer than the moment
// reacted to last.
bool AutoRefreshDue(TDateTime logStart, TDateTime logStop, TDateTime lastJournalTime, TDateTime t);
// Left edges of the heading, the day picker and the shift list, centred as a
// group in the top panel.
struct TTopPanelPlacement {
    int label = 0, picker = 0, list = 0;
};
TTopPanelPlacement PlaceTopPanel(int panelWidth, int labelWidth, int pickerWidth, int listWidth);

class TFormLogView : public QWidget {
    Q_OBJECT
public:
    // Reads through the context's connection.
    explicit TFormLogView(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);
    ~TFormLogView() override;

    // Fields.
    TDateTime LogDay = 0;
    TDateTime LogStart = 0, LogStop = 0;
    TDateTime LastJournalTime = 0;
    int LogShift = -1;
    bool Loading = false;

    // Components.
    TPanel* PanelTop;
    TLabel* LabelTop2;
    TDateTimePicker* DateTimePicker1;
    TComboBox* ComboBox1;
    TPanel* PanelStale; // shown while the list is not known to be current
    TDBGridEh* DBGridEh1;
    std::unique_ptr<TSQLClientDataSet> SQLClientDataSetLog;
    TResultTableData DataSourceLog;
    std::unique_ptr<TSQLQuery> SQLQueryLastTime;
    QTimer* TimerAutoRefresh;
    TPrintDBGridEh* PrintDBGridEh1;

    // Loads the range of the chosen day and shift: asks the history session
    // and returns; `loaded` gets the outcome when the answer has come
    // (nullptr: the list shows the new range; else the error, and the list
    // keeps the rows it had). Nothing is asked while not connected or while a
    // load runs (false then).
    using TLoaded = std::function<void(const EDatabaseError*)>;
    bool LoadJournal(TLoaded loaded = {});
    // A load the operator asked for: a failure reaches the error box.
    void LoadRequested();
    void TimerAutoRefreshTimer();
    void PanelTopResize();
    // The print heading with the range shown, and the print preview.
    QString PrintHeading() const;
    void Print();

    // How many loads succeeded so far.
    int Loads() const { return loads_; }
    // Whether the list is marked as not current, and why.
    bool Stale() const { return !staleReason_.isEmpty(); }
    const QString& StaleReason() const { return staleReason_; }

    const TLayout& Layout() const { return layout_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Connected() const { return connection_ && connection_->Connected(); }
    void MarkStale(const QString& reason);
    void MarkCurrent();
    void ShowLoading(bool on);
    std::unique_ptr<TSQLClientDataSet> pendingRows_;
    // The first load: when the window is shown, when the connection comes up,
    // and by the auto-refresh after a first load failed. Quiet (no box) unless
    // the operator started it.
    void LoadFirstTime(bool operatorStarted);

    TSQLConnection* connection_;
    TLayout layout_;
    QString caption_;
    QString staleReason_;
    TDateTime currentSince_ = 0; // when the list was last known to be current
    bool shown_ = false;
    bool loadTried_ = false; // a load has reached the server (or tried to)
    int loads_ = 0;
    // The shift day the window put into its picker itself (see PickCurrentShiftDay).
    std::optional<TDateTime> pickedDay_;
};

extern TFormLogView* FormLogView;
