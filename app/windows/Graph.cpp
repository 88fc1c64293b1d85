#include "Graph.h"

#include "Arrow.h"
#include "Editgraph.h"
#include "Editors.h"
#include "Eventlog.h"
#include "Global.h"
#include "IniFile.h"
#include "Log.h"
#include "Platform.h"
#include "Services.h"
#include "Webprint.h"
#include "Sql.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>

namespace {

bool IsClass(const QObject* o, const char* name) {
    return qstrcmp(o->metaObject()->className(), name) == 0;
}

const TDateTime kOneMinute = 60 * OneSecond;
const TDateTime kOneHour = 3600 * OneSecond;

// While a long period loads, the window answers input this often and shows
// the growing curves this often (by time, not by rows: the rows are in memory
// and a day of them spreads in a few milliseconds).

// Where the operator last saved an export.
QString& ExportDir() {
    static QString dir;
    return dir;
}

} // namespace

TFormGraphBase::TFormGraphBase(TAppContext& context, QWidget* parent) : QWidget(parent), context_(context) {}

bool TFormGraphBase::Connected() const { return context_.Connection() && context_.Connection()->Connected(); }

TFormGraphBase::~TFormGraphBase() {
    // The charts are still there: the widgets' children go after this body.
    SaveLimits();
}

void TFormGraphBase::SetColor(TColor value) {
    if (color_ == value)
        return;
    color_ = value;
    update();
}

void TFormGraphBase::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), ColorToQColor(color_));
}

QString TFormGraphBase::ErrorText(const QString& operation) const {
    return QStringLiteral("Ошибка в %1::%2").arg(QString::fromLatin1(metaObject()->className()), operation);
}

void TFormGraphBase::Build(TTrendWindowTraits traits) {
    traits_ = std::move(traits);
    rows_ = TTrendRows(traits_.exportFields);
    layout_ = LoadLayout(this, traits_.layoutFile);
    PanelTop = layout_.Get<TPanel>(QStringLiteral("PanelTop"));
    LabelTop = layout_.Get<TLabel>(QStringLiteral("LabelTop"));
    DateTimePicker1 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker1"));
    ComboBox1 = layout_.Get<TComboBox>(QStringLiteral("ComboBox1"));
    ButReload = layout_.Get<TButton>(QStringLiteral("ButReload"));
    WaitPanel = layout_.Get<TPanel>(QStringLiteral("WaitPanel"));
    for (const QString& name : traits_.charts)
        Charts.append(layout_.Get<TLevelGraph>(name));
    for (const QString& name : traits_.zoomButtons)
        ZoomButtons.append(layout_.Get<TSpeedButton>(name));
    // A text typed into the shift box is no shift (Reload then takes both).
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);

    const QString exeDir = context_.ExeDir();
    const QString configDir = QDir(exeDir).filePath(QStringLiteral("config"));
    QDir().mkpath(configDir);
    ConfigFile = QDir(configDir).filePath(objectName() + QStringLiteral(".INI"));
    SQLClientDataSet1 = std::make_unique<TSQLClientDataSet>(context_.Connection(), QString(), TStatementKind::Range);

    ComboBox1->SetItemIndex(2);
    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    TickCount = 0;
    TimerBusy = false;
    LoadBusy = false;
    NeedReload = true;
    SetupChartElements();
    OnSetupModeChanged(this, [this] { SetupChartElements(); });

    TimerUpdate = new QTimer(this);
    TimerUpdate->setObjectName(QStringLiteral("TimerUpdate"));
    TimerUpdate->setInterval(30000);
    connect(TimerUpdate, &QTimer::timeout, this, &TFormGraphBase::TimerUpdateTimer);
    TimerUpdate->start();
    FormCreate();
}

void TFormGraphBase::FormCreate() {
    ChartZoomed = QList<bool>(Charts.size(), false);
    LoadLimits();
    SetLegendPens();
    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    NeedReload = true;
}

// ---------------------------------------------------------------------------
// Loading

void TFormGraphBase::ButReloadClick(QObject*) {
    // The operator asked for this load: a failure is shown, not only recorded.
    operatorLoad_ = true;
    Reload();
    operatorLoad_ = false;
}

void TFormGraphBase::SetWaitPanel(bool visible) {
    WaitPanel->SetVisible(visible);
    if (visible)
        WaitPanel->raise();
}

