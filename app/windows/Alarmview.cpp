#include "Alarmview.h"

#include "AlarmLine.h"
#include "FormatFloat.h"
#include "Global.h"
#include "Log.h"
#include "Logview.h"
#include "NumText.h"
#include "Platform.h"
#include "Services.h"
#include "Stdcontrols.h"
#include "Webprint.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <cmath>

TFormAlarms* FormAlarms = nullptr;

namespace {

QString Moment(TDateTime t) {
    return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), t);
}

QString ValueText(const std::optional<double>& v, int decimals = 1) {
    if (!v || !std::isfinite(*v))
        return QString();
    return FloatToStr(std::round(*v * std::pow(10, decimals)) / std::pow(10, decimals));
}

QString Esc(const QString& s) {
    return s.toHtmlEscaped();
}

QTableWidget* MakeTable(QWidget* owner, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, int(headers.size()), owner);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setWordWrap(false);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    t->setFont(f);
    t->verticalHeader()->setDefaultSectionSize(20);
    return t;
}

const char* const kShifts[] = {"Смена №1", "Смена №2", "Обе смены"};

} // namespace

QByteArray AlarmHistoryCsv(const QList<TAlarmTransition>& rows) {
    auto field = [](QString s) {
        if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')))
            s = QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return s;
    };
    QString out = QStringLiteral(
        "Момент;Сигнализация;Текст;Приоритет;Событие;Состояние;Значение;Пользователь;Причина\n");
    for (const TAlarmTransition& t : rows) {
        const QString value =
            t.Value && std::isfinite(*t.Value) ? FloatToStr(*t.Value, QLatin1Char('.')) : QString();
        out += QStringList{Moment(t.Moment),   field(t.Id),     field(t.Text), PriorityText(t.Priority),
                           EventText(t.Event), StateText(t.To), value,         field(t.User),
                           field(t.Reason)}
                   .join(QLatin1Char(';')) +
               QLatin1Char('\n');
    }
    return out.toUtf8();
}

QString AlarmFiguresHtml(const TAlarmFigures& f) {
    auto row = [](const QString& name, const QString& value, const QString& target = QString()) {
        return QStringLiteral("<tr><td>%1</td><td align=\"right\"><b>%2</b></td><td>%3</td></tr>")
            .arg(Esc(name), Esc(value), Esc(target));
    };
    auto num = [](double v) { return FormatFloat(QStringLiteral("0.##"), v); };
    QString h =
        QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\" width=\"100%\">"
                       "<tr><th align=\"left\" width=\"45%\">Показатель</th><th width=\"20%\">Значение</th>"
                       "<th align=\"left\" width=\"35%\">Цель (EEMUA 191)</th></tr>");
    h += row(QStringLiteral("Сигнализаций за период"), QString::number(f.Annunciated));
    h += row(QStringLiteral("В среднем за 10 мин"), num(f.AveragePer10Min), QStringLiteral("не более 1"));
    h += row(QStringLiteral("Худшие 10 мин"),
             f.Worst10Min ? QStringLiteral("%1 (с %2)")
                                .arg(f.Worst10Min)
                                .arg(FormatDateTime(QStringLiteral("hh:nn"), f.Worst10MinStart))
                          : QStringLiteral("0"),
             QStringLiteral("лавина: 10 и более"));
    h += row(QStringLiteral("10-минутных периодов сверх цели"), QStringLiteral("%1 из %2 (%3 %)")
                                                                    .arg(f.PeriodsOverTarget)
                                                                    .arg(f.Periods)
                                                                    .arg(num(f.ShareOverTarget)));
    h += row(QStringLiteral("Периодов лавины"), QString::number(f.FloodPeriods),
             QStringLiteral("менее 1 % времени"));
    h += row(QStringLiteral("Медиана времени квитирования"),
             f.MedianAckSeconds
                 ? QStringLiteral("%1 с (квитировано %2)").arg(num(*f.MedianAckSeconds)).arg(f.Acknowledged)
                 : QStringLiteral("—"));
    h += QStringLiteral("</table>");
    auto list = [](const QString& title, const QList<TAlarmCount>& items, bool counts) {
        QString s = QStringLiteral("<p><b>%1:</b> ").arg(Esc(title));
        if (items.isEmpty())
            return s + QStringLiteral("нет</p>");
        QStringList parts;
        for (const TAlarmCount& c : items)
            parts << (counts ? QStringLiteral("%1 — %2").arg(Esc(c.Text)).arg(c.Count) : Esc(c.Text));
        return s + parts.join(QStringLiteral("; ")) + QStringLiteral("</p>");
    };
    h += list(QStringLiteral("Дребезжащие (3 и более срабатываний за минуту)"), f.Chattering, true);
    h += list(QStringLiteral("Стоящие дольше смены"), f.Standing, false);
    h += list(QStringLiteral("10 самых частых"), f.MostFrequent, true);
    return h;
}

