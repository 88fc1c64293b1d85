#pragma once
// The main window: the frame of every child window, the menu, the tool bar
// with the clock and the link circle, and the program's database connection.
// The configuration file (TMainConfig) and the state poll (TStatePoll) are
// plain objects it holds; its members keep the names the rest of the program
// knows them by. The windows reach what they need of it through the context
// it hands them (AppContext()).

#include "AppContext.h"
#include "Controls.h"
#include "Database.h"
#include "DateTime.h"
#include "MainConfig.h"
#include "SetpointFollow.h"
#include "StatePoll.h"
#include "TColor.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QToolButton;
class TAlarmLine;
class TAlarmService;
class TChildFrame;
class TFormAlarms;
class TFormInputNewSet;
class TFormLogView;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // exePath: the executable whose directory holds the configuration (tests
    // give a path in their own directory).
    explicit TFormMain(const QString& exePath = QString(), QWidget* parent = nullptr);
    ~TFormMain() override;

    // The main configuration file's values; the fields below are the same values.
    TMainConfig Config;

    // Fields.
    QPointer<QWidget> CurrentChild;
    QString IniFileName;
    QString& ConfigCaption = Config.Caption;
    QString ExeDir;
    QString& MySQLHost = Config.MySQLHost;
    QString& MySQLLogin = Config.MySQLLogin;
    QString& MySQLPassword = Config.MySQLPassword;
    int& MySQLVersion = Config.MySQLVersion;
    bool& SavePassword = Config.SavePassword;
    bool ExitConfirmed = false;
    double MinPLS = 1000.0;

    // Components other windows use.
    TSQLConnection* SQLConnection1 = nullptr;
    TStatePoll* StatePoll = nullptr;
    TSQLQuery* SQLQueryPUState = nullptr;  // of StatePoll
    TSQLQuery* SQLQueryMaxTime = nullptr;  // of StatePoll
    TSQLQuery* SQLQueryLastData = nullptr; // of StatePoll
    std::unique_ptr<TSQLQuery> SQLQueryNewSet;
    TShape* ShapeLink = nullptr;
    QLabel* LabelClock = nullptr;
    // The state of the last density setpoint, left of the link circle.
    QLabel* LabelSetpoint = nullptr;
    // The density setpoint followed until the controller has taken it.
    TSetpointFollow SetpointFollow;
    // The database server in use, where [MySQL] Comp names replicas (hidden otherwise).
    QLabel* LabelServer = nullptr;
    QToolBar* ToolBarMain = nullptr;
    QWidget* PanelInfo = nullptr;
    QWidget* PanelLink = nullptr;
    QToolButton* ToolButtonPrint = nullptr;
    QMdiArea* MdiArea = nullptr;
    QTimer* TimerRefreshState = nullptr;
    // The alarms, evaluated at every tick of TimerRefreshState, and their
    // line under the tool bar.
    TAlarmService* Alarms = nullptr;
    TAlarmLine* AlarmLine = nullptr;
    QAction* ActionAlarms = nullptr; // "Сигнализация", F7

    QAction *ActionExit, *ActionMainMenu, *ActionMnemo, *ActionGraphGC_params, *ActionGraphSuspLevel,
        *ActionGraphDivPosition, *ActionWorkLog, *ActionAbout, *ActionSetPLSZ, *ActionSet_TNZ,
        *ActionPrintHardParams, *ActionPrintLevelGraph, *ActionPrintDiverGraph, *ActionPrintGCWorkReg,
        *ActionPrint, *ActionConfig, *ActionBaseView;
    QList<QAction*> Actions() const; // in the order of the action list
    // "Мнемосхема по размеру окна": the scheme shown whole, scaled to the
    // frame, instead of scrolling (checkable; kept in the configuration).
    QAction* ActionMnemoFit = nullptr;
    // "Задания плотности за смену" (menu "Журнал") and "Отчёт за смену"
    // (menu "Печать").
    QAction* ActionSetpointHistory = nullptr;
    QAction* ActionPrintShiftReport = nullptr;
    // The setpoints of the journal's shown range (the current shift before
    // the journal has loaded), in their own window.
    void ShowSetpointHistory();
    // Asks for the shift (the current one offered), then makes its report
    // and shows it in the print window. `day` and `shift` given: no question.
    void PrintShiftReport(TDateTime day = 0, int shift = 0);
    // The shift running at `now`: its shift day and number (1 or 2).
    static void CurrentShift(TDateTime now, TDateTime& day, int& shift);
    // A shift report is being loaded or made.
    bool ShiftReportBusy() const { return shiftReportBusy_; }

    // The newest record to show: there is one after the first successful poll;
    // when the connection is lost the last one stays until the link turns red.
    bool LastDataActive() const { return StatePoll->HasRecord(); }
    TLastData LastData() const { return StatePoll->Record(); }

    // Services.
    void LoadConfig();
    void SaveConfig();
    void ShowChild(QWidget* window);
    void SetConnectionParam(const QString& name, const QString& value, TSQLConnection* connection = nullptr);
    static void CopyConnectionSettings(const TSQLConnection& source, TSQLConnection& target);
    // After every connect of the live session, on its thread: reads MIN_PLS.
    static QVariant SQLConnection1AfterConnect(TDbSession& session);
    void ToolBarMainResize();
    static TColor LinkColor(TDateTime lastRecord, TDateTime now) { return TStatePoll::LinkColor(lastRecord, now); }

    // Handlers.
    void FormCreate();
    void TimerRefreshStateTimer();
    void ActionSetCheck();
    // The server in use in the status line and the link circle's tool tip.
    void ShowServer();
    void ActionSetPLSZExecute();
    void ActionSet_TNZExecute();
    bool FormCloseQuery();
    void ActionExitExecute();

    // Wraps a child window into the frame (hidden until ShowChild): it
    // scrolls where the frame is smaller than the window (TChildFrame).
    QMdiSubWindow* AddChild(QWidget* window);
    // The frame's sub-window of a child window, and what it holds (nullptr
    // for a window that is not in the frame).
    QMdiSubWindow* SubWindowOf(const QWidget* window) const;
    TChildFrame* ChildFrameOf(const QWidget* window) const;
    // Shows the scheme whole or scrolling, and brings it forward.
    void SetMnemoFitToWindow(bool fit);
    // The event journal, created first when it does not exist.
    TFormLogView* JournalWindow();
    // The alarm window, likewise.
    TFormAlarms* AlarmWindow();
    // One evaluation of the alarms on the poll's record as it stands now.
    void EvaluateAlarms();

    // What the windows are handed.
    TAppContext& AppContext();
    // A setpoint has been sent and its answer has not come yet.
    bool SetpointSending() const { return setpointSending_; }

Q_SIGNALS:
    void ConfigSaved(); // after every SaveConfig pass, successful or not

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildActions();
    void BuildMenu();
    void BuildToolBar();
    bool LoginDialog();
    void SetPrintAction(QAction* action);
    void ShowSetpointLine();
    // Looks in control_vector for the row of the followed setpoint `serial`.
    void LookForSetpointRow(int serial, bool afterLostAnswer);
    void SendSetpoint(const QString& prompt, double lowest, double highest, const QString& rangeMessage,
                      const QString& column);

    bool shownOnce_ = false;
    void FirstRecordShown();
    bool setpointSending_ = false;
    bool rowLookRunning_ = false;
    bool shiftReportBusy_ = false;
    TDateTime setpointAskedAt_ = 0; // the workstation's clock
    bool firstRecordShown_ = false;
    class Context;
    std::unique_ptr<Context> context_;
};

extern TFormMain* FormMain;

// The start of the error text when a command reached the server but its answer
// was lost with the connection: it may or may not have been carried out.
extern const QString kSetpointUnknown;

// Formats a number for a statement: the general format, then every comma
// replaced by a point, whatever the workstation's decimal separator is.
QString FloatToSqlText(double x);
