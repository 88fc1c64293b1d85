#include "AlarmConfig.h"

#include "NumText.h"
#include "Platform.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

const TAlarmPriority kPriorities[] = {TAlarmPriority::High, TAlarmPriority::Medium, TAlarmPriority::Low};

} // namespace

TAlarmConfigPage::TAlarmConfigPage(TAlarmService* alarms, QWidget* parent)
    : QWidget(parent), alarms_(alarms) {
    setObjectName(QStringLiteral("AlarmConfigPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    Table = new QTableWidget(0, ColCount, this);
    Table->setObjectName(QStringLiteral("TableAlarms"));
    Table->setHorizontalHeaderLabels({QStringLiteral("Сигнализация"), QStringLiteral("Приоритет"),
                                      QStringLiteral("Предел"), QStringLiteral("Зона"),
                                      QStringLiteral("Вкл., с"), QStringLiteral("Выкл., с"),
                                      QStringLiteral("В работе")});
    Table->verticalHeader()->setVisible(false);
    Table->verticalHeader()->setDefaultSectionSize(22);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    Table->setFont(f);
    Table->setColumnWidth(ColText, 262);
    Table->setColumnWidth(ColPriority, 80);
    for (int c = ColLimit; c <= ColOffDelay; ++c)
        Table->setColumnWidth(c, 54);
    Table->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(Table, 1);
    auto* hint =
        new QLabel(QStringLiteral("Предел — число или MIN_PLS (из констант); зона нечувствительности — "
                                  "насколько значение должно вернуться, чтобы сигнализация сбросилась."),
                   this);
    hint->setWordWrap(true);
    QFont h = f;
    h.setBold(false);
    hint->setFont(h);
    column->addWidget(hint);
    auto* row = new QHBoxLayout;
    row->addStretch();
    ButDefaults = new QPushButton(QStringLiteral("Набор по умолчанию"), this);
    ButDefaults->setObjectName(QStringLiteral("ButAlarmDefaults"));
    ButApply = new QPushButton(QStringLiteral("Применить"), this);
    ButApply->setObjectName(QStringLiteral("ButApplyAlarms"));
    row->addWidget(ButDefaults);
    row->addWidget(ButApply);
    column->addLayout(row);
    connect(ButApply, &QPushButton::clicked, this, &TAlarmConfigPage::Apply);
    connect(ButDefaults, &QPushButton::clicked, this, [this] { Fill(DefaultAlarmDefs()); });
    Load();
}

void TAlarmConfigPage::Load() {
    if (alarms_)
        Fill(alarms_->Engine().Definitions());
}

void TAlarmConfigPage::Fill(const QList<TAlarmDef>& defs) {
    shown_ = defs;
    Table->setRowCount(int(defs.size()));
    for (int r = 0; r < defs.size(); ++r) {
        const TAlarmDef& d = defs[r];
        Table->setItem(r, ColText, new QTableWidgetItem(d.Text));
        auto* priority = new QComboBox(Table);
        for (TAlarmPriority p : kPriorities)
            priority->addItem(PriorityText(p));
        priority->setCurrentIndex(int(d.Priority) - 1);
        Table->setCellWidget(r, ColPriority, priority);
        Table->setItem(r, ColLimit,
                       new QTableWidgetItem(d.LimitName.isEmpty() ? FloatToStr(d.Limit) : d.LimitName));
        Table->setItem(r, ColDeadband, new QTableWidgetItem(FloatToStr(d.Deadband)));
        Table->setItem(r, ColOnDelay, new QTableWidgetItem(FloatToStr(d.OnDelay)));
        Table->setItem(r, ColOffDelay, new QTableWidgetItem(FloatToStr(d.OffDelay)));
        auto* service = new QTableWidgetItem(QStringLiteral("да"));
        service->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        service->setCheckState(d.InService ? Qt::Checked : Qt::Unchecked);
        Table->setItem(r, ColInService, service);
        for (int c = ColLimit; c <= ColOffDelay; ++c)
            Table->item(r, c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

bool TAlarmConfigPage::Edited(QList<TAlarmDef>* defs, QString* why) const {
    QList<TAlarmDef> out = shown_;
    for (int r = 0; r < out.size(); ++r) {
        TAlarmDef& d = out[r];
        auto cell = [this, r](int c) {
            return Table->item(r, c) ? Table->item(r, c)->text().trimmed() : QString();
        };
        auto bad = [&](int c) {
            *why = QStringLiteral("Строка %1, «%2»: неверное значение «%3».")
                       .arg(r + 1)
                       .arg(Table->horizontalHeaderItem(c)->text(), cell(c));
            return false;
        };
        d.Text = cell(ColText);
        if (d.Text.isEmpty())
            return bad(ColText);
        if (auto* p = qobject_cast<QComboBox*>(Table->cellWidget(r, ColPriority)))
            d.Priority = kPriorities[std::clamp(p->currentIndex(), 0, 2)];
        const QString limit = cell(ColLimit);
        if (limit.compare(QStringLiteral("MIN_PLS"), Qt::CaseInsensitive) == 0) {
            d.LimitName = QStringLiteral("MIN_PLS");
        } else {
            const auto v = StoredStrToFloatOpt(limit);
            if (!v || !std::isfinite(*v))
                return bad(ColLimit);
            d.LimitName.clear();
            d.Limit = *v;
        }
        double* numbers[] = {&d.Deadband, &d.OnDelay, &d.OffDelay};
        for (int c = ColDeadband; c <= ColOffDelay; ++c) {
            const auto v = StoredStrToFloatOpt(cell(c));
            if (!v || !std::isfinite(*v) || *v < 0 || *v > 86400)
                return bad(c);
            *numbers[c - ColDeadband] = *v;
        }
        d.InService = Table->item(r, ColInService)->checkState() == Qt::Checked;
    }
    *defs = out;
    return true;
}

bool TAlarmConfigPage::Apply() {
    if (!alarms_)
        return false;
    QList<TAlarmDef> defs;
    QString why;
    if (!Edited(&defs, &why) || !alarms_->SaveDefinitions(defs, &why)) {
        ShowError(why);
        return false;
    }
    Fill(alarms_->Engine().Definitions());
    return true;
}
