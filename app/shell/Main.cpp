#include "Main.h"

#include "AlarmLine.h"
#include "AlarmService.h"
#include "Alarmview.h"
#include "Baseview.h"
#include "ChildFrame.h"
#include "Config.h"
#include "Eventlog.h"
#include "Log.h"
#include "Forms.h"
#include "Global.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphSuspLevel.h"
#include "Images.h"
#include "Inputnewset.h"
#include "Levelgraph.h"
#include "Logview.h"
#include "MainMenu.h"
#include "Mnemo.h"
#include "NumText.h"
#include "Platform.h"
#include "Setpoints.h"
#include "ShiftReport.h"
#include "Sql.h"
#include "Webprint.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <functional>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

TFormMain* FormMain = nullptr;

// The main window as the windows see it.
class TFormMain::Context : public TAppContext {
public:
    explicit Context(TFormMain& main) : main_(main) {}
    TSQLConnection* Connection() const override { return main_.SQLConnection1; }
    TColor LinkColour() const override { return main_.ShapeLink->Brush()->GetColor(); }
    bool LastDataActive() const override { return main_.LastDataActive(); }
    TLastData LastData() const override { return main_.LastData(); }
    double MinPLS() const override { return main_.MinPLS; }
    QWidget* CurrentChild() const override { return main_.CurrentChild; }
    QString ExeDir() const override { return main_.ExeDir; }
    QString IniFileName() const override { return main_.IniFileName; }
    TMainConfig& Config() override { return main_.Config; }
    QWidget* DialogOwner() const override { return &main_; }
    TAlarmService* Alarms() const override { return main_.Alarms; }

private:
    TFormMain& main_;
};

const QString kSetpointUnknown =
    QStringLiteral("Связь с сервером прервалась после отправки задания: неизвестно, получил ли его контроллер. "
                   "Проверьте заданную плотность на мнемосхеме, прежде чем задавать ее снова.");


QString FloatToSqlText(double x) { return FloatToStr(x, QLatin1Char('.')); }

TFormMain::TFormMain(const QString& exePath, QWidget* parent) : QMainWindow(parent) {
    FormMain = this;
    context_ = std::make_unique<Context>(*this);
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(TMainConfig::kDesignCaption);
    setWindowIcon(AppIcon());
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);

    SQLConnection1 = new TSQLConnection(this);
    SQLConnection1->DriverName = QStringLiteral("MySQL");
    SQLConnection1->ConnectionName = QStringLiteral("SQLConnection1");
    SQLConnection1->LoginPrompt = false;
    SQLConnection1->Params = {QStringLiteral("HostName=127.0.0.1"),  QStringLiteral("Database=ordalm"),
                              QStringLiteral("User_Name=ordal_user"), QStringLiteral("Password=70918263"),
                              QStringLiteral("BlobSize=-1"),          QStringLiteral("ErrorResourceFile="),
                              QStringLiteral("LocaleCode=0000")};
    SQLConnection1->GetDriverFunc = QStringLiteral("getSQLDriverMYSQL50");
    SQLConnection1->LibraryName = QStringLiteral("dbxopenmysql50.dll");
    SQLConnection1->VendorLib = QStringLiteral("libmySQL5.dll");
    SQLConnection1->SetAfterConnect(&TFormMain::SQLConnection1AfterConnect);
    connect(SQLConnection1, &TSQLConnection::AfterConnected, this,
            [this](const QVariant& minPls) { MinPLS = minPls.toDouble(); });
    connect(SQLConnection1, &TSQLConnection::ConnectionChanged, this, &TFormMain::ActionSetCheck);

    StatePoll = new TStatePoll(SQLConnection1, this);
    SQLQueryPUState = &StatePoll->SQLQueryPUState;
    SQLQueryMaxTime = &StatePoll->SQLQueryMaxTime;
    SQLQueryLastData = &StatePoll->SQLQueryLastData;
    // Each answer shows at once; a failed look beeps, as the poll always did.
    connect(StatePoll, &TStatePoll::Polled, this, [this](const TLastData&, bool, TColor link, bool failed) {
        if (failed)
            Beep();
        ShapeLink->Brush()->SetColor(link);
        ActionSetCheck();
        FirstRecordShown();
        if (!failed && StatePoll->HasRecord()) {
            SetpointFollow.Record(StatePoll->Record().RecMoment, StatePoll->Record().PLSZ, Now());
            ShowSetpointLine();
        }
    });
    // A setpoint the controller has not taken in time goes into the event
    // queue; an alarm list takes it from here when there is one.
    SetpointFollow.OnChange = [](const TSetpointFollowUp& followUp) {
        if (followUp.state == TSetpointState::NotTaken) {
            qCWarning(lcOrdal) << "density setpoint" << followUp.value << "not taken by the controller";
            LogEvent(QStringLiteral("Задание плотности не принято контроллером"), 0);
        }
    };
    SQLQueryNewSet = std::make_unique<TSQLQuery>(SQLConnection1);

    // The tool bar and the frame of the child windows, one above the other.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    MdiArea = new QMdiArea(central);
    MdiArea->setBackground(ColorToQColor(clSilver));
    setCentralWidget(central);
    BuildActions();
    BuildMenu();
    // Dialogs and tool windows stay on the screen, whatever its size.
    qApp->installEventFilter(new TScreenKeeper(this));
    BuildToolBar();
    // The alarm line between the tool bar and the child windows: no child
    // window can cover it, whatever its size.
    Alarms = new TAlarmService(QString(), this); // its folder is known after the configuration's (below)
    AlarmLine = new TAlarmLine(Alarms, central);
    connect(AlarmLine, &TAlarmLine::Clicked, ActionAlarms, &QAction::trigger);
    column->addWidget(AlarmLine);
    column->addWidget(MdiArea, 1);
    statusBar()->setSizeGripEnabled(false);
    LabelServer = new QLabel(statusBar());
    LabelServer->setObjectName(QStringLiteral("LabelServer"));
    statusBar()->addPermanentWidget(LabelServer);
    LabelServer->hide();
    connect(SQLConnection1, &TSQLConnection::ServerChanged, this, &TFormMain::ShowServer);
    connect(SQLConnection1, &TSQLConnection::ConnectionChanged, this, &TFormMain::ShowServer);

    TimerRefreshState = new QTimer(this);
    TimerRefreshState->setObjectName(QStringLiteral("TimerRefreshState"));
    TimerRefreshState->setInterval(1000);
    connect(TimerRefreshState, &QTimer::timeout, this, &TFormMain::TimerRefreshStateTimer);

    // Where the program lives decides where its files are.
    const QFileInfo exe(exePath.isEmpty() ? QCoreApplication::applicationFilePath() : exePath);
    IniFileName = exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".INI");
    ExeDir = exe.absolutePath() + QLatin1Char('/');
    QDir::setCurrent(ExeDir);
    Config.TempDir = ExeDir + QStringLiteral("Temp");
    Config.TemplateDir = ExeDir + QStringLiteral("Template");

    LoadConfig();
    SetpointFollow.SetTakeSeconds(Config.SetpointTakeSeconds);
    Alarms->SetFolder(ExeDir);
    Alarms->LoadDefinitions();
    QDir().mkpath(TempDir);
    QDir().mkpath(TemplateDir);

    FormCreate();
    TimerRefreshState->start();
}

