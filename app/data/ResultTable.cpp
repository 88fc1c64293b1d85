#include "ResultTable.h"

#include <QDate>
#include <charconv>

bool IsConnectionLostError(int code) {
    switch (code) {
    case 1053: // server shutdown in progress
    case 1927: // connection killed
    case 2002: // cannot connect through socket
    case 2003: // cannot connect to the server
    case 2006: // server has gone away
    case 2013: // lost connection during query
    case 2055: // lost connection, system error
    case 4031: // disconnected by the server after inactivity
        return true;
    default:
        return false;
    }
}

namespace {
// A run of digits of exactly n characters at p.
bool Digits(const char* p, const char* end, int n, int& value) {
    if (end - p < n)
        return false;
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}
} // namespace

bool ParseSqlDateTime(const char* text, size_t length, TDateTime& result) {
    const char* p = text;
    const char* end = text + length;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    double fraction = 0;
    const bool hasDate = length >= 10 && p[4] == '-' && p[7] == '-';
    TDateTime date = 0;
    if (hasDate) {
        if (!Digits(p, end, 4, y) || !Digits(p + 5, end, 2, mo) || !Digits(p + 8, end, 2, d))
            return false;
        p += 10;
        if (y == 0 && mo == 0 && d == 0) {
            date = 0; // the zero date
        } else {
            if (mo < 1 || mo > 12 || d < 1 || d > QDate(y, mo, 1).daysInMonth())
                return false;
            date = EncodeDate(y, mo, d);
        }
        if (p == end) {
            result = date;
            return true;
        }
        if (*p != ' ' && *p != 'T')
            return false;
        ++p;
    }
    if (!Digits(p, end, 2, h) || end - p < 8 || p[2] != ':' || !Digits(p + 3, end, 2, mi) || p[5] != ':' ||
        !Digits(p + 6, end, 2, s))
        return false;
    p += 8;
    if (p < end && *p == '.') {
        double scale = 0.1;
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, scale /= 10)
            fraction += (*p - '0') * scale;
    }
    if (p != end || mi > 59 || s > 59)
        return false;
    const TDateTime time = (h * 3600.0 + mi * 60.0 + s + fraction) / kSecondsPerDay;
    result = date + time;
    return true;
}

void TResultTable::Clear() {
    columns_.clear();
    rows_ = 0;
}

void TResultTable::AddColumn(const QString& name, Type type) {
    Column c;
    c.name = name;
    c.type = type;
    columns_.push_back(std::move(c));
}

void TResultTable::AppendRow(const std::vector<std::pair<const char*, size_t>>& cells) {
    for (size_t i = 0; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        const char* v = i < cells.size() ? cells[i].first : nullptr;
        const size_t n = i < cells.size() ? cells[i].second : 0;
        c.null.push_back(v == nullptr);
        switch (c.type) {
        case Type::Number: {
            double x = 0;
            if (v) {
                const auto r = std::from_chars(v, v + n, x);
                if (r.ec != std::errc())
                    x = 0;
            }
            c.number.push_back(x);
            break;
        }
        case Type::DateTime: {
            TDateTime t = 0;
            if (v && !ParseSqlDateTime(v, n, t))
                t = 0;
            c.number.push_back(t);
            break;
        }
        case Type::Text:
            c.text.append(v ? QString::fromUtf8(v, qsizetype(n)) : QString());
            break;
        }
    }
    ++rows_;
}

int TResultTable::ColumnIndex(const QString& name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

double TResultTable::Number(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.type != Type::Text)
        return col.number[size_t(row)];
    bool ok = false;
    const double x = col.text[row].trimmed().toDouble(&ok);
    return ok ? x : 0.0;
}

QString TResultTable::Text(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.null[size_t(row)])
        return QString();
    switch (col.type) {
    case Type::Text:
        return col.text[row];
    case Type::DateTime:
        return SqlDateTimeText(col.number[size_t(row)]);
    case Type::Number:
        break;
    }
    return QString::number(col.number[size_t(row)], 'g', 17);
}

QVariant TResultTable::Value(int row, int c) const {
    const Column& col = columns_[size_t(c)];
    if (col.null[size_t(row)])
        return QVariant();
    switch (col.type) {
    case Type::Number:
        return col.number[size_t(row)];
    case Type::DateTime:
        return DateTimeToQ(col.number[size_t(row)]);
    case Type::Text:
        break;
    }
    return col.text[row];
}

