#include "Baseview.h"
#include "Services.h"

#include "Global.h"
#include "Log.h"
#include "Platform.h"
#include "Sql.h"

#include <QApplication>
#include <cmath>

TFormBaseView* FormBaseView = nullptr;

namespace {
const char* const kLayoutFile = ":/layouts/FormBaseView.layout";
}

TBrowserRange BrowserRangeOf(TDateTime startDay, TDateTime startTime, TDateTime stopDay, TDateTime stopTime) {
    auto timeOfDay = [](TDateTime t) { return t - std::floor(t); };
    return {std::floor(startDay) + timeOfDay(startTime), std::floor(stopDay) + timeOfDay(stopTime)};
}

TFormBaseView::TFormBaseView(TAppContext& context, QWidget* parent)
    : QWidget(parent), SQLClientDataSetPafData(context.Connection(), QString(), TStatementKind::Range) {
    setObjectName(QStringLiteral("FormBaseView"));
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(16);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    pal.setColor(QPalette::ButtonText, ColorToQColor(clNavy));
    setPalette(pal);

    layout_ = LoadLayout(this, QString::fromLatin1(kLayoutFile));
    DateTimePicker1 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker1"));
    DateTimePicker2 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker2"));
    DateTimePicker3 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker3"));
    DateTimePicker4 = layout_.Get<TDateTimePicker>(QStringLiteral("DateTimePicker4"));
    ButLoad = layout_.Get<TButton>(QStringLiteral("ButLoad"));
    PageControl1 = layout_.Get<TPageControl>(QStringLiteral("PageControl1"));
    DBGridEh1 = layout_.Get<TDBGridEh>(QStringLiteral("DBGridEh1"));

    // Enter in a range field loads, as the default button does in a dialog.
    auto enter = [this](QObject*, int key, bool& handled) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return;
        handled = true;
        ButLoad->Click();
    };
    for (TDateTimePicker* picker : {DateTimePicker1, DateTimePicker2, DateTimePicker3, DateTimePicker4})
        picker->SetOnKeyDown(enter);

    PickShiftDayPeriod();
    SQLClientDataSetPafData.DeclaredFields = {QStringLiteral("RecMoment"), QStringLiteral("PLS"),
                                              QStringLiteral("PLSZ"),      QStringLiteral("URKS"),
                                              QStringLiteral("URNS"),      QStringLiteral("VODA1"),
                                              QStringLiteral("DSUS"),      QStringLiteral("_PLSZ")};
    DataSourcePafData.SetTable(&SQLClientDataSetPafData.Table());
    DBGridEh1->SetDataSource(&DataSourcePafData);
}

TFormBaseView::~TFormBaseView() {
    if (FormBaseView == this)
        FormBaseView = nullptr;
}

void TFormBaseView::PickShiftDayPeriod() {
    // The period the trend windows show first: the shift day that contains
    // now, from its first shift's start to the end of its second shift. With
    // the shift day starting at midnight that is the calendar day, 00:00:00 to
    // 23:59:59; after midnight it is still the night shift's day.
    const TBrowserRange shown = BrowserRangeOf(DateTimePicker1->Date(), DateTimePicker2->Time(),
                                               DateTimePicker3->Date(), DateTimePicker4->Time());
    if (picked_ && !(shown == *picked_))
        return;
    TBrowserRange period;
    GetShiftPeriod(ShiftDayOf(Now()), 3, period.start, period.stop);
    DateTimePicker1->SetDateTime(period.start);
    DateTimePicker2->SetDateTime(period.start);
    DateTimePicker3->SetDateTime(period.stop);
    DateTimePicker4->SetDateTime(period.stop);
    picked_ = BrowserRangeOf(DateTimePicker1->Date(), DateTimePicker2->Time(), DateTimePicker3->Date(),
                             DateTimePicker4->Time());
}

void TFormBaseView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Made at start-up, first opened later: the shift day may have turned since.
    PickShiftDayPeriod();
}

void TFormBaseView::ButLoadClick(QObject*) {
    const TBrowserRange range = BrowserRangeOf(DateTimePicker1->Date(), DateTimePicker2->Time(),
                                               DateTimePicker3->Date(), DateTimePicker4->Time());
    if (Loading) {
        // Were this load to start now, the older one could end after it and
        // put its rows under the newer range; it runs once the load has ended
        // instead (the last one asked for, when the operator asked several
        // times).
        pending_ = range;
        return;
    }
    Load(range);
}

void TFormBaseView::Load(const TBrowserRange& range) {
    DBGridEh1->SetDataSource(nullptr);
    SQLClientDataSetPafData.Close();
    SQLClientDataSetPafData.SetSQL(Sql::BrowserRange(range.start, range.stop));
    // The window says it is loading; the rest of the screen goes on.
    Loading = true;
    setCursor(Qt::BusyCursor);
    ButLoad->setToolTip(QStringLiteral("Данные загружаются..."));
    ShowLoadingCaption(this, true);
    const bool asked = SQLClientDataSetPafData.Open([this, range](const EDatabaseError* e) {
        Loading = false;
        unsetCursor();
        ButLoad->setToolTip(QString());
        ShowLoadingCaption(this, false);
        loaded_ = range;
        DBGridEh1->SetDataSource(&DataSourcePafData);
        if (e)
            qCWarning(lcOrdal) << "database browser load failed:" << e->Text();
        if (pending_) {
            // A newer load is waiting: its outcome is what the operator sees.
            const TBrowserRange next = *pending_;
            pending_.reset();
            Load(next);
            return;
        }
        if (e)
            ShowError(e->Text());
    });
    if (!asked) {
        Loading = false;
        unsetCursor();
        ButLoad->setToolTip(QString());
        ShowLoadingCaption(this, false);
        loaded_ = range;
        DBGridEh1->SetDataSource(&DataSourcePafData);
        ShowError(QStringLiteral("Нет соединения с базой данных"));
    }
}
