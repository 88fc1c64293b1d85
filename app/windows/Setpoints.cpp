#include "Setpoints.h"

#include "Database.h"
#include "NumText.h"
#include "Platform.h"
#include "Sql.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

TFormSetpoints::TFormSetpoints(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormSetpoints"));
    setWindowTitle(QStringLiteral("Задания плотности за смену"));
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(15);
    f.setBold(true);
    setFont(f);
    auto* column = new QVBoxLayout(this);
    LabelPeriod = new QLabel(this);
    LabelPeriod->setObjectName(QStringLiteral("LabelPeriod"));
    column->addWidget(LabelPeriod);
    GridSetpoints = new QTableWidget(0, 5, this);
    GridSetpoints->setObjectName(QStringLiteral("GridSetpoints"));
    GridSetpoints->setHorizontalHeaderLabels({QStringLiteral("Дата, время"), QStringLiteral("Задание, кг/м³"),
                                              QStringLiteral("Пользователь"), QStringLiteral("Принято"),
                                              QStringLiteral("Состояние")});
    GridSetpoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridSetpoints->verticalHeader()->hide();
    GridSetpoints->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(GridSetpoints, 1);
    resize(900, 420);
}

void TFormSetpoints::Load(TSQLConnection* connection, TDateTime start, TDateTime stop,
                          std::vector<TSetpointFollowUp> followed, int takeSeconds,
                          std::function<void()> done) {
    LabelPeriod->setText(QStringLiteral("за период с %1 по %2")
                             .arg(FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), start),
                                  FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), stop)));
    GridSetpoints->setRowCount(0);
    if (!connection) {
        ShowError(QStringLiteral("Нет соединения с базой данных"));
        if (done)
            done();
        return;
    }
    using TRows = std::vector<TSetpointHistoryRow>;
    const TDateTime now = Now();
    connection->Post<TRows>(
        TSessionRole::History, this,
        [start, stop, followed = std::move(followed), takeSeconds, now](TDbSession& session) {
            const TResultTable commands =
                session.Select(Sql::SetpointRange(start, stop), TStatementKind::Range);
            // The records a setpoint of the period can be taken in.
            const TResultTable records = session.Select(
                Sql::SetpointRecordsRange(start, stop + takeSeconds * OneSecond), TStatementKind::Range);
            return SetpointHistory(commands, records, followed, takeSeconds, start, stop, now);
        },
        [this, done = std::move(done)](TDbReply<TRows>& reply) {
            if (reply.Ok())
                Show(*reply.value);
            else
                ShowError(reply.error->Text());
            if (done)
                done();
        });
}

void TFormSetpoints::Show(const std::vector<TSetpointHistoryRow>& rows) {
    GridSetpoints->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const TSetpointHistoryRow& r = rows[size_t(i)];
        const QStringList cells{
            FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), r.moment), FloatToStr(r.value), r.user,
            r.takenAt > 0 ? FormatDateTime(QStringLiteral("hh:nn:ss"), r.takenAt) : QStringLiteral("—"),
            SetpointStateText(r.state)};
        for (int c = 0; c < cells.size(); ++c)
            GridSetpoints->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    GridSetpoints->resizeColumnsToContents();
    if (rows.empty())
        LabelPeriod->setText(LabelPeriod->text() + QStringLiteral(": заданий не было"));
}

void TFormSetpoints::ShowError(const QString& text) {
    GridSetpoints->setRowCount(0);
    LabelPeriod->setText(LabelPeriod->text() + QStringLiteral(": не загружено (%1)").arg(text));
}