void TFormGraphBase::Reload() {
    // A load asked for while one runs does nothing: the window goes on
    // showing the first one's period, and its shift (which the export names)
    // stays the one loaded.
    if (LoadBusy)
        return;
    NeedReload = false;
    // A text typed into the box (not one of its items) is no shift.
    const int item = ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly);
    ShiftNumber = item + 1;
    if (ShiftNumber < 1 || ShiftNumber > 3) {
        // Both shifts, and the box says so (also when its item was "Обе смены"
        // already and only the text was typed over).
        ShiftNumber = 3;
        ComboBox1->SetItemIndex(2);
        ComboBox1->setEditText(ComboBox1->itemText(2));
    }
    LoadBusy = true;
    try {
        ShiftDate = DateTimePicker1->Date();
        ResetCharts();
        // The panel asks the operator to wait while the history session
        // fetches the period; the window and the rest of the screen go on.
        SetWaitPanel(true);
        SQLClientDataSet1->Close();
        SQLClientDataSet1->SetSQL(Sql::TrendRange(PeriodStart, PeriodStop));
        const bool byOperator = operatorLoad_;
        if (!SQLClientDataSet1->Open([this, byOperator](const EDatabaseError* error) {
                ReloadAnswered(error, byOperator);
            }))
            throw EDatabaseError(QStringLiteral("Нет соединения с базой данных"));
    } catch (...) {
        ReloadFailed(CurrentExceptionText(), operatorLoad_);
    }
}

void TFormGraphBase::ResetCharts() {
    GetShiftPeriod(ShiftDate, ShiftNumber, PeriodStart, PeriodStop);
    for (TLevelGraph* g : Charts) {
        g->SetXLabelStep(ShiftNumber == 3 ? 2 * kOneHour : kOneHour);
        g->SetNewIntervalAccepted(false);
        g->SetNewStartTime(PeriodStart);
        g->SetNewStopTime(PeriodStop);
        g->SetNewCursorTime(PeriodStart + (PeriodStop - PeriodStart) / 2);
        g->SetNewIntervalAccepted(true);
        g->ResetData();
        g->CalcRegion();
    }
    rows_.Clear();
    LastMoment = PeriodStart - kOneMinute;
}

void TFormGraphBase::ShowRecords(TDateTime day, int shift, const TResultTable& rows) {
    ShiftDate = day;
    ShiftNumber = shift;
    DateTimePicker1->SetDateTime(day);
    ComboBox1->SetItemIndex(std::clamp(shift, 1, 3) - 1);
    ResetCharts();
    if (rows.RowCount() > 0) {
        LoadRecords(rows);
        FinishCharts();
    } else {
        for (TLevelGraph* g : Charts)
            g->UpdateChanges();
    }
}

void TFormGraphBase::ReloadAnswered(const EDatabaseError* error, bool byOperator) {
    if (error) {
        ReloadFailed(error->Text(), byOperator);
        return;
    }
    try {
        if (SQLClientDataSet1->IsEmpty()) {
            SetWaitPanel(false);
            for (TLevelGraph* g : Charts)
                g->UpdateChanges();
        } else {
            LoadRecords(SQLClientDataSet1->Table());
            SetWaitPanel(false);
            FinishCharts();
        }
    } catch (...) {
        ReloadFailed(CurrentExceptionText(), byOperator);
        return;
    }
    SQLClientDataSet1->Close();
    LoadBusy = false;
    PrintWhenLoaded();
}

void TFormGraphBase::ReloadFailed(const QString& text, bool byOperator) {
    // A failed load is no load in progress: the charts stay as the reset
    // left them, and the panel that asks the operator to wait goes.
    SetWaitPanel(false);
    LogRepeatedWarning("trend reload", text);
    LogEvent(ErrorText(QStringLiteral("Reload()")));
    if (byOperator)
        ShowError(QStringLiteral("Не удалось загрузить данные графиков: %1").arg(text));
    SQLClientDataSet1->Close();
    LoadBusy = false;
    PrintWhenLoaded();
}

void TFormGraphBase::CheckForUpdates() {
    if (LoadBusy)
        return;
    LoadBusy = true;
    auto failed = [this](const QString& text) {
        LogRepeatedWarning("trend update", text);
        LogEvent(ErrorText(QStringLiteral("CheckForUpdates().")));
    };
    auto ended = [this] {
        SQLClientDataSet1->Close();
        LoadBusy = false;
        PrintWhenLoaded();
    };
    SQLClientDataSet1->Close();
    SQLClientDataSet1->SetSQL(Sql::TrendRange(LastMoment, PeriodStop));
    const bool asked = SQLClientDataSet1->Open([this, failed, ended](const EDatabaseError* error) {
        if (error) {
            failed(error->Text());
        } else {
            try {
                if (SQLClientDataSet1->IsEmpty()) {
                    SetWaitPanel(false);
                } else {
                    LoadRecords(SQLClientDataSet1->Table());
                    FinishCharts();
                }
            } catch (...) {
                failed(CurrentExceptionText());
            }
        }
        ended();
    });
    if (!asked) {
        failed(QStringLiteral("Нет соединения с базой данных"));
        ended();
    }
}