TFormMain::~TFormMain() {
    TimerRefreshState->stop();
    // The windows go before the connection (they are the main window's
    // children, deleted after this body): answers still to come for them
    // are dropped with them.
    // The power-off request goes out while the main window is being destroyed,
    // once, and only when the operator configured it.
    if (ShutdownOnExit)
        Plat().ShutdownComputer();
    if (FormMain == this)
        FormMain = nullptr;
    FormAlarms = nullptr; // goes with the frame
}

QList<QAction*> TFormMain::Actions() const {
    return {ActionExit,           ActionMainMenu,        ActionMnemo,          ActionGraphGC_params,
            ActionGraphSuspLevel, ActionGraphDivPosition, ActionWorkLog,       ActionAbout,
            ActionSetPLSZ,        ActionSet_TNZ,          ActionPrintHardParams, ActionPrintLevelGraph,
            ActionPrintDiverGraph, ActionPrintGCWorkReg,  ActionPrint,          ActionConfig,
            ActionBaseView};
}

void TFormMain::BuildActions() {
    auto make = [this](const char* name, const QString& category, const QString& caption, const QString& hint,
                       int image, QList<QKeySequence> keys = {}) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setProperty("category", category);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        a->setProperty("imageIndex", image);
        a->setIcon(QIcon(ToolImage(image)));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        addAction(a);
        return a;
    };
    const QString printHint = QStringLiteral("Выберите данные для печати через пункт меню \"Печать\"");
    ActionExit = make("ActionExit", "Главное", "Вы&xод из программы", "Завершить работу с программой", 0);
    ActionMainMenu = make("ActionMainMenu", "Главное", "На главное меню", "Вернуться к главному меню программы", 3,
                          {Qt::Key_F1});
    ActionMnemo = make("ActionMnemo", "Мнемосхемы", "Мнемосхема  процесса обогащения  угля в тяжелых средах",
                       "Показать мнемосхему  процесса обогащения  угля в тяжелых средах", 1, {Qt::Key_F2});
    ActionGraphGC_params =
        make("ActionGraphGC_params", "Графики", "Графики параметров  процесса  обогащения в тяжелых средах",
             "Перейти к окну графиков параметров  процесса  обогащения в тяжелых средах", 7, {Qt::Key_F3});
    ActionGraphSuspLevel = make("ActionGraphSuspLevel", "Графики", "Графики изменения уровней в сборниках суспензии",
                                "Показать окно графиков изменения уровней в сборниках суспензии", 8, {Qt::Key_F4});
    ActionGraphDivPosition = make("ActionGraphDivPosition", "Графики", "График работы делителя потока суспензии",
                                  "Показать окно графиков работы делителя потока суспензии", 6, {Qt::Key_F5});
    ActionWorkLog = make("ActionWorkLog", "Журналы", "Журнал регистрации событий", "Показать журнал событий", 2,
                         {Qt::Key_F6});
    ActionAbout = make("ActionAbout", "Справка", "О программе", "Показать информацию о версии программы", 5,
                       {QKeySequence(Qt::CTRL | Qt::Key_F1), QKeySequence(Qt::ALT | Qt::Key_F1)});
    ActionSetPLSZ = make("ActionSetPLSZ", "Задания", "Задание плотности суспензии",
                         "Изменить заданную плотность суспензии", 9);
    ActionSet_TNZ =
        make("ActionSet_TNZ", "Задания", "Задание нагрузки", "Изменить заданную нагрузку на фабрику", 10);
    ActionPrintHardParams =
        make("ActionPrintHardParams", "Печать", "Графики параметров  процесса  обогащения в тяжелых средах",
             "Печать графики параметров  процесса  обогащения в тяжелых средах", 11);
    ActionPrintLevelGraph = make("ActionPrintLevelGraph", "Печать", "Графики изменения уровней в сборниках суспензии",
                                 "Печать графиков изменения уровней в сборниках суспензии", 11);
    ActionPrintDiverGraph = make("ActionPrintDiverGraph", "Печать", "График работы делителя потока суспензии",
                                 "Печать графиков работы делителя потока суспензии", 11);
    ActionPrintGCWorkReg =
        make("ActionPrintGCWorkReg", "Печать", "Журнал регистрации событий", "Печать журнала регистрации событий", 11);
    ActionPrint = make("ActionPrint", "Печать", "Печать...", printHint, 11);
    ActionConfig = make("ActionConfig", "Сервис", "Конфигурация", "Настройки оформления, подключения к серверу и т.п.",
                        12);
    ActionBaseView = make("ActionBaseView", "Сервис", "Просмотр базы данных", "Показать окно просмотра базы данных", 13);
    ActionAlarms = make("ActionAlarms", "Журналы", "Сигнализация", "Показать активные сигнализации и их историю", 2,
                        {Qt::Key_F7});

    // The neutral state of the print button: no data chosen yet.
    ActionPrint->setEnabled(false);

    ActionSetpointHistory = new QAction(QStringLiteral("Задания плотности за смену"), this);
    ActionSetpointHistory->setObjectName(QStringLiteral("ActionSetpointHistory"));
    ActionSetpointHistory->setProperty("category", QStringLiteral("Журналы"));
    ActionSetpointHistory->setStatusTip(
        QStringLiteral("Показать задания плотности за смену журнала и принял ли их контроллер"));
    connect(ActionSetpointHistory, &QAction::triggered, this, [this] { ShowSetpointHistory(); });
    ActionPrintShiftReport = new QAction(QStringLiteral("Отчёт за смену"), this);
    ActionPrintShiftReport->setObjectName(QStringLiteral("ActionPrintShiftReport"));
    ActionPrintShiftReport->setProperty("category", QStringLiteral("Печать"));
    ActionPrintShiftReport->setStatusTip(
        QStringLiteral("Печать отчёта за смену: показатели, графики, задания, журнал"));
    ActionPrintShiftReport->setIcon(QIcon(ToolImage(11)));
    connect(ActionPrintShiftReport, &QAction::triggered, this, [this] { PrintShiftReport(); });
    ActionMnemoFit = new QAction(QStringLiteral("Мнемосхема по размеру окна"), this);
    ActionMnemoFit->setObjectName(QStringLiteral("ActionMnemoFit"));
    ActionMnemoFit->setProperty("category", QStringLiteral("Мнемосхемы"));
    ActionMnemoFit->setStatusTip(QStringLiteral("Показать мнемосхему целиком, в масштабе окна"));
    ActionMnemoFit->setCheckable(true);
    connect(ActionMnemoFit, &QAction::triggered, this, &TFormMain::SetMnemoFitToWindow);

    connect(ActionExit, &QAction::triggered, this, &TFormMain::ActionExitExecute);
    auto child = [this](QAction* a, std::function<QWidget*()> window, QAction* print) {
        connect(a, &QAction::triggered, this, [this, window, print] {
            if (print)
                SetPrintAction(print);
            if (QWidget* w = window())
                ShowChild(w);
        });
    };
    child(ActionMainMenu, [] { return static_cast<QWidget*>(FormMainMenu); }, ActionPrint);
    child(ActionMnemo, [] { return static_cast<QWidget*>(FormMnemo); }, ActionPrint);
    child(ActionGraphGC_params, [] { return FormGraphHardParams; }, ActionPrintHardParams);
    child(ActionGraphSuspLevel, [] { return FormGraphSuspLevel; }, ActionPrintLevelGraph);
    child(ActionGraphDivPosition, [] { return FormGraphDSUS; }, ActionPrintDiverGraph);
    // After the window is forward, the trend windows lay out their charts.
    connect(ActionGraphGC_params, &QAction::triggered, this, [] {
        if (FormGraphHardParams)
            FormGraphHardParams->ShowAllCharts();
    });
    connect(ActionGraphSuspLevel, &QAction::triggered, this, [] {
        if (FormGraphSuspLevel)
            FormGraphSuspLevel->ShowAllCharts();
    });
    connect(ActionPrintHardParams, &QAction::triggered, this, [] {
        if (FormGraphHardParams)
            FormGraphHardParams->PrintCharts();
    });
    connect(ActionPrintLevelGraph, &QAction::triggered, this, [] {
        if (FormGraphSuspLevel)
            FormGraphSuspLevel->PrintCharts();
    });
    connect(ActionPrintDiverGraph, &QAction::triggered, this, [] {
        if (FormGraphDSUS)
            FormGraphDSUS->PrintCharts();
    });
    child(ActionWorkLog, [this] { return static_cast<QWidget*>(JournalWindow()); }, ActionPrintGCWorkReg);
    child(ActionAlarms, [this] { return static_cast<QWidget*>(AlarmWindow()); }, nullptr);
    child(
        ActionBaseView,
        [this] {
            if (!FormBaseView) {
                FormBaseView = new TFormBaseView(*context_);
                AddChild(FormBaseView);
            }
            return static_cast<QWidget*>(FormBaseView);
        },
        nullptr); // the print button keeps its action
    connect(ActionAbout, &QAction::triggered, this, [] {
        if (FormAbout)
            Plat().ExecDialog(*FormAbout);
    });
    connect(ActionConfig, &QAction::triggered, this, [] {
        if (FormConfig)
            FormConfig->Execute();
    });
    // The journal's print preview, also the print button's while the journal is in front.
    connect(ActionPrintGCWorkReg, &QAction::triggered, this, [this] { JournalWindow()->Print(); });
    connect(ActionSetPLSZ, &QAction::triggered, this, &TFormMain::ActionSetPLSZExecute);
    connect(ActionSet_TNZ, &QAction::triggered, this, &TFormMain::ActionSet_TNZExecute);
}

