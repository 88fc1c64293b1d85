#include "Logview.h"

#include "Controls.h"
#include "Eventlog.h"
#include "Global.h"
#include "Log.h"
#include "Platform.h"
#include "Services.h"
#include "Sql.h"

#include <QEvent>
#include <QShowEvent>
#include <cmath>

TFormLogView* FormLogView = nullptr;

namespace {
const char* const kLayoutFile = ":/layouts/FormLogView.layout";

qint64 Seconds(TDateTime t) {
    return std::llround(t * kSecondsPerDay);
}

// Rich text above the rows of the first printed page.
const char* const kHeading = "<p style=\"font-family:'MS Sans Serif'; font-size:8pt\">&nbsp;</p>"
                             "<p style=\"font-family:'MS Sans Serif'; font-size:8pt\">&nbsp;</p>"
                             "<p align=\"center\" style=\"font-family:'Times New Roman'; font-size:16pt\">"
                             "Журнал регистрации режимов работы тяжелосредного гидроциклона</p>"
                             "<p align=\"center\" style=\"font-family:'Times New Roman'; font-size:16pt\">"
                             "за период с [StartTime] по [StopTime]</p>"
                             "<p style=\"font-family:'MS Sans Serif'; font-size:8pt\">&nbsp;</p>"
                             "<p style=\"font-family:'MS Sans Serif'; font-size:8pt\">&nbsp;</p>";
} // namespace

TJournalRange JournalRangeOf(TDateTime day, int shiftIndex) {
    TJournalRange r;
    GetShiftPeriod(std::floor(day), shiftIndex + 1, r.start, r.stop);
    return r;
}

bool AutoRefreshDue(TDateTime logStart, TDateTime logStop, TDateTime lastJournalTime, TDateTime t) {
    const qint64 s = Seconds(t);
    return Seconds(logStart) <= s && s <= Seconds(logStop) && s > Seconds(lastJournalTime);
}

TTopPanelPlacement PlaceTopPanel(int panelWidth, int labelWidth, int pickerWidth, int listWidth) {
    TTopPanelPlacement p;
    p.label = (panelWidth - labelWidth - pickerWidth - listWidth - 30) / 2;
    p.picker = p.label + labelWidth + 5;
    p.list = p.picker + pickerWidth + 5;
    return p;
}

TFormLogView::TFormLogView(TAppContext& context, QWidget* parent)
    : QWidget(parent), connection_(context.Connection()) {
    setObjectName(QStringLiteral("FormLogView"));
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(15);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    setPalette(pal);

    layout_ = LoadLayout(this, QString::fromLatin1(kLayoutFile));
    caption_ = windowTitle();
    PanelTop = layout_.Get<TPanel>(QStringLiteral("PanelTop"));
    LabelTop2 = layout_.Get<TLabel>(QStringLiteral("LabelTop2"));
    DateTimePicker1 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker1"));
    ComboBox1 = layout_.Get<TComboBox>(QStringLiteral("ComboBox1"));
    PanelStale = layout_.Get<TPanel>(QStringLiteral("PanelStale"));
    DBGridEh1 = layout_.Get<TDBGridEh>(QStringLiteral("DBGridEh1"));

    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    auto enter = [this](QObject*, int key, bool& handled) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return;
        handled = true;
        if (!Loading)
            LoadRequested();
    };
    DateTimePicker1->SetOnKeyDown(enter);
    ComboBox1->SetOnKeyDown(enter);

    SQLClientDataSetLog = std::make_unique<TSQLClientDataSet>(connection_);
    SQLQueryLastTime = std::make_unique<TSQLQuery>(connection_, Sql::JournalLastTime);
    DBGridEh1->SetDataSource(&DataSourceLog);

    PrintDBGridEh1 = new TPrintDBGridEh(DBGridEh1, this);
    PrintDBGridEh1->setObjectName(QStringLiteral("PrintDBGridEh1"));
    PrintDBGridEh1->BeforeGridText = QString::fromUtf8(kHeading);
    PrintDBGridEh1->PageHeaderText = QStringLiteral("Журнал регистрации событий");

    TimerAutoRefresh = new QTimer(this);
    TimerAutoRefresh->setObjectName(QStringLiteral("TimerAutoRefresh"));
    TimerAutoRefresh->setInterval(37000);
    connect(TimerAutoRefresh, &QTimer::timeout, this, &TFormLogView::TimerAutoRefreshTimer);
    TimerAutoRefresh->start();

    // A workstation started without a server: once an operator's load elsewhere
    // has connected it, a journal already on the screen fills itself.
    if (connection_)
        connect(connection_, &TSQLConnection::ConnectionChanged, this, [this] {
            if (shown_ && LogShift == -1 && Connected())
                Later(this, [this] { LoadFirstTime(false); });
        });

    PanelTop->installEventFilter(this);
    PanelTopResize();
}