QString AlarmHistoryHtml(const QList<TAlarmTransition>& rows) {
    QString h = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\" width=\"100%\"><tr>"
                               "<th>Момент</th><th>Сигнализация</th><th>Событие</th><th>Значение</th>"
                               "<th>Пользователь</th><th>Причина</th></tr>");
    for (const TAlarmTransition& t : rows)
        h +=
            QStringLiteral(
                "<tr><td>%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td><td>%5</td><td>%6</td></tr>")
                .arg(Moment(t.Moment), Esc(t.Text), Esc(EventText(t.Event)), ValueText(t.Value), Esc(t.User),
                     Esc(t.Reason));
    return h + QStringLiteral("</table>");
}

TFormAlarms::TFormAlarms(TAppContext& context, TAlarmService* alarms, QWidget* parent)
    : QWidget(parent), context_(context), alarms_(alarms) {
    setObjectName(QStringLiteral("FormAlarms"));
    setWindowTitle(QStringLiteral("Сигнализация"));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);

    auto* heading = new QLabel(QStringLiteral("Активные сигнализации"), this);
    QFont hf = f;
    hf.setPixelSize(16);
    hf.setBold(true);
    heading->setFont(hf);
    heading->setStyleSheet(QStringLiteral("color: #000080;"));
    column->addWidget(heading);
    TableActive =
        MakeTable(this, "TableActive",
                  {QStringLiteral("Момент"), QStringLiteral("Приоритет"), QStringLiteral("Сигнализация"),
                   QStringLiteral("Значение"), QStringLiteral("Состояние")});
    TableActive->setColumnWidth(0, 150);
    TableActive->setColumnWidth(1, 90);
    TableActive->setColumnWidth(2, 480);
    TableActive->setColumnWidth(3, 90);
    column->addWidget(TableActive, 2);

    auto* actions = new QHBoxLayout;
    auto button = [this, actions](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        actions->addWidget(b);
        return b;
    };
    ButtonAck = button("ButtonAck", QStringLiteral("Квитировать"));
    ButtonAckAll = button("ButtonAckAll", QStringLiteral("Квитировать все"));
    ButtonShelve = button("ButtonShelve", QStringLiteral("Отложить…"));
    ButtonUnshelve = button("ButtonUnshelve", QStringLiteral("Вернуть в работу"));
    actions->addStretch();
    column->addLayout(actions);
    connect(ButtonAck, &QPushButton::clicked, this, &TFormAlarms::AcknowledgeSelected);
    connect(ButtonAckAll, &QPushButton::clicked, this, &TFormAlarms::AcknowledgeAll);
    connect(ButtonShelve, &QPushButton::clicked, this, &TFormAlarms::ShelveSelected);
    connect(ButtonUnshelve, &QPushButton::clicked, this, &TFormAlarms::UnshelveSelected);

    auto* picker = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("История и показатели за"), this);
    label->setFont(hf);
    label->setStyleSheet(QStringLiteral("color: #000080;"));
    picker->addWidget(label);
    DateTimePicker1 = new TDateTimePicker(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setFixedWidth(130);
    picker->addWidget(DateTimePicker1);
    ComboBox1 = new TComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->SetStyle(TComboBox::csDropDownList);
    for (const char* s : kShifts)
        ComboBox1->addItem(QString::fromUtf8(s));
    ComboBox1->setCurrentIndex(2);
    ComboBox1->setFixedWidth(130);
    picker->addWidget(ComboBox1);
    ButtonShow = new QPushButton(QStringLiteral("Показать"), this);
    ButtonShow->setObjectName(QStringLiteral("ButtonShow"));
    picker->addWidget(ButtonShow);
    picker->addStretch();
    ButtonPrint = new QPushButton(QStringLiteral("Печать"), this);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonCsv = new QPushButton(QStringLiteral("Экспорт в CSV"), this);
    ButtonCsv->setObjectName(QStringLiteral("ButtonCsv"));
    ButtonFigures = new QPushButton(QStringLiteral("Показатели сигнализации за смену"), this);
    ButtonFigures->setObjectName(QStringLiteral("ButtonFigures"));
    picker->addWidget(ButtonPrint);
    picker->addWidget(ButtonCsv);
    picker->addWidget(ButtonFigures);
    column->addLayout(picker);
    connect(ButtonShow, &QPushButton::clicked, this, &TFormAlarms::LoadHistory);
    connect(ButtonPrint, &QPushButton::clicked, this, &TFormAlarms::PrintHistory);
    connect(ButtonCsv, &QPushButton::clicked, this, &TFormAlarms::ExportCsv);
    connect(ButtonFigures, &QPushButton::clicked, this, &TFormAlarms::PrintFigures);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    TableHistory =
        MakeTable(this, "TableHistory",
                  {QStringLiteral("Момент"), QStringLiteral("Сигнализация"), QStringLiteral("Событие"),
                   QStringLiteral("Значение"), QStringLiteral("Пользователь"), QStringLiteral("Причина")});
    TableHistory->setColumnWidth(0, 150);
    TableHistory->setColumnWidth(1, 430);
    TableHistory->setColumnWidth(2, 200);
    TableHistory->setColumnWidth(3, 80);
    TableHistory->setColumnWidth(4, 110);
    Tabs->addTab(TableHistory, QStringLiteral("История за смену"));
    FiguresView = new QTextBrowser(this);
    FiguresView->setObjectName(QStringLiteral("FiguresView"));
    Tabs->addTab(FiguresView, QStringLiteral("Показатели сигнализации за смену"));
    column->addWidget(Tabs, 3);

    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    if (alarms_)
        connect(alarms_, &TAlarmService::Changed, this, &TFormAlarms::RefreshActive);
    RefreshActive();
}