TAppContext& TFormMain::AppContext() { return *context_; }

TFormAlarms* TFormMain::AlarmWindow() {
    if (!FormAlarms) {
        FormAlarms = new TFormAlarms(*context_, Alarms);
        AddChild(FormAlarms);
    }
    return FormAlarms;
}

void TFormMain::EvaluateAlarms() {
    TAlarmInputs in;
    in.Now = Now();
    in.HasRecord = StatePoll->HasRecord();
    in.Record = StatePoll->Record();
    in.MinPLS = MinPLS;
    in.Heartbeat = StatePoll->LastHeartbeat();
    in.HeartbeatKnown = in.Heartbeat != 0;
    in.LinkFailed = StatePoll->LinkColour() == clRed;
    in.SetpointNotTaken = SetpointFollow.Current().state == TSetpointState::NotTaken;
    Alarms->Evaluate(in);
}

TFormLogView* TFormMain::JournalWindow() {
    if (!FormLogView) {
        FormLogView = new TFormLogView(*context_);
        AddChild(FormLogView);
    }
    return FormLogView;
}

void TFormMain::BuildMenu() {
    QMenuBar* bar = menuBar();
    QMenu* m = bar->addMenu(QStringLiteral("Главное"));
    m->addAction(ActionMainMenu);
    m->addSeparator();
    m->addAction(ActionExit);
    m = bar->addMenu(QStringLiteral("Мнемосхемы"));
    m->addAction(ActionMnemo);
    m->addAction(ActionMnemoFit);
    m = bar->addMenu(QStringLiteral("Графики"));
    m->addActions({ActionGraphGC_params, ActionGraphSuspLevel, ActionGraphDivPosition});
    m = bar->addMenu(QStringLiteral("Журнал"));
    m->addActions({ActionWorkLog, ActionAlarms, ActionSetpointHistory});
    bar->addMenu(QStringLiteral("Задания"))->addAction(ActionSetPLSZ);
    m = bar->addMenu(QStringLiteral("Печать"));
    m->addActions({ActionPrintHardParams, ActionPrintLevelGraph, ActionPrintDiverGraph, ActionPrintGCWorkReg});
    m->addSeparator();
    m->addAction(ActionPrintShiftReport);
    m = bar->addMenu(QStringLiteral("Сервис"));
    m->addActions({ActionConfig, ActionBaseView});
    bar->addMenu(QStringLiteral("Справка"))->addAction(ActionAbout);
}