TFormLogView::~TFormLogView() {
    if (FormLogView == this)
        FormLogView = nullptr;
}

bool TFormLogView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelTop && event->type() == QEvent::Resize)
        PanelTopResize();
    return QWidget::eventFilter(watched, event);
}

void TFormLogView::PanelTopResize() {
    const TTopPanelPlacement p =
        PlaceTopPanel(PanelTop->width(), LabelTop2->width(), DateTimePicker1->width(), ComboBox1->width());
    LabelTop2->move(p.label, LabelTop2->y());
    DateTimePicker1->move(p.picker, DateTimePicker1->y());
    ComboBox1->move(p.list, ComboBox1->y());
    if (DBGridEh1->Columns().size() >= 2)
        DBGridEh1->Columns()[1]->SetWidth(PanelTop->width() - DBGridEh1->Columns()[0]->GetWidth() - 50);
}

void TFormLogView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // After the window is on the screen, so that an error box has it behind.
    Later(this, [this] { LoadFirstTime(true); });
}

void TFormLogView::LoadFirstTime(bool operatorStarted) {
    if (LogShift != -1 || Loading || !Connected())
        return;
    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    if (operatorStarted) {
        LoadRequested();
        return;
    }
    LoadJournal([this](const EDatabaseError* e) {
        if (!e)
            return;
        LogEvent(QStringLiteral("Ошибка в TFormLogView::LoadJournal()"));
        qCWarning(lcOrdal) << "journal first load failed:" << e->Text();
        MarkStale(e->Text());
    });
}

bool TFormLogView::LoadJournal(TLoaded loaded) {
    if (!Connected() || Loading)
        return false;
    Loading = true;
    loadTried_ = true;
    ShowLoading(true);

    const TDateTime day = std::floor(DateTimePicker1->Date());
    const int shift = ComboBox1->GetItemIndex() + 1;
    const TJournalRange range = JournalRangeOf(day, shift - 1);
    // Read into a new data set: a failed load leaves the list, and the range
    // the print heading names, as they were.
    pendingRows_ = std::make_unique<TSQLClientDataSet>(
        connection_, Sql::JournalRange(range.start, range.stop), TStatementKind::Range);
    pendingRows_->DeclaredFields = {QStringLiteral("RecMoment"), QStringLiteral("MessageText")};
    // The answer is dropped with the window, or with the data set.
    pendingRows_->Open([this, day, shift, range, loaded](const EDatabaseError* error) {
        Loading = false;
        ShowLoading(false);
        std::unique_ptr<TSQLClientDataSet> rows = std::move(pendingRows_);
        if (!error) {
            DBGridEh1->SetDataSource(nullptr);
            SQLClientDataSetLog = std::move(rows);
            DataSourceLog.SetTable(&SQLClientDataSetLog->Table());
            DBGridEh1->SetDataSource(&DataSourceLog);
            LogDay = day;
            LogShift = shift;
            LogStart = range.start;
            LogStop = range.stop;
            ++loads_;
            MarkCurrent();
        }
        if (loaded)
            loaded(error);
    });
    return true;
}

