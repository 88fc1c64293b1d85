#pragma once
// The main window: the frame of every child window, the menu, the tool bar
// with the clock and the link circle, and the program's one database connection.

#include "Controls.h"
#include "Database.h"
#include "DateTime.h"
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
class TFormInputNewSet;

// The newest process record as the latest-record query holds it.
struct TLastData {
    TDateTime RecMoment = 0;
    double PLS = 0, PLSZ = 0, URKS = 0, URNS = 0, VODA1 = 0, DSUS = 0, _PLSZ = 0, AR1 = 0;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // exePath: the executable whose directory holds the configuration (tests
    // give a path in their own directory).
    explicit TFormMain(const QString& exePath = QString(), QWidget* parent = nullptr);
    ~TFormMain() override;

    // Fields.
    QPointer<QWidget> CurrentChild;
    QString IniFileName;
    QString ConfigCaption;
    QString ExeDir;
    QString MySQLHost = QStringLiteral("127.0.0.1");
    QString MySQLLogin = QStringLiteral("root");
    QString MySQLPassword;
    int MySQLVersion = 5;
    bool SavePassword = false;
    bool ExitConfirmed = false;
    double MinPLS = 1000.0;

    // Components other windows use.
    TSQLConnection* SQLConnection1 = nullptr;
    std::unique_ptr<TSQLQuery> SQLQueryMaxTime, SQLQueryPUState, SQLQueryLastData, SQLQueryNewSet,
        SQLQuery_back_work;
    TShape* ShapeLink = nullptr;
    QLabel* LabelClock = nullptr;
    QToolBar* ToolBarMain = nullptr;
    QWidget* PanelInfo = nullptr;
    QWidget* PanelLink = nullptr;
    QToolButton* ToolButtonPrint = nullptr;
    QMdiArea* MdiArea = nullptr;
    QTimer* TimerRefreshState = nullptr;

    QAction *ActionExit, *ActionMainMenu, *ActionMnemo, *ActionGraphGC_params, *ActionGraphSuspLevel,
        *ActionGraphDivPosition, *ActionWorkLog, *ActionAbout, *ActionSetPLSZ, *ActionSet_TNZ,
        *ActionPrintHardParams, *ActionPrintLevelGraph, *ActionPrintDiverGraph, *ActionPrintGCWorkReg,
        *ActionPrint, *ActionConfig, *ActionBaseView;
    QList<QAction*> Actions() const; // in the order of the action list

    // The newest record, valid while the latest-record query is open.
    bool LastDataActive() const { return SQLQueryLastData && SQLQueryLastData->Active(); }
    TLastData LastData() const;

    // Services.
    void LoadConfig();
    void SaveConfig();
    void ShowChild(QWidget* window);
    void SetConnectionParam(const QString& name, const QString& value, TSQLConnection* connection = nullptr);
    static void CopyConnectionSettings(const TSQLConnection& source, TSQLConnection& target);
    void SQLConnection1AfterConnect();
    void ToolBarMainResize();
    static TColor LinkColor(TDateTime lastRecord, TDateTime now);

    // Handlers.
    void FormCreate();
    void TimerRefreshStateTimer();
    void ActionSetCheck();
    void ActionSetPLSZExecute();
    void ActionSet_TNZExecute();
    bool FormCloseQuery();
    void ActionExitExecute();

    // Wraps a child window into the frame (hidden until ShowChild).
    QMdiSubWindow* AddChild(QWidget* window);

Q_SIGNALS:
    void ConfigSaved(); // after every SaveConfig pass, successful or not

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    void BuildMenu();
    void BuildToolBar();
    bool LoginDialog();
    void SetPrintAction(QAction* action);
    void SendSetpoint(const QString& prompt, double lowest, double highest, const QString& rangeMessage,
                      const QString& column);
    void ShowModalPlaceholder(const QString& caption);

    // While the connection is lost, a reconnect is tried at most this often, so
    // that a stalled server leaves the screen usable between attempts.
    static constexpr quint64 kReconnectIntervalMs = 3000;

    bool shownOnce_ = false;
    quint64 lastReconnectMs_ = 0;
    bool reconnectTried_ = false;
    bool everConnected_ = false;
    bool heartbeatKnown_ = false;
    TDateTime lastHeartbeat_ = 0;
};

extern TFormMain* FormMain;

// Formats a number for a statement: the general format, then every comma
// replaced by a point, whatever the workstation's decimal separator is.
QString FloatToSqlText(double x);
