#include "Baseview.h"

#include "Log.h"
#include "Main.h"
#include "Platform.h"

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

TFormBaseView::TFormBaseView(TSQLConnection* connection, QWidget* parent)
    : QWidget(parent),
      SQLClientDataSetPafData(connection ? connection : (FormMain ? FormMain->SQLConnection1 : nullptr),
                              QString(), TStatementKind::Range) {
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

    const TDateTime today = std::floor(Now());
    DateTimePicker1->SetDateTime(today);
    DateTimePicker3->SetDateTime(today);
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

void TFormBaseView::ButLoadClick(QObject*) {
    const TBrowserRange range = BrowserRangeOf(DateTimePicker1->Date(), DateTimePicker2->Time(),
                                               DateTimePicker3->Date(), DateTimePicker4->Time());
    DBGridEh1->SetDataSource(nullptr);
    SQLClientDataSetPafData.Close();
    SQLClientDataSetPafData.SetSQL(Sql::BrowserRange(range.start, range.stop));
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        try {
            SQLClientDataSetPafData.Open();
        } catch (const EDatabaseError& e) {
            qCWarning(lcOrdal) << "database browser load failed:" << e.Text();
            DBGridEh1->SetDataSource(&DataSourcePafData);
            ShowError(e.Text());
            return;
        }
    }
    DBGridEh1->SetDataSource(&DataSourcePafData);
}
