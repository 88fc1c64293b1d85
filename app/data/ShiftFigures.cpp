#include "ShiftFigures.h"

#include <algorithm>

void TRangeFigure::Add(double v) {
    if (count == 0) {
        min = max = v;
    } else {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    mean += (v - mean) / ++count;
}

namespace {
int Column(const TResultTable& t, const char* name) {
    const int c = t.ColumnIndex(QLatin1String(name));
    if (c < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(QLatin1String(name)));
    return c;
}
} // namespace

TShiftFigures ShiftFigures(const TResultTable& records, double minPls, TDateTime start, TDateTime stop) {
    const int cMoment = Column(records, "RecMoment"), cPls = Column(records, "PLS"),
              cPlsz = Column(records, "PLSZ"), cAr1 = Column(records, "AR1");
    TShiftFigures f;
    f.records = records.RowCount();
    const double period = std::max(0.0, (stop - start) * kSecondsPerDay + 1); // both ends inclusive
    double covered = 0;
    for (int i = 0; i < records.RowCount(); ++i) {
        const double pls = records.Number(i, cPls);
        const bool running = pls > minPls;
        const bool manual = records.Number(i, cAr1) > 0.5;
        if (running) {
            f.density.Add(pls);
            if (!manual)
                f.setpoint.Add(records.Number(i, cPlsz));
        }
        const TDateTime at = records.Number(i, cMoment);
        const TDateTime next = i + 1 < records.RowCount() ? records.Number(i + 1, cMoment) : stop + OneSecond;
        const double step = std::clamp((next - at) * kSecondsPerDay, 0.0, TShiftFigures::kLongestStep);
        (running ? (manual ? f.manual : f.automatic) : f.stopped) += step;
        covered += step;
    }
    f.noData = std::max(0.0, period - covered);
    return f;
}
