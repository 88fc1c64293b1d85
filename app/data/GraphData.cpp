#include "GraphData.h"

#include "NumText.h"

#include <cmath>

namespace {

// Moments are sums of day counts and step fractions: compare them with a
// tolerance far below the one-second resolution of the records.
constexpr TDateTime kMomentEpsilon = 0.001 * OneSecond;

int Column(const TResultTable& rows, const QString& name) {
    const int c = rows.ColumnIndex(name);
    if (c < 0)
        throw EDatabaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
    return c;
}

} // namespace

int LoadTrendRecords(const TResultTable& rows, const QList<TTrendSeries>& series, TDateTime& lastMoment,
                     const TTrendPlot& plot, const std::function<void(int row)>& progress) {
    const int count = rows.RowCount();
    if (count == 0)
        return 0;
    // Names resolved once; the row loop reads by index.
    const int moment = Column(rows, QStringLiteral("RecMoment"));
    struct Source {
        int value;
        int zeroWhen; // -1: none
    };
    std::vector<Source> sources;
    for (const TTrendSeries& s : series)
        sources.push_back(
            {Column(rows, s.field), s.zeroWhenAbove.isEmpty() ? -1 : Column(rows, s.zeroWhenAbove)});
    std::vector<double> values(sources.size());

    TDateTime previous = 0;
    for (int r = 0; r < count; ++r) {
        if (progress)
            progress(r);
        const TDateTime t = rows.Number(r, moment);
        for (size_t k = 0; k < sources.size(); ++k) {
            const Source& s = sources[k];
            values[k] = s.zeroWhen >= 0 && rows.Number(r, s.zeroWhen) > 0.5 ? 0.0 : rows.Number(r, s.value);
        }
        TDateTime p = t;
        if (r > 0 && t - previous <= kTrendGap + kMomentEpsilon)
            p = previous;
        // At most kTrendGap / kTrendFillStep + 1 points per row.
        do {
            lastMoment = p;
            for (size_t k = 0; k < sources.size(); ++k)
                plot(int(k), p, values[k]);
            previous = p;
            p += kTrendFillStep;
        } while (t - p > kMomentEpsilon);
    }
    return count;
}

void TTrendRows::Clear() {
    moments_.clear();
    values_.clear();
    null_.clear();
}

int TTrendRows::Append(const TResultTable& rows) {
    if (rows.RowCount() == 0)
        return 0;
    const int moment = Column(rows, QStringLiteral("RecMoment"));
    std::vector<int> columns;
    for (const QString& f : fields_)
        columns.push_back(Column(rows, f));
    const bool any = !moments_.empty();
    const TDateTime last = any ? moments_.back() : 0;
    int added = 0;
    for (int r = 0; r < rows.RowCount(); ++r) {
        const TDateTime t = rows.Number(r, moment);
        if (any && t <= last + kMomentEpsilon)
            continue;
        moments_.push_back(t);
        for (const int c : columns) {
            const bool null = rows.IsNull(r, c);
            null_.push_back(null);
            values_.push_back(null ? 0.0 : rows.Number(r, c));
        }
        ++added;
    }
    return added;
}

QByteArray TrendCsv(const TTrendRows& rows, const QStringList& headers) {
    QString text;
    text.reserve(64 + rows.Count() * (20 + 12 * int(rows.Fields().size())));
    const QChar sep(QLatin1Char(';'));
    const QString eol = QStringLiteral("\r\n");
    // A field with the separator or a quote in it goes in quotes.
    auto field = [&](const QString& s) {
        if (!s.contains(sep) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')))
            return s;
        return QLatin1Char('"') + QString(s).replace(QLatin1String("\""), QLatin1String("\"\"")) +
               QLatin1Char('"');
    };
    for (int c = 0; c < headers.size(); ++c) {
        if (c > 0)
            text += sep;
        text += field(headers[c]);
    }
    text += eol;
    const int columns = int(rows.Fields().size());
    for (int r = 0; r < rows.Count(); ++r) {
        text += FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), rows.Moment(r));
        for (int c = 0; c < columns; ++c) {
            text += sep;
            if (!rows.IsNull(r, c))
                text += FloatToStr(rows.Value(r, c), QLatin1Char(','));
        }
        text += eol;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
