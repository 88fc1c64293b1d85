#include "NumText.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

QChar& SeparatorStorage() {
    static QChar sep = [] {
        const QString p = QLocale::system().decimalPoint();
        return p.isEmpty() ? QChar('.') : p.at(0);
    }();
    return sep;
}

bool IsBlank(QChar c) { return c.unicode() <= ' '; }

} // namespace

QChar DecimalSeparator() { return SeparatorStorage(); }
void SetDecimalSeparator(QChar sep) { SeparatorStorage() = sep; }

std::optional<std::int32_t> StrToIntOpt(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int pos = 0;
    bool negative = false;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        pos = 1;
    }
    int base = 10;
    if (t.mid(pos, 1) == QLatin1String("$")) {
        base = 16;
        pos += 1;
    } else if (t.mid(pos, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        pos += 2;
    }
    if (pos >= t.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (int i = pos; i < t.size(); ++i) {
        const int d = QChar(t[i]).isDigit() && t[i].unicode() < 128 ? t[i].unicode() - '0'
                      : base == 16 && t[i].toLower() >= 'a' && t[i].toLower() <= 'f'
                          ? t[i].toLower().unicode() - 'a' + 10
                          : -1;
        if (d < 0 || d >= base)
            return std::nullopt;
        value = value * base + d;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 10) {
        const std::int64_t v = negative ? -std::int64_t(value) : std::int64_t(value);
        if (v < INT32_MIN || v > INT32_MAX)
            return std::nullopt;
        return std::int32_t(v);
    }
    const auto bits = std::int32_t(std::uint32_t(value));
    return negative ? std::int32_t(-std::int64_t(bits)) : bits;
}

std::int32_t StrToIntDef(const QString& text, std::int32_t def) {
    const auto v = StrToIntOpt(text);
    return v ? *v : def;
}

std::optional<double> StrToFloatOpt(const QString& text, QChar decimalSeparator) {
    int b = 0, e = int(text.size());
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    std::string s;
    s.reserve(std::size_t(e - b));
    int i = b;
    if (i < e && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            s += '-';
        ++i;
    }
    int digits = 0;
    bool seenSeparator = false;
    for (; i < e; ++i) {
        const QChar c = text[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            s += char(c.unicode());
            ++digits;
        } else if (c == decimalSeparator && !seenSeparator) {
            seenSeparator = true;
            s += '.';
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        s += 'e';
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-')) {
            s += char(text[i].unicode());
            ++i;
        }
        int expDigits = 0;
        for (; i < e && text[i].unicode() >= '0' && text[i].unicode() <= '9'; ++i, ++expDigits)
            s += char(text[i].unicode());
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != e)
        return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is no number the program can use.
        const auto ePos = s.find('e');
        if (ePos != std::string::npos && s[ePos + 1] == '-')
            return s[0] == '-' ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> StoredStrToFloatOpt(const QString& text) {
    const QChar own = DecimalSeparator();
    if (const auto v = StrToFloatOpt(text, own))
        return v;
    for (const QChar other : {QChar('.'), QChar(',')})
        if (other != own)
            if (const auto v = StrToFloatOpt(text, other))
                return v;
    return std::nullopt;
}

QString FloatToStr(double x, QChar decimalSeparator) {
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (x == 0)
        return QStringLiteral("0");
    // Round to 15 significant digits first; the exponent of the rounded value
    // decides between fixed and scientific notation. std::to_chars, not printf:
    // the C library's locale is the environment's (a comma under ru_RU), and
    // the separator is ours to choose.
    char buf[64];
    const auto sciEnd = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14).ptr;
    const std::string sci(buf, sciEnd);
    const auto ePos = sci.find('e');
    int exp = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exp);
    QString out;
    if (exp >= 15 || exp < -5) {
        std::string mant = sci.substr(0, ePos);
        while (!mant.empty() && mant.back() == '0')
            mant.pop_back();
        if (!mant.empty() && mant.back() == '.')
            mant.pop_back();
        out = QString::fromLatin1(mant.c_str()) + QLatin1Char('E') + QString::number(exp);
    } else {
        const auto fixedEnd =
            std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, std::max(0, 14 - exp)).ptr;
        std::string fixed(buf, fixedEnd);
        if (fixed.find('.') != std::string::npos) {
            while (fixed.back() == '0')
                fixed.pop_back();
            if (fixed.back() == '.')
                fixed.pop_back();
        }
        // (No assignment of a literal to the std::string here: GCC 12 reports a
        // false -Wrestrict inside it in the sanitizer build.)
        out = fixed == "-0" ? QStringLiteral("0") : QString::fromLatin1(fixed.c_str());
    }
    out.replace(QLatin1Char('.'), decimalSeparator);
    return out;
}