void TFormGraphBase::LoadRecords(const TResultTable& table) {
    // The chart and channel of every series, looked up once.
    struct Target {
        TLevelGraph* chart;
        int channel;
    };
    std::vector<Target> targets;
    for (const TTrendSeries& s : traits_.series)
        targets.push_back({Charts.value(s.chart), s.channel});
    for (const Target& t : targets)
        if (!t.chart)
            throw std::logic_error("a series names a chart the window does not have");
    // The rows are all in memory: folding a shift day into the charts' cells
    // takes milliseconds, so it runs in one go.
    LoadTrendRecords(table, traits_.series, LastMoment, [&targets](int series, TDateTime at, double value) {
        const Target& t = targets[size_t(series)];
        t.chart->AddPoint(t.channel, at, value, false);
    });
    rows_.Append(table);
}

void TFormGraphBase::FinishCharts() {
    for (TLevelGraph* g : Charts) {
        g->UpdateChanges();
        if (g->GetYMax() < 5)
            g->SetYMax(5);
    }
}

void TFormGraphBase::TimerUpdateTimer() {
    if (!Connected() || TimerBusy)
        return;
    TimerBusy = true;
    try {
        if (TickCount == 4)
            NeedReload = true;
        ++TickCount;
        if (NeedReload) {
            PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
            Reload();
        } else {
            const TDateTime now = Now();
            if (now > PeriodStart && now < PeriodStop && now - LastMoment > kOneMinute)
                CheckForUpdates();
        }
    } catch (...) {
        LogRepeatedWarning("trend timer", CurrentExceptionText());
        LogEvent(ErrorText(QStringLiteral("TimerUpdateTimer")));
    }
    TimerBusy = false;
}

void TFormGraphBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // The operator who opens the window sees the current shift day at once,
    // not after the first timer tick; the window is drawn first.
    QTimer::singleShot(0, this, &TFormGraphBase::LoadWhenShown);
}

void TFormGraphBase::LoadWhenShown() {
    if (layingOut_ > 0) {
        QTimer::singleShot(0, this, &TFormGraphBase::LoadWhenShown);
        return;
    }
    FocusFirstChart();
    if (NeedReload && Connected()) {
        PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
        Reload();
    }
}

// ---------------------------------------------------------------------------
// Layout

void TFormGraphBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TFormGraphBase::FormResize() {
    if (WaitPanel)
        WaitPanel->move((width() - WaitPanel->width()) / 2, (height() - WaitPanel->height()) / 2);
}

void TFormGraphBase::ResizeCharts(int divisor) {
    const int h = (height() - PanelTop->height() - 10) / divisor;
    for (int i = 0; i < Charts.size(); ++i)
        Charts[i]->SetHeight(h + (i == 3 ? 10 : 0));
    for (TSpeedButton* b : ZoomButtons)
        b->move(width() - b->width() - 16, b->y());
    TFormGraphBase::FormResize();
}

void TFormGraphBase::FocusFirstChart() {
    // Only the window in front takes the keyboard. The focus of a window
    // behind would bring it forward as soon as the main window is activated:
    // under a window manager the trend windows, first shown at start-up
    // behind the main menu, took the front one after another.
    if (context_.DialogOwner() && context_.CurrentChild() != this)
        return;
    if (!Charts.isEmpty() && Charts[0]->isVisible())
        Charts[0]->setFocus(Qt::OtherFocusReason);
}

void TFormGraphBase::ZoomChart(int ix) {
    for (int i = 0; i < Charts.size(); ++i) {
        TLevelGraph* g = Charts[i];
        const bool it = i == ix;
        g->SetAlign(it ? alClient : alNone);
        g->SetVisible(it);
        g->SetShowScaleX(it);
        g->SetGraphSubHeight(it ? 30 : 10);
    }
}

void TFormGraphBase::InverseZoom(int ix) {
    if (ix < 0 || ix > 9 || ix >= Charts.size())
        return;
    const bool zoomed = ChartZoomed[ix];
    try {
        if (zoomed)
            ShowAllCharts();
        else
            ZoomChart(ix);
    } catch (...) {
        LogRepeatedWarning("trend zoom", CurrentExceptionText());
        LogEvent(ErrorText(QStringLiteral("InverseZoom( int ix )")));
    }
    // The normal layout also comes back by the main window's action; the
    // flags follow what the window shows, so one click always zooms.
    ChartZoomed.fill(false);
    ChartZoomed[ix] = !zoomed;
}

