#include "Global.h"

int FirstChangeStart = 7;
int DateIncrement = 0;
bool ShutdownOnExit = false;
QString TempDir;
QString TemplateDir;
bool InteractiveSetupMode = false;

#include "Platform.h"

#include <cmath>

bool GetShiftPeriod(TDateTime day, int shift, TDateTime& start, TDateTime& stop) {
    const TDateTime base = std::trunc(day) + DateIncrement;
    start = base + EncodeTime(FirstChangeStart, 0, 0);
    const TDateTime halfDay = EncodeTime(11, 59, 59);
    if (shift == 1) {
        stop = start + halfDay;
    } else if (shift == 2) {
        start = start + EncodeTime(12, 0, 0);
        stop = start + halfDay;
    } else {
        stop = start + EncodeTime(23, 59, 59);
    }
    return true;
}

TDateTime ShiftDayOf(TDateTime moment) {
    // Whole milliseconds, so that 07:00:00 sharp (which a double holds only
    // nearly) is not taken for a moment of the day before.
    constexpr qint64 kMsPerDay = 86400000;
    const qint64 ms = std::llround(moment * double(kMsPerDay)) - qint64(FirstChangeStart) * 3600000;
    qint64 day = ms / kMsPerDay;
    if (ms % kMsPerDay < 0)
        --day;
    return TDateTime(day - DateIncrement);
}

QString RangeClause(TDateTime start, TDateTime stop) {
    return QStringLiteral(" where RecMoment >= '") + SqlDateTimeText(start) + QStringLiteral("' and RecMoment <= '") +
           SqlDateTimeText(stop) + QLatin1Char('\'');
}

double StepWrap(double value, double maximum, double step, double minimum) {
    double r = value + step;
    if (r > maximum)
        r = minimum;
    if (r < minimum)
        r = maximum;
    return r;
}

#include <QPointer>
#include <vector>

namespace {
struct SetupModeHook {
    QPointer<QObject> receiver;
    std::function<void()> apply;
};
std::vector<SetupModeHook>& SetupModeHooks() {
    static std::vector<SetupModeHook> hooks;
    return hooks;
}
} // namespace

void OnSetupModeChanged(QObject* receiver, std::function<void()> apply) {
    SetupModeHooks().push_back({receiver, std::move(apply)});
}

void SetInteractiveSetupMode(bool on) {
    InteractiveSetupMode = on;
    auto& hooks = SetupModeHooks();
    std::erase_if(hooks, [](const SetupModeHook& h) { return h.receiver.isNull(); });
    const auto current = hooks; // an apply may register or end windows
    for (const SetupModeHook& h : current)
        if (h.receiver)
            h.apply();
}