void TFormMain::BuildToolBar() {
    // The tool bar's row: the buttons at the left, the clock and the link
    // circle at the right end, filling the space behind the last button. The
    // two sit side by side in a row of their own (not inside the tool bar), so
    // on a narrow window the buttons that do not fit go into the bar's "»"
    // menu while the link state, the operator's only sign of a dead
    // controller, always stays in view.
    auto* row = new QWidget(centralWidget());
    row->setObjectName(QStringLiteral("ToolBarRow"));
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    ToolBarMain = new QToolBar(QStringLiteral("ToolBarMain"), row);
    ToolBarMain->setObjectName(QStringLiteral("ToolBarMain"));
    ToolBarMain->setMovable(false);
    ToolBarMain->setFloatable(false);
    ToolBarMain->setIconSize(QSize(64, 32));
    ToolBarMain->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBarMain->layout()->setSpacing(0);
    ToolBarMain->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBarMain->setFixedHeight(40);
    ToolBarMain->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto button = [this](QAction* a) {
        auto* b = new QToolButton(ToolBarMain);
        b->setObjectName(QStringLiteral("ToolButton_") + a->objectName());
        b->setDefaultAction(a);
        b->setFixedSize(71, 40);
        b->setIconSize(QSize(64, 32));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        ToolBarMain->addWidget(b);
        return b;
    };
    auto separator = [this] {
        auto* s = new QFrame(ToolBarMain);
        s->setObjectName(QStringLiteral("ToolButtonSeparator"));
        s->setFrameShape(QFrame::VLine);
        s->setFrameShadow(QFrame::Sunken);
        s->setFixedSize(8, 40);
        ToolBarMain->addWidget(s);
    };
    button(ActionMainMenu);
    separator();
    button(ActionMnemo);
    separator();
    button(ActionGraphGC_params);
    button(ActionGraphSuspLevel);
    button(ActionGraphDivPosition);
    separator();
    button(ActionConfig);
    separator();
    button(ActionWorkLog);
    separator();
    ToolButtonPrint = button(ActionPrint);
    ToolButtonPrint->setObjectName(QStringLiteral("ToolButtonPrint"));
    separator();
    button(ActionAbout);

    PanelInfo = new QWidget(row);
    PanelInfo->setObjectName(QStringLiteral("PanelInfo"));
    PanelInfo->setFixedHeight(40);
    auto* info = new QHBoxLayout(PanelInfo);
    info->setContentsMargins(0, 0, 0, 0);
    info->setSpacing(0);
    info->addStretch();
    LabelSetpoint = new QLabel(PanelInfo);
    LabelSetpoint->setObjectName(QStringLiteral("LabelSetpoint"));
    LabelSetpoint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelSetpoint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LabelSetpoint->setFixedHeight(40);
    QFont setpointFont(QStringLiteral("Arial"));
    setpointFont.setPixelSize(15);
    setpointFont.setBold(true);
    LabelSetpoint->setFont(setpointFont);
    info->addWidget(LabelSetpoint, 1);
    PanelLink = new QWidget(PanelInfo);
    PanelLink->setObjectName(QStringLiteral("PanelLink"));
    PanelLink->setFixedSize(32, 40);
    ShapeLink = new TShape(PanelLink);
    ShapeLink->setObjectName(QStringLiteral("ShapeLink"));
    ShapeLink->SetShape(TShape::stCircle);
    ShapeLink->Brush()->SetColor(clSilver);
    ShapeLink->SetBounds(9, 12, 15, 15);
    info->addWidget(PanelLink);
    LabelClock = new QLabel(QStringLiteral("12:30:59"), PanelInfo);
    LabelClock->setObjectName(QStringLiteral("LabelClock"));
    LabelClock->setFixedSize(93, 40);
    LabelClock->setAlignment(Qt::AlignCenter);
    LabelClock->setStyleSheet(QStringLiteral("QLabel { background-color: #000000; color: #00FF00; }"));
    QFont clock(QStringLiteral("Symbol"));
    clock.setPixelSize(19);
    clock.setBold(true);
    LabelClock->setFont(clock);
    info->addWidget(LabelClock);
    PanelInfo->setMinimumWidth(PanelLink->width() + LabelClock->width());

    line->addWidget(ToolBarMain, 0);
    line->addWidget(PanelInfo, 1);
    static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(row);
}