void TFormGraphBase::OnGraphZoomClick(QObject* sender) {
    if (const auto* core = dynamic_cast<const TControlCore*>(sender))
        InverseZoom(core->GetTag());
}

void TFormGraphBase::OnCursorMove(QObject* sender) {
    const auto* source = qobject_cast<const TLevelGraph*>(sender);
    if (!source)
        return;
    // Setting a cursor from here raises no OnChange, so nothing comes back.
    for (TLevelGraph* g : Charts)
        if (g != source)
            g->SetCursorTime(source->GetCursorTime());
}

// ---------------------------------------------------------------------------
// Set-up mode, looks and limits

void TFormGraphBase::Bind(QWidget* element) {
    auto* core = dynamic_cast<TControlCore*>(element);
    if (!core)
        return;
    const TNotifyEvent edit(this, &TFormGraphBase::EditElementClick);
    if (InteractiveSetupMode) {
        core->SetOnClick(edit);
        core->SetCursor(crCross);
    } else if (core->OnClick() == edit) {
        core->SetOnClick({});
        core->SetCursor(crDefault);
    }
}

void TFormGraphBase::SetupChartElements() {
    for (QObject* c : Components(this)) {
        if (IsClass(c, "TArrow")) {
            auto* a = static_cast<TArrow*>(c);
            a->SetConfigName(ConfigFile);
            Bind(a);
            a->LoadConfig(QString());
        } else if (IsClass(c, "TLevelGraph")) {
            auto* g = static_cast<TLevelGraph*>(c);
            if (InteractiveSetupMode)
                g->SetOnMouseDown([this](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                         int x,
                                         int y) { OnLevelGraphMouseDown(sender, button, shift, x, y); });
            else
                g->SetOnMouseDown({});
        } else if (IsClass(c, "TLabel")) {
            auto* l = static_cast<TLabel*>(c);
            Bind(l);
            LoadFont(l);
        }
    }
    SetLegendPens();
}

void TFormGraphBase::PensFromLegendArrows(int k, TLevelGraph* chart, TPen& pen) {
    for (int n = 1; n <= 5; ++n) {
        const auto* arrow =
            qobject_cast<const TArrow*>(FindComponent(this, QStringLiteral("ArrowLegend%1%2").arg(k).arg(n)));
        if (!arrow)
            break;
        pen.SetWidth(arrow->GetArrowWidth());
        pen.SetColor(arrow->GetColor());
        chart->SetGraphPen(n - 1, &pen);
    }
}

void TFormGraphBase::EditElementClick(QObject* sender) {
    if (!sender)
        return;
    if (IsClass(sender, "TArrow")) {
        EditArrow(static_cast<TArrow*>(sender), this);
        // The legend arrows are the curves' pens.
        SetLegendPens();
    } else if (IsClass(sender, "TLabel")) {
        ChooseFont(static_cast<QWidget*>(sender), this);
    }
}

void TFormGraphBase::OnLevelGraphMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers,
                                           int, int) {
    if (button == Qt::RightButton)
        EditChartScale(sender);
}

void TFormGraphBase::LoadLimits() {
    try {
        const IniFile ini(ConfigFile);
        for (TLevelGraph* g : Charts) {
            const QString section = g->objectName() + QStringLiteral("Limits");
            g->SetYMin(ini.ReadFloat(section, QStringLiteral("YMin"), g->GetYMin()));
            g->SetYMax(ini.ReadFloat(section, QStringLiteral("YMax"), g->GetYMax()));
            g->SetYLabelStep(ini.ReadFloat(section, QStringLiteral("YLabelStep"), g->GetYLabelStep()));
            if (g->GetShowRightScale()) {
                g->SetRightYMin(ini.ReadFloat(section, QStringLiteral("RightYMin"), g->GetRightYMin()));
                g->SetRightYMax(ini.ReadFloat(section, QStringLiteral("RightYMax"), g->GetRightYMax()));
                g->SetRightScaleStep(
                    ini.ReadFloat(section, QStringLiteral("RightScaleStep"), g->GetRightScaleStep()));
            }
        }
    } catch (...) {
        qCWarning(lcOrdal) << "chart limits not read from" << ConfigFile << CurrentExceptionText();
    }
}