void TFormAlarms::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PickCurrentShiftDay(*DateTimePicker1, pickedDay_);
    RefreshActive();
    LoadHistory();
}

void TFormAlarms::RefreshActive() {
    const QStringList selected = SelectedIds();
    listed_.clear();
    TableActive->setRowCount(0);
    if (!alarms_)
        return;
    const TAlarmEngine& e = alarms_->Engine();
    // Unacknowledged first, then the rest; the highest priority, the newest first within.
    QList<int> order;
    for (int i = 0; i < e.Count(); ++i)
        if (e.Runtime(i).State != TAlarmState::Normal)
            order << i;
    std::stable_sort(order.begin(), order.end(), [&e](int a, int b) {
        const bool ua = IsUnacknowledged(e.Runtime(a).State), ub = IsUnacknowledged(e.Runtime(b).State);
        if (ua != ub)
            return ua;
        if (e.Definitions()[a].Priority != e.Definitions()[b].Priority)
            return int(e.Definitions()[a].Priority) < int(e.Definitions()[b].Priority);
        return e.Runtime(a).ActivatedAt > e.Runtime(b).ActivatedAt;
    });
    TableActive->setRowCount(int(order.size()));
    for (int row = 0; row < order.size(); ++row) {
        const int i = order[row];
        const TAlarmDef& d = e.Definitions()[i];
        const TAlarmRuntime& r = e.Runtime(i);
        QString state = StateText(r.State);
        if (r.State == TAlarmState::Shelved)
            state += QStringLiteral(" до %1 (%2)")
                         .arg(FormatDateTime(QStringLiteral("hh:nn"), r.ShelvedUntil), r.ShelveReason);
        const TDateTime moment = r.ActivatedAt > 0 ? r.ActivatedAt : r.Since;
        const QStringList cells = {Moment(moment), PriorityText(d.Priority), d.Text,
                                   d.Kind == TAlarmKind::Link || d.Kind == TAlarmKind::Setpoint ? QString() : ValueText(r.Value), state};
        const TAlarmLook look = AlarmLook(d.Priority, r.State);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 1 || c == 4) {
                item->setBackground(ColorToQColor(look.back));
                item->setForeground(ColorToQColor(look.text));
            }
            if (c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            TableActive->setItem(row, c, item);
        }
        listed_ << d.Id;
        if (selected.contains(d.Id))
            TableActive->selectRow(row);
    }
    ButtonAckAll->setEnabled(e.UnackCount() > 0);
}

QStringList TFormAlarms::SelectedIds() const {
    QStringList ids;
    if (!TableActive->selectionModel())
        return ids;
    for (const QModelIndex& index : TableActive->selectionModel()->selectedRows())
        if (index.row() < listed_.size())
            ids << listed_[index.row()];
    return ids;
}

void TFormAlarms::AcknowledgeSelected() {
    if (alarms_)
        alarms_->Acknowledge(SelectedIds());
}

void TFormAlarms::AcknowledgeAll() {
    if (alarms_)
        alarms_->Acknowledge(listed_);
}