void TFormMain::ToolBarMainResize() {
    // The row's layout does what the tool bar's resize handler must: PanelInfo
    // takes the width behind the last button (never less than the clock and
    // the circle need), and the buttons that do not fit move into the "»" menu.
    // Here the layout is only brought up to date at once.
    if (QLayout* l = PanelInfo->parentWidget()->layout())
        l->activate();
}

void TFormMain::SetPrintAction(QAction* action) { ToolButtonPrint->setDefaultAction(action); }

QMdiSubWindow* TFormMain::AddChild(QWidget* window) {
    auto* content = new TChildFrame(window);
    QMdiSubWindow* sub = MdiArea->addSubWindow(content, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(window->windowTitle());
    // A window that changes its caption (a list that has stopped updating, a
    // load under way) says so in its frame, and so in the main window's title.
    connect(window, &QWidget::windowTitleChanged, sub, &QMdiSubWindow::setWindowTitle);
    sub->setWindowIcon(AppIcon());
    if (qobject_cast<TFormMnemo*>(window))
        content->SetShownWhole(Config.MnemoFitToWindow);
    return sub;
}

TChildFrame* TFormMain::ChildFrameOf(const QWidget* window) const {
    if (QMdiSubWindow* sub = SubWindowOf(window))
        return static_cast<TChildFrame*>(sub->widget());
    return nullptr;
}

QMdiSubWindow* TFormMain::SubWindowOf(const QWidget* window) const {
    if (!window)
        return nullptr;
    for (QMdiSubWindow* sub : MdiArea->subWindowList())
        if (auto* content = qobject_cast<TChildFrame*>(sub->widget()); content && content->Window() == window)
            return sub;
    return nullptr;
}

void TFormMain::ShowChild(QWidget* window) {
    QDir().mkpath(ExeDir + QStringLiteral("config"));
    CurrentChild = window;
    QMdiSubWindow* sub = SubWindowOf(window);
    if (sub)
        sub->showMaximized();
    window->show();
    if (sub) {
        MdiArea->setActiveSubWindow(sub);
        sub->raise();
    } else {
        window->raise();
    }
    // The charts of the windows behind give their pictures back (a chart as
    // wide as the screen keeps some 8 MB) and draw afresh when they come forward.
    for (QMdiSubWindow* other : MdiArea->subWindowList())
        if (other != sub)
            for (TLevelGraph* chart : other->findChildren<TLevelGraph*>())
                chart->ReleasePicture();
}

void TFormMain::SetMnemoFitToWindow(bool fit) {
    Config.MnemoFitToWindow = fit;
    if (ActionMnemoFit->isChecked() != fit)
        ActionMnemoFit->setChecked(fit);
    if (TChildFrame* content = ChildFrameOf(FormMnemo))
        content->SetShownWhole(fit);
    ActionMnemo->trigger();
}

void TFormMain::SetConnectionParam(const QString& name, const QString& value, TSQLConnection* connection) {
    // The line of that parameter is the one that starts with "name=": a value
    // may hold another parameter's name (a login "svc_Password"), and a match
    // anywhere in the line would overwrite the wrong parameter.
    TSQLConnection* c = connection ? connection : SQLConnection1;
    const QString prefix = name + QLatin1Char('=');
    const QString line = prefix + value;
    for (QString& l : c->Params)
        if (l.startsWith(prefix)) {
            l = line;
            return;
        }
    c->Params.append(line);
}

void TFormMain::CopyConnectionSettings(const TSQLConnection& source, TSQLConnection& target) {
    target.Close();
    target.DriverName = source.DriverName;
    target.ConnectionName = source.ConnectionName;
    target.GetDriverFunc = source.GetDriverFunc;
    target.LibraryName = source.LibraryName;
    target.Params = source.Params;
}

// ---------------------------------------------------------------------------
// Configuration

bool TFormMain::LoginDialog() {
    QDialog dlg(this);
    dlg.setObjectName(QStringLiteral("LoginDialog"));
    dlg.setWindowTitle(QStringLiteral("Database Login"));
    auto* form = new QFormLayout(&dlg);
    auto* database = new QLabel(QStringLiteral("ОРДАЛ-Б"), &dlg);
    database->setObjectName(QStringLiteral("LabelDatabase"));
    auto* user = new QLineEdit(MySQLLogin, &dlg);
    user->setObjectName(QStringLiteral("EditUserName"));
    auto* password = new QLineEdit(&dlg);
    password->setObjectName(QStringLiteral("EditPassword"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("База данных:"), database);
    form->addRow(QStringLiteral("Пользователь:"), user);
    form->addRow(QStringLiteral("Пароль:"), password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    (MySQLLogin.isEmpty() ? user : password)->setFocus();
    if (Plat().ExecDialog(dlg) != QDialog::Accepted)
        return false;
    MySQLLogin = user->text();
    MySQLPassword = password->text();
    return true;
}

void TFormMain::LoadConfig() {
    Config.FirstChangeStart = FirstChangeStart;
    Config.DateIncrement = DateIncrement;
    Config.ShutdownOnExit = ShutdownOnExit;
    Config.Load(IniFileName, [this](TMainConfig&) { LoginDialog(); });
    ActionMnemoFit->setChecked(Config.MnemoFitToWindow);
    FirstChangeStart = Config.FirstChangeStart;
    DateIncrement = Config.DateIncrement;
    ShutdownOnExit = Config.ShutdownOnExit;
    TempDir = Config.TempDir;
    TemplateDir = Config.TemplateDir;
}

void TFormMain::SaveConfig() {
    Config.FirstChangeStart = FirstChangeStart;
    Config.DateIncrement = DateIncrement;
    Config.ShutdownOnExit = ShutdownOnExit;
    if (Config.Save(IniFileName) == TMainConfig::SaveResult::PasswordNotStored)
        ShowError(QStringLiteral("Пароль содержит символы, которые нельзя сохранить в файле конфигурации, "
                                 "и не сохранен. При следующем запуске программа запросит пароль."));
    Q_EMIT ConfigSaved();
}

// ---------------------------------------------------------------------------
// Start, connection

void TFormMain::FormCreate() {
    ToolBarMainResize();
    setWindowTitle(ConfigCaption);
    SetConnectionParam(QStringLiteral("HostName"), MySQLHost);
    SetConnectionParam(QStringLiteral("User_Name"), MySQLLogin);
    SetConnectionParam(QStringLiteral("Password"), MySQLPassword);
    // [MySQL] Version 5 chooses the generation-5 client, anything else the older
    // one. On this platform one MariaDB client serves both; the triple is kept as
    // the configuration's record of the choice.
    if (MySQLVersion == 5) {
        SQLConnection1->GetDriverFunc = QStringLiteral("getSQLDriverMYSQL50");
        SQLConnection1->LibraryName = QStringLiteral("dbxopenmysql50.dll");
        SQLConnection1->VendorLib = QStringLiteral("libmySQL5.dll");
    } else {
        SQLConnection1->GetDriverFunc = QStringLiteral("getSQLDriverMYSQL");
        SQLConnection1->LibraryName = QStringLiteral("dbexpmysql.dll");
        SQLConnection1->VendorLib = QStringLiteral("libmySQL4.dll");
    }
    // The connect runs on the live session's thread; the window comes up
    // meanwhile, and a failure is reported once, when it is known.
    SQLConnection1->Open(this, [this](const EDatabaseError* error) {
        if (error) {
            qCWarning(lcOrdal) << "connecting at start failed:" << error->Text();
            ShowServer(); // with replicas listed: "нет связи" in the status line
            ShowError(QStringLiteral("Не удается подключиться к MySQL серверу."));
            return;
        }
        // Connected after the frame came up: its first tick found nothing to
        // ask, so the first look goes now, not a second later.
        if (shownOnce_ && TimerRefreshState->isActive()) { // (stopped: the tests drive the poll)
            TimerRefreshState->start();
            TimerRefreshStateTimer();
        }
    });
    ActionSetCheck();
}

QVariant TFormMain::SQLConnection1AfterConnect(TDbSession& session) {
    const TResultTable t = session.Select(Sql::MinPLS, TStatementKind::Command);
    const int rez = t.ColumnIndex(QStringLiteral("rez"));
    if (rez < 0)
        throw EDatabaseError(QStringLiteral("Поле 'rez' не найдено"));
    return t.RowCount() == 0 ? 0.0 : t.Number(0, rez);
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    ActionMainMenu->trigger();
    ToolBarMainResize();
    // The first look at the plant as the frame comes up, not a second later
    // (until then the link circle is silver and the scheme has no values).
    if (TimerRefreshState->isActive()) { // (stopped: the tests drive the poll themselves)
        TimerRefreshState->start();      // the next look a second after this one
        TimerRefreshStateTimer();
    }
}

void TFormMain::FirstRecordShown() {
    // The scheme takes the first record at once rather than at its next tick.
    if (firstRecordShown_ || !LastDataActive())
        return;
    firstRecordShown_ = true;
    if (FormMnemo && FormMnemo->Timer1->isActive()) {
        try {
            FormMnemo->RefreshScheme();
        } catch (...) {
            LogRepeatedWarning("scheme refresh", CurrentExceptionText());
        }
    }
}

// ---------------------------------------------------------------------------
// Live state

void TFormMain::TimerRefreshStateTimer() {
    const TDateTime now = Now();
    LabelClock->setText(FormatDateTime(QStringLiteral("hh:nn:ss"), now));
    // The circle goes by the heartbeat's age now, whether or not the last look
    // has been answered: a stalled server turns it yellow and red on time.
    StatePoll->Tick(now);
    ShapeLink->Brush()->SetColor(StatePoll->LinkColour());
    ActionSetCheck();
    SetpointFollow.Tick(now);
    // A row looked for after a lost answer is looked for again until the
    // server answers (or the follow-up gives it up as unknown).
    if (SetpointFollow.Checking() && !rowLookRunning_ && SQLConnection1->Wanted())
        LookForSetpointRow(SetpointFollow.Current().serial, true);
    ShowSetpointLine();
    EvaluateAlarms();
}

void TFormMain::ShowSetpointLine() {
    const QString line = SetpointFollow.Line(Now());
    if (LabelSetpoint->text() != line)
        LabelSetpoint->setText(line);
    QString colour = QStringLiteral("#000080");
    switch (SetpointFollow.Current().state) {
    case TSetpointState::Taken:
        colour = QStringLiteral("#006400");
        break;
    case TSetpointState::NotTaken:
    case TSetpointState::Unknown:
    case TSetpointState::Checking:
        colour = QStringLiteral("#C00000");
        break;
    default:
        break;
    }
    const QString style = QStringLiteral("QLabel { color: %1; padding-right: 6px; }").arg(colour);
    if (LabelSetpoint->styleSheet() != style)
        LabelSetpoint->setStyleSheet(style);
}

void TFormMain::LookForSetpointRow(int serial, bool afterLostAnswer) {
    const TSetpointFollowUp& f = SetpointFollow.Current();
    if (f.serial != serial)
        return;
    // Rows of this account with this value since a little before it was asked.
    const int seconds = int((Now() - setpointAskedAt_) * 86400.0) + 10;
    rowLookRunning_ = true;
    SQLConnection1->Post<QVariantList>(
        TSessionRole::Live, this,
        [value = f.value, seconds](TDbSession& session) {
            return session.FirstRow(Sql::FindSetpoint, {value, seconds});
        },
        [this, serial, afterLostAnswer](TDbReply<QVariantList>& reply) {
            rowLookRunning_ = false;
            const TDateTime now = Now();
            if (!reply.Ok()) {
                qCWarning(lcOrdal) << "looking for the setpoint's row failed:" << reply.error->Text();
                // Stored for certain: only its moment and user are not known.
                if (!afterLostAnswer)
                    SetpointFollow.Stored(serial, 0, QString(), now);
            } else if (reply.value->size() >= 2) {
                SetpointFollow.Stored(serial, DateTimeFromQ(reply.value->at(0).toDateTime()),
                                      reply.value->at(1).toString(), now);
            } else if (afterLostAnswer) {
                // Not there yet: looked for again at the next tick until the time is up.
            } else {
                SetpointFollow.Stored(serial, 0, QString(), now);
            }
            ShowSetpointLine();
        });
}

void TFormMain::ShowServer() {
    if (!SQLConnection1->HasReplicas()) {
        LabelServer->hide();
        ShapeLink->setToolTip(QString());
        return;
    }
    const QString server = SQLConnection1->Server();
    const QString text = server.isEmpty() ? QStringLiteral("Сервер базы данных: нет связи")
                         : SQLConnection1->ServerReadOnly()
                             ? QStringLiteral("Сервер базы данных: %1 (только чтение, задания не "
                                              "отправляются)")
                                   .arg(server)
                             : QStringLiteral("Сервер базы данных: %1").arg(server);
    LabelServer->setText(text);
    LabelServer->show();
    ShapeLink->setToolTip(text);
}

// ---------------------------------------------------------------------------
// Setpoints

void TFormMain::ActionSetCheck() {
    // A setpoint whose answer has not come cannot be sent again meanwhile.
    const bool connected = SQLConnection1->Connected() && !setpointSending_;
    ActionSetPLSZ->setEnabled(connected);
    ActionSet_TNZ->setEnabled(connected);
}

void TFormMain::SendSetpoint(const QString& prompt, double lowest, double highest, const QString& rangeMessage,
                             const QString& column) {
    if (!SQLConnection1->Connected() || !FormInputNewSet || setpointSending_)
        return;
    FormInputNewSet->LabelParName->setText(prompt);
    FormInputNewSet->EditInput->setText(QString());
    if (Plat().ExecDialog(*FormInputNewSet) != QDialog::Accepted)
        return;
    const auto value = StrToFloatOpt(FormInputNewSet->EditInput->text());
    if (!value) {
        ShowError(QStringLiteral("Правильно вводите числа."));
        return;
    }
    if (*value < lowest || *value > highest) {
        ShowError(rangeMessage);
        return;
    }
    // The value is bound, not spliced into the text. The row is stored on the
    // live session's thread; until its answer comes the screen goes on, the
    // status line says the setpoint is on its way, and it cannot be sent twice.
    SQLQueryNewSet->Close();
    SQLQueryNewSet->SetSQL(Sql::InsertCommand(column));
    setpointSending_ = true;
    ActionSetCheck();
    const QString shown = FloatToStr(*value);
    statusBar()->showMessage(QStringLiteral("Задание %1 отправляется...").arg(shown));
    // Only the density is followed: the controller shows its working setpoint.
    const bool followed = column == QLatin1String("_PLSZ");
    int serial = 0;
    if (followed) {
        setpointAskedAt_ = Now();
        serial = SetpointFollow.Sending(*value, setpointAskedAt_);
        ShowSetpointLine();
    }
    SQLQueryNewSet->ExecSQL({*value}, [this, column, shown, serial](const EDatabaseError* e, int) {
        setpointSending_ = false;
        ActionSetCheck();
        if (!e) {
            statusBar()->showMessage(QStringLiteral("Задание %1 отправлено").arg(shown), 60000);
            if (serial)
                LookForSetpointRow(serial, false);
            return;
        }
        statusBar()->clearMessage();
        if (serial) {
            if (e->MaybeExecuted()) {
                // Its row is looked for from the next tick on, on a session
                // opened anew (the poll's reopening rule).
                SetpointFollow.AnswerLost(serial, Now());
            } else {
                SetpointFollow.NotSent(serial, Now());
            }
            ShowSetpointLine();
        }
        if (e->MaybeExecuted()) {
            // Sending it again blindly could give the controller the command
            // twice: the operator looks first.
            qCWarning(lcOrdal) << "setpoint" << column << "sent, answer lost:" << e->Text();
            ShowError(kSetpointUnknown + QStringLiteral("\n\n") + e->Text());
        } else {
            qCWarning(lcOrdal) << "setpoint" << column << "not sent:" << e->Text();
            ShowError(e->Text());
        }
    });
}

// ---------------------------------------------------------------------------
// Setpoint history and the shift report

void TFormMain::CurrentShift(TDateTime now, TDateTime& day, int& shift) {
    day = ShiftDayOf(now);
    TDateTime start = 0, stop = 0;
    GetShiftPeriod(day, 1, start, stop);
    shift = now >= start && now < stop + OneSecond ? 1 : 2;
}

void TFormMain::ShowSetpointHistory() {
    TDateTime start = 0, stop = 0;
    if (FormLogView && FormLogView->LogShift > 0) {
        start = FormLogView->LogStart;
        stop = FormLogView->LogStop;
    } else {
        TDateTime day = 0;
        int shift = 1;
        CurrentShift(Now(), day, shift);
        GetShiftPeriod(day, shift, start, stop);
    }
    auto* window = findChild<TFormSetpoints*>(QStringLiteral("FormSetpoints"));
    if (!window)
        window = new TFormSetpoints(this);
    window->Load(SQLConnection1->Wanted() ? SQLConnection1 : nullptr, start, stop, SetpointFollow.History(),
                 SetpointFollow.TakeSeconds());
    window->show();
    window->raise();
}

void TFormMain::PrintShiftReport(TDateTime day, int shift) {
    if (shiftReportBusy_)
        return;
    if (shift < 1) {
        CurrentShift(Now(), day, shift);
        QDialog ask(this);
        ask.setObjectName(QStringLiteral("ShiftReportDialog"));
        ask.setWindowTitle(QStringLiteral("Отчёт за смену"));
        auto* form = new QFormLayout(&ask);
        auto* date = new QDateEdit(DateTimeToQ(day).date(), &ask);
        date->setObjectName(QStringLiteral("DateShiftReport"));
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        auto* which = new QComboBox(&ask);
        which->setObjectName(QStringLiteral("ComboShiftReport"));
        which->addItems({ShiftName(1), ShiftName(2), ShiftName(3)});
        which->setCurrentIndex(shift - 1);
        form->addRow(QStringLiteral("Сменные сутки:"), date);
        form->addRow(QStringLiteral("Смена:"), which);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
        form->addRow(buttons);
        connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
        if (Plat().ExecDialog(ask) != QDialog::Accepted)
            return;
        day = DateTimeFromQ(date->date().startOfDay());
        shift = which->currentIndex() + 1;
    }
    shiftReportBusy_ = true;
    ActionPrintShiftReport->setEnabled(false);
    statusBar()->showMessage(QStringLiteral("Отчёт за смену составляется..."));
    LoadShiftReport(SQLConnection1->Wanted() ? SQLConnection1 : nullptr, this, day, shift,
                    [this](TShiftReportData& report) {
                        TShiftReportSettings settings;
                        settings.section = QStringLiteral("отделение обогащения угля в тяжелых средах");
                        settings.minPls = MinPLS;
                        settings.takeSeconds = SetpointFollow.TakeSeconds();
                        settings.followed = SetpointFollow.History();
                        settings.now = Now();
                        settings.tempDir = TempDir;
                        // The figures count alarms standing from before the
                        // shift too, so the history starts a day earlier.
                        settings.alarmsKept = true;
                        settings.alarms =
                            Alarms->History().Read(report.start - 1, report.stop, &settings.alarmErrors);
                        QStringList keys, values;
                        QString error;
                        const bool made = MakeShiftReport(report, settings, keys, values, &error);
                        shiftReportBusy_ = false;
                        ActionPrintShiftReport->setEnabled(true);
                        statusBar()->clearMessage();
                        if (!made) {
                            qCWarning(lcOrdal) << "shift report not made:" << error;
                            ShowError(QStringLiteral("Не удалось составить отчёт за смену: %1").arg(error));
                            return;
                        }
                        WebPrintWindow()->PrintTemplate(PathIn(TemplateDir, kShiftReportTemplate), keys, values);
                    });
}

void TFormMain::ActionSetPLSZExecute() {
    SendSetpoint(QStringLiteral("Заданная плотность суспензии:"), 1600, 2100,
                 QStringLiteral("Задание плотности вне допустимого диапазона."), QStringLiteral("_PLSZ"));
}

void TFormMain::ActionSet_TNZExecute() {
    SendSetpoint(QStringLiteral("Заданная нагрузка, т/час:"), 50, 240,
                 QStringLiteral("Задание нагрузки вне допустимого диапазона."), QStringLiteral("_TNZ"));
}

// ---------------------------------------------------------------------------
// Leaving

bool TFormMain::FormCloseQuery() {
    bool canClose = ExitConfirmed;
    if (!canClose) {
        canClose = Plat().MessageBox(QStringLiteral("Вы действительно хотите завершить работу с программой?"),
                                     QStringLiteral("Выход"), QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        ExitConfirmed = canClose;
    }
    if (canClose)
        SaveConfig();
    return canClose;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFormMain::ActionExitExecute() {
    if (Plat().MessageBox(QStringLiteral("Вы действительно хотите завершить работу с программой?"),
                          QStringLiteral("Выход"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No) != QMessageBox::Yes)
        return;
    ExitConfirmed = true;
    SaveConfig();
    close();
}