void TFormGraphBase::SaveLimits() {
    try {
        IniFile ini(ConfigFile);
        ini.Begin();
        for (TLevelGraph* g : Charts) {
            const QString section = g->objectName() + QStringLiteral("Limits");
            ini.WriteFloat(section, QStringLiteral("YMin"), g->GetYMin());
            ini.WriteFloat(section, QStringLiteral("YMax"), g->GetYMax());
            ini.WriteFloat(section, QStringLiteral("YLabelStep"), g->GetYLabelStep());
            if (g->GetShowRightScale()) {
                ini.WriteFloat(section, QStringLiteral("RightYMin"), g->GetRightYMin());
                ini.WriteFloat(section, QStringLiteral("RightYMax"), g->GetRightYMax());
                ini.WriteFloat(section, QStringLiteral("RightScaleStep"), g->GetRightScaleStep());
            }
        }
        ini.Commit();
    } catch (...) {
        // Runs while the window is destroyed: a read-only file costs the
        // limits, not the program.
        qCWarning(lcOrdal) << "chart limits not saved to" << ConfigFile << CurrentExceptionText();
    }
}

TDateTime TFormGraphBase::ReportDate() const {
    return ShiftDate != 0 ? ShiftDate : DateTimePicker1->Date();
}

void TFormGraphBase::PrintWhenLoaded() {
    if (!printAfterLoad_)
        return;
    printAfterLoad_ = false;
    // From the event loop: the load's caller finishes first.
    QTimer::singleShot(0, this, &TFormGraphBase::PrintCharts);
}

void TFormGraphBase::PrintCharts() {
    // The rows still coming in would make a report of part of the period.
    if (LoadBusy) {
        printAfterLoad_ = true;
        return;
    }
    ShowAllCharts();
    const QString templatePath = PathIn(TemplateDir, traits_.printTemplate);
    QStringList keys{QStringLiteral("QRLabelTitle"), QStringLiteral("QRLabelDate")};
    QStringList values{LabelTop->GetCaption(), FormatDateTime(QStringLiteral("dd.mm.yyyy"), ReportDate())};
    for (int i = 0; i < traits_.printCaptions.size(); ++i) {
        keys.append(QStringLiteral("LabelName%1").arg(i + 1));
        values.append(layout_.Get<TLabel>(traits_.printCaptions[i])->GetCaption());
    }
    // The directory may have gone since the start; the pictures need it.
    QDir().mkpath(TempDir);
    for (int k = 0; k < Charts.size(); ++k) {
        const QString picture = PathIn(TempDir, QStringLiteral("%1%2.bmp").arg(traits_.picturePrefix).arg(k));
        QString error;
        if (!SaveChartPicture(Charts[k], this, picture, &error)) {
            // A report without its chart would look complete: none at all.
            qCWarning(lcOrdal) << "chart picture" << picture << "not written:" << error;
            ShowError(QStringLiteral("Не удалось записать рисунок графика %1: %2")
                          .arg(QDir::toNativeSeparators(picture), error));
            return;
        }
        keys.append(QStringLiteral("pic%1.BMP").arg(k + 1));
        // The report lies in TempDir too: a relative path would be taken from
        // there and miss the picture.
        values.append(QFileInfo(picture).absoluteFilePath());
    }
    WebPrintWindow()->PrintTemplate(templatePath, keys, values);
}

// ---------------------------------------------------------------------------
// CSV export

void TFormGraphBase::CmdExportCsvClick(QObject*) {
    ExportCsv();
}

void TFormGraphBase::ExportCsv() {
    const QString caption = QStringLiteral("Экспорт в CSV");
    if (rows_.Count() == 0) {
        Plat().MessageBox(QStringLiteral("За выбранный период данные не загружены."), caption,
                          QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    static const QString shifts[] = {QStringLiteral("смена 1"), QStringLiteral("смена 2"),
                                     QStringLiteral("сутки")};
    const QString name = QStringLiteral("%1 %2 %3.csv")
                             .arg(traits_.exportName, FormatDateTime(QStringLiteral("dd.mm.yyyy"), ShiftDate),
                                  shifts[std::clamp(ShiftNumber, 1, 3) - 1]);
    QString& dir = ExportDir();
    if (dir.isEmpty())
        dir = QDir::homePath();
    const QString path = Plat().ChooseSaveFile(this, caption, QDir(dir).filePath(name),
                                               QStringLiteral("Таблицы CSV (*.csv);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    const QByteArray text = TrendCsv(rows_, traits_.exportHeaders);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qCWarning(lcOrdal) << "CSV export to" << path << "failed:" << file.errorString();
        ShowError(QStringLiteral("Не удалось записать файл %1: %2")
                      .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    dir = QFileInfo(path).absolutePath();
}
