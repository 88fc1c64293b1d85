#include "AlarmHistory.h"

#include "IndexedIniFile.h"
#include "Inidataset.h"
#include "NumText.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

const QStringList kFields = {QStringLiteral("RecordTime"), QStringLiteral("Alarm"), QStringLiteral("Text"),
                             QStringLiteral("Priority"),   QStringLiteral("Event"), QStringLiteral("From"),
                             QStringLiteral("State"),      QStringLiteral("Value"), QStringLiteral("User"),
                             QStringLiteral("Reason")};

} // namespace

TAlarmHistory::TAlarmHistory(QString root) : root_(std::move(root)) {
    MakeSet();
}

void TAlarmHistory::MakeSet() {
    set_ = std::make_unique<TIniDataSet>();
    set_->SetRootDir(root_);
    set_->SetTableName(QStringLiteral("Alarms"));
    set_->SetDayToDir(true);
    set_->SetHourToFile(true);
    set_->SetFieldList(kFields);
}

TAlarmHistory::~TAlarmHistory() = default;

QString TAlarmHistory::FileOf(TDateTime t) const {
    return set_->FileNameByTime(t);
}

bool TAlarmHistory::Append(const TAlarmTransition& t, QString* why) {
    const QString value =
        t.Value && std::isfinite(*t.Value) ? FloatToStr(*t.Value, QLatin1Char('.')) : QString();
    const QStringList values = {t.Id,
                                t.Text,
                                PriorityText(t.Priority),
                                EventKey(t.Event),
                                StateKey(t.From),
                                StateKey(t.To),
                                value,
                                t.User,
                                QString(t.Reason).replace(QLatin1Char('\n'), QLatin1Char(' '))};
    QString error;
    if (set_->AppendRecord(t.Moment, values, &error)) {
        // The file table keeps the stamp of every record it appended; a
        // program that runs for months would hold millions of them.
        if (set_->RecordList().size() > 4096)
            MakeSet();
        return true;
    }
    if (why)
        *why = error.isEmpty() ? QStringLiteral("Момент не записывается: %1").arg(t.Moment) : error;
    return false;
}

QList<TAlarmTransition> TAlarmHistory::Read(TDateTime from, TDateTime to, QStringList* errors) const {
    QList<TAlarmTransition> out;
    if (!(to > from))
        return out;
    // Hour by hour: each hour's file once, whatever the length of the range.
    QString lastFile;
    const TDateTime hour = 1.0 / 24;
    for (TDateTime h = std::floor(from / hour + 1e-9) * hour; h < to + hour; h += hour) {
        const QString name = set_->FileNameByTime(h + hour / 2);
        if (name == lastFile || !QFileInfo::exists(name))
            continue;
        lastFile = name;
        IndexedIniFile f(name);
        f.Refresh();
        if (!f.ReadError().isEmpty()) {
            if (errors)
                errors->append(f.ReadError());
            continue;
        }
        const QString header = QStringLiteral("Header");
        const int n = f.ReadInteger(header, QStringLiteral("RecordCount"), 0);
        for (int k = 0; k < n; ++k) {
            const TDateTime moment = TIniDataSet::StringToDouble(f.ReadNumbered(header, k).toString());
            if (moment < from || moment >= to)
                continue;
            const QString section = QStringLiteral("R%1").arg(k);
            auto field = [&](int i) { return f.ReadString(section, kFields[i], QString()); };
            TAlarmTransition t;
            t.Moment = moment;
            t.Id = field(1);
            t.Text = field(2);
            t.Priority = PriorityFromText(field(3)).value_or(TAlarmPriority::Medium);
            const auto event = EventFromKey(field(4));
            const auto fromState = StateFromKey(field(5));
            const auto toState = StateFromKey(field(6));
            if (t.Id.isEmpty() || !event || !fromState || !toState) {
                if (errors)
                    errors->append(QStringLiteral("%1: [%2]").arg(name, section));
                continue;
            }
            t.Event = *event;
            t.From = *fromState;
            t.To = *toState;
            if (const QString v = field(7); !v.isEmpty())
                t.Value = StoredStrToFloatOpt(v);
            t.User = field(8);
            t.Reason = field(9);
            out << t;
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const TAlarmTransition& a, const TAlarmTransition& b) {
        return a.Moment < b.Moment;
    });
    return out;
}