void TFormLogView::ShowLoading(bool on) {
    // The list stays as it is until the new one has come; the window says so.
    setCursor(on ? Qt::BusyCursor : Qt::ArrowCursor);
    LabelTop2->setToolTip(on ? QStringLiteral("Журнал загружается...") : QString());
    ShowLoadingCaption(this, on);
}

void TFormLogView::LoadRequested() {
    LoadJournal([this](const EDatabaseError* e) {
        if (!e)
            return;
        qCWarning(lcOrdal) << "journal load failed:" << e->Text();
        MarkStale(e->Text());
        ShowError(e->Text());
    });
}

void TFormLogView::TimerAutoRefreshTimer() {
    if (Loading)
        return;
    if (LogShift <= 0) {
        // No load has succeeded yet. Before the first one is tried there is
        // nothing to refresh; a first load that failed is tried again, or the
        // list would stay empty for the rest of the shift.
        if (loadTried_)
            LoadFirstTime(false);
        return;
    }
    if (!Connected()) {
        MarkStale(QStringLiteral("нет связи с сервером базы данных"));
        return;
    }
    // Periodic work: nobody may be at the desk, so a failure never opens a box;
    // it goes to the event queue and the log, and the window says the list is
    // not current until a check succeeds again.
    auto failed = [this](const EDatabaseError& e) {
        LogEvent(QStringLiteral("Ошибка в TFormLogView::TimerAutoRefreshTimer"));
        LogRepeatedWarning("journal auto-refresh", e.Text());
        MarkStale(e.Text());
    };
    SQLQueryLastTime->Close();
    SQLQueryLastTime->Open([this, failed](const EDatabaseError* e) {
        if (e) {
            failed(*e);
            return;
        }
        const TDateTime t =
            SQLQueryLastTime->IsEmpty() ? 0 : SQLQueryLastTime->AsDateTime(QStringLiteral("Rez"));
        SQLQueryLastTime->Close();
        if (!AutoRefreshDue(LogStart, LogStop, LastJournalTime, t)) {
            MarkCurrent();
            return;
        }
        LoadJournal([this, failed, t](const EDatabaseError* loadError) {
            if (loadError) {
                failed(*loadError);
                return;
            }
            LastJournalTime = t; // only once the reload has happened, so a failed one is tried again
        });
    });
}

void TFormLogView::MarkStale(const QString& reason) {
    if (staleReason_ == reason)
        return;
    staleReason_ = reason;
    const QString since =
        currentSince_ > 0 ? FormatDateTime(QStringLiteral("hh:nn:ss"), currentSince_) : QString();
    setWindowTitle(caption_ + QStringLiteral(" — список не обновляется"));
    PanelStale->SetCaption(since.isEmpty()
                               ? QStringLiteral("Список не обновляется: %1").arg(reason)
                               : QStringLiteral("Список не обновляется с %1: %2").arg(since, reason));
    PanelStale->setToolTip(reason);
    PanelStale->SetVisible(true);
}

void TFormLogView::MarkCurrent() {
    currentSince_ = Now();
    if (staleReason_.isEmpty())
        return;
    staleReason_.clear();
    setWindowTitle(caption_);
    PanelStale->SetVisible(false);
}

QString TFormLogView::PrintHeading() const {
    const QString format = QStringLiteral("dd.mm.yyyy hh:nn");
    return PrintDBGridEh1->HeadingWith({{QStringLiteral("[StartTime]"), FormatDateTime(format, LogStart)},
                                        {QStringLiteral("[StopTime]"), FormatDateTime(format, LogStop)}});
}

void TFormLogView::Print() {
    PrintDBGridEh1->Preview(PrintHeading(), window());
}
