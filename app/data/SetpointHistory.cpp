#include "SetpointHistory.h"

#include <algorithm>

namespace {
int Column(const TResultTable& t, const char* name) {
    const int c = t.ColumnIndex(QLatin1String(name));
    if (c < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(QLatin1String(name)));
    return c;
}
} // namespace

std::vector<TSetpointHistoryRow> SetpointHistory(const TResultTable& commands, const TResultTable& records,
                                                 const std::vector<TSetpointFollowUp>& followed,
                                                 int takeSeconds, TDateTime start, TDateTime stop,
                                                 TDateTime now) {
    const int cMoment = Column(commands, "RecMoment"), cUser = Column(commands, "UserName"),
              cValue = Column(commands, "_PLSZ");
    const int rMoment = Column(records, "RecMoment"), rPlsz = Column(records, "PLSZ");

    std::vector<TSetpointHistoryRow> rows;
    TSetpointFollow replay(takeSeconds);
    // The machine's clock is the records' own: a setpoint is given the time
    // from its row's moment, whatever the workstation's clock said.
    replay.OnChange = [&rows](const TSetpointFollowUp& f) {
        TSetpointHistoryRow& row = rows[size_t(f.serial - 1)];
        row.state = f.state;
        row.takenAt = f.takenAt;
    };
    int r = 0;
    auto feedRecordsBefore = [&](TDateTime moment, bool inclusive) {
        for (; r < records.RowCount(); ++r) {
            const TDateTime at = records.Number(r, rMoment);
            if (inclusive ? at > moment : at >= moment)
                break;
            replay.Tick(at);
            replay.Record(at, records.Number(r, rPlsz), at);
        }
    };
    for (int i = 0; i < commands.RowCount(); ++i) {
        if (commands.IsNull(i, cValue))
            continue;
        const TDateTime at = commands.Number(i, cMoment);
        // Records of the same second were written after the row was read.
        feedRecordsBefore(at, false);
        replay.Tick(at);
        TSetpointHistoryRow row;
        row.moment = at;
        row.value = commands.Number(i, cValue);
        row.user = commands.Text(i, cUser);
        rows.push_back(row);
        const int serial = replay.Sending(row.value, at);
        replay.Stored(serial, at, row.user, at);
    }
    feedRecordsBefore(stop, true);
    replay.Tick(std::min(now, stop + takeSeconds * OneSecond));

    // What only this program knows: setpoints whose row was never found.
    for (const TSetpointFollowUp& f : followed) {
        if (f.sentAt > 0 || (f.state != TSetpointState::Unknown && f.state != TSetpointState::Checking))
            continue;
        const TDateTime asked = f.asked;
        if (asked < start || asked > stop)
            continue;
        TSetpointHistoryRow row;
        row.moment = asked;
        row.value = f.value;
        row.state = f.state;
        rows.push_back(row);
    }
    std::stable_sort(
        rows.begin(), rows.end(),
        [](const TSetpointHistoryRow& a, const TSetpointHistoryRow& b) { return a.moment < b.moment; });
    return rows;
}