void TFormAlarms::ShelveSelected() {
    const QStringList ids = SelectedIds();
    if (!alarms_ || ids.size() != 1) {
        Plat().MessageBox(QStringLiteral("Выберите одну сигнализацию в списке."), QStringLiteral("Отложить"),
                          QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    QDialog dlg(context_.DialogOwner());
    dlg.setObjectName(QStringLiteral("ShelveDialog"));
    dlg.setWindowTitle(QStringLiteral("Отложить сигнализацию"));
    auto* form = new QFormLayout(&dlg);
    const int i = alarms_->Engine().IndexOf(ids[0]);
    form->addRow(new QLabel(alarms_->Engine().Definitions()[i].Text, &dlg));
    auto* reason = new QLineEdit(&dlg);
    reason->setObjectName(QStringLiteral("EditReason"));
    auto* hours = new QDoubleSpinBox(&dlg);
    hours->setObjectName(QStringLiteral("EditHours"));
    hours->setRange(0.25, kMaxShelveHours);
    hours->setSingleStep(0.5);
    hours->setValue(1);
    hours->setSuffix(QStringLiteral(" ч"));
    form->addRow(QStringLiteral("Причина:"), reason);
    form->addRow(QStringLiteral("На время:"), hours);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (Plat().ExecDialog(dlg) != QDialog::Accepted)
        return;
    QString why;
    if (!alarms_->Shelve(ids[0], hours->value(), reason->text(), &why))
        ShowError(why);
}

void TFormAlarms::UnshelveSelected() {
    if (alarms_)
        for (const QString& id : SelectedIds())
            alarms_->Unshelve(id);
}

QString TFormAlarms::RangeText() const {
    return QStringLiteral("%1, %2").arg(
        FormatDateTime(QStringLiteral("dd.mm.yyyy"), DateTimePicker1->Date()),
        QString::fromUtf8(kShifts[std::clamp(ComboBox1->currentIndex(), 0, 2)]));
}

void TFormAlarms::LoadHistory() {
    if (!alarms_)
        return;
    const TJournalRange range =
        JournalRangeOf(DateTimePicker1->Date(), std::clamp(ComboBox1->currentIndex(), 0, 2));
    from_ = range.start;
    to_ = range.stop;
    QStringList errors;
    // A day before the range tells which alarms stood when it began.
    const QList<TAlarmTransition> all = alarms_->History().Read(from_ - 1, to_, &errors);
    for (const QString& e : errors)
        qCWarning(lcOrdal) << "alarm history:" << e;
    history_.clear();
    for (const TAlarmTransition& t : all)
        if (t.Moment >= from_)
            history_ << t;
    figures_ = ComputeAlarmFigures(all, from_, to_);
    TableHistory->setRowCount(int(history_.size()));
    for (int row = 0; row < history_.size(); ++row) {
        const TAlarmTransition& t = history_[row];
        const QStringList cells = {Moment(t.Moment),   t.Text, EventText(t.Event),
                                   ValueText(t.Value), t.User, t.Reason};
        for (int c = 0; c < cells.size(); ++c)
            TableHistory->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    TableHistory->scrollToBottom();
    FiguresView->setHtml(
        QStringLiteral("<h3>Показатели сигнализации за смену: %1</h3>").arg(Esc(RangeText())) +
        AlarmFiguresHtml(figures_));
}

void TFormAlarms::PrintHistory() {
    LoadHistory();
    WebPrintWindow()->PrintTemplate(
        PathIn(TemplateDir, QStringLiteral("PrintAlarms.html")),
        {QStringLiteral("AlarmTitle"), QStringLiteral("AlarmDate"), QStringLiteral("AlarmBody")},
        {QStringLiteral("История сигнализации"), Esc(RangeText()), AlarmHistoryHtml(history_)});
}

void TFormAlarms::PrintFigures() {
    LoadHistory();
    Tabs->setCurrentWidget(FiguresView);
    WebPrintWindow()->PrintTemplate(
        PathIn(TemplateDir, QStringLiteral("PrintAlarms.html")),
        {QStringLiteral("AlarmTitle"), QStringLiteral("AlarmDate"), QStringLiteral("AlarmBody")},
        {QStringLiteral("Показатели сигнализации за смену"), Esc(RangeText()), AlarmFiguresHtml(figures_)});
}

void TFormAlarms::ExportCsv() {
    LoadHistory();
    const QString caption = QStringLiteral("Экспорт в CSV");
    const QString name = QStringLiteral("Сигнализация %1.csv").arg(RangeText());
    const QString path = Plat().ChooseSaveFile(this, caption, QDir(QDir::homePath()).filePath(name),
                                               QStringLiteral("Таблицы CSV (*.csv);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    const QByteArray text = AlarmHistoryCsv(history_);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qCWarning(lcOrdal) << "CSV export to" << path << "failed:" << file.errorString();
        ShowError(QStringLiteral("Не удалось записать файл %1: %2")
                      .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}
