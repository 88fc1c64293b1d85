#include "FormatFloat.h"

#include "NumText.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

QChar& ThousandStorage() {
    static QChar sep = [] {
        const QString g = QLocale::system().groupSeparator();
        return g.isEmpty() ? QChar(',') : g.at(0);
    }();
    return sep;
}

constexpr int kPrecision = 15;   // significant digits of a double
constexpr int kMaxFixedExp = 18; // beyond this, fixed notation gives way to the general one

bool IsQuote(QChar c) {
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// The sections of a pattern, split at ";" outside quotes (at most three).
QList<QStringView> Sections(QStringView pattern) {
    QList<QStringView> out;
    int start = 0;
    QChar quote;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out.append(pattern.mid(start, i - start));
            start = i + 1;
            if (out.size() == 3)
                return out;
        }
    }
    out.append(pattern.mid(start));
    return out;
}

bool IsExponent(QStringView s, int i) {
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size() &&
           (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

struct Scan {
    int digitCount = 0;    // all placeholders of the mantissa
    int decimalIndex = -1; // placeholders before the decimal point
    int firstDigit = 0;    // integer positions from the first "0" to the point: always shown
    int lastDigit = 0;     // fraction positions up to the last "0": always shown
    bool thousands = false;
    bool scientific = false;
};

Scan ScanSection(QStringView s) {
    Scan r;
    int first = -1, last = 0;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (IsQuote(c)) {
            const int close = s.indexOf(c, i + 1);
            i = close < 0 ? s.size() : close;
        } else if (c == QLatin1Char('#')) {
            ++r.digitCount;
        } else if (c == QLatin1Char('0')) {
            if (first < 0)
                first = r.digitCount;
            ++r.digitCount;
            last = r.digitCount;
        } else if (c == QLatin1Char('.')) {
            if (r.decimalIndex < 0)
                r.decimalIndex = r.digitCount;
        } else if (c == QLatin1Char(',')) {
            r.thousands = true;
        } else if (IsExponent(s, i) && !r.scientific) {
            r.scientific = true;
            i += 2;
            while (i < s.size() && s[i] == QLatin1Char('0'))
                ++i;
            --i;
        }
    }
    if (r.decimalIndex < 0)
        r.decimalIndex = r.digitCount;
    r.firstDigit = first < 0 ? 0 : r.decimalIndex - first;
    if (r.firstDigit < 0)
        r.firstDigit = 0;
    r.lastDigit = last > r.decimalIndex ? last - r.decimalIndex : 0;
    return r;
}

// |value| as 0.D x 10^E with D free of leading and trailing zeros ("" for zero).
struct Decimal {
    QByteArray digits;
    int exponent = 0;
};

// Rounds half away from zero to count significant digits, or to count digits
// after the point.
Decimal ToDecimal(double value, bool significant, int count) {
    Decimal d;
    // std::to_chars: printf would follow the C library's locale, which is the
    // environment's.
    char buf[64];
    const char* end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, kPrecision - 1).ptr;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    QByteArray mant;
    for (const char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9')
            mant.append(*p);
    int exp10 = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exp10);
    d.exponent = exp10 + 1;
    if (mant.count('0') == mant.size())
        return {};
    const int keep = significant ? count : d.exponent + count;
    if (keep < mant.size()) {
        if (keep < 0)
            return {};
        const bool up = mant[keep] >= '5';
        mant.truncate(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && mant[i] == '9')
                mant[i--] = '0';
            if (i < 0) {
                mant.prepend('1');
                ++d.exponent;
            } else {
                mant[i] = char(mant[i] + 1);
            }
        }
    }
    while (!mant.isEmpty() && mant.back() == '0')
        mant.chop(1);
    if (mant.isEmpty())
        return {};
    d.digits = mant;
    return d;
}

class Writer {
public:
    // e10: the value is 0.D x 10^e10 as written (for scientific notation the
    // mantissa, shifted so that the integer placeholders take its first digits).
    Writer(const Decimal& d, int e10, const Scan& s, QChar dec, QChar thou)
        : d_(d), e10_(e10), n_(std::max(e10, 0)), s_(s), dec_(dec), thou_(thou), intPos_(s.decimalIndex) {}

    QString Apply(QStringView sec, int exponent) {
        for (int i = 0; i < sec.size(); ++i) {
            const QChar c = sec[i];
            if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
                Placeholder();
            } else if (c == QLatin1Char('.')) {
                if (!pointSeen_) {
                    pointSeen_ = true;
                    if (s_.decimalIndex == 0)
                        Extra(1);
                    if (s_.lastDigit > 0 || int(d_.digits.size()) > e10_)
                        out_ += dec_;
                }
            } else if (c == QLatin1Char(',')) {
                // a flag for the integer part, not a character of the output
            } else if (IsQuote(c)) {
                const int close = sec.indexOf(c, i + 1);
                const int end = close < 0 ? sec.size() : close;
                out_ += sec.mid(i + 1, end - i - 1);
                i = end;
            } else if (s_.scientific && IsExponent(sec, i)) {
                out_ += c;
                const bool always = sec[i + 1] == QLatin1Char('+');
                i += 2;
                int zeros = 0;
                while (i < sec.size() && sec[i] == QLatin1Char('0')) {
                    ++zeros;
                    ++i;
                }
                --i;
                if (exponent < 0)
                    out_ += QLatin1Char('-');
                else if (always)
                    out_ += QLatin1Char('+');
                out_ +=
                    QString::number(std::abs(exponent)).rightJustified(std::min(zeros, 4), QLatin1Char('0'));
            } else {
                out_ += c;
            }
        }
        return out_;
    }

private:
    // Index in the digits of fraction position q (1 = tenths).
    int DigitIndex(int q) const { return e10_ + q - 1; }
    // The digit of integer position p (1 = units).
    QChar IntDigit(int p) const {
        const int i = e10_ - p;
        return i >= 0 && i < d_.digits.size() ? QChar(d_.digits[i]) : QChar('0');
    }
    void PutInt(int p, QChar ch) {
        out_ += ch;
        if (s_.thousands && p > 1 && (p - 1) % 3 == 0)
            out_ += thou_;
    }
    // Integer digits beyond the placeholders go where the first placeholder is.
    void Extra(int lowest) {
        if (extraDone_)
            return;
        extraDone_ = true;
        for (int p = n_; p >= lowest && p > s_.decimalIndex; --p)
            PutInt(p, IntDigit(p));
    }
    void Placeholder() {
        if (intPos_ > 0) {
            Extra(intPos_ + 1);
            const int p = intPos_--;
            if (p <= n_)
                PutInt(p, IntDigit(p));
            else if (p <= s_.firstDigit)
                PutInt(p, QLatin1Char('0'));
            return;
        }
        if (!extraDone_)
            Extra(1);
        const int q = ++fracPos_;
        const int i = DigitIndex(q);
        // "0" always shows a digit, "#" only while significant digits remain.
        if (q <= s_.lastDigit || i < int(d_.digits.size()))
            out_ += i >= 0 && i < int(d_.digits.size()) ? QChar(d_.digits[i]) : QChar('0');
    }

    const Decimal& d_;
    int e10_;
    int n_; // integer digits of the value as written
    const Scan& s_;
    QChar dec_, thou_;
    int intPos_;
    int fracPos_ = 0;
    bool pointSeen_ = false;
    bool extraDone_ = false;
    QString out_;
};

} // namespace

QChar ThousandSeparator() {
    return ThousandStorage();
}
void SetThousandSeparator(QChar sep) {
    ThousandStorage() = sep;
}

QString FormatFloat(const QString& pattern, double value) {
    return FormatFloat(pattern, value, DecimalSeparator(), ThousandSeparator());
}

QString FormatFloat(const QString& pattern, double value, QChar decimalSeparator, QChar thousandSeparator) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const QList<QStringView> sections = Sections(pattern);
    if (sections.at(0).isEmpty())
        return FloatToStr(value, decimalSeparator);
    auto usable = [&](int i) { return i < sections.size() && !sections.at(i).isEmpty(); };

    int section = value > 0 ? 0 : value < 0 ? 1 : 2;
    if (!usable(section))
        section = 0;
    Scan scan = ScanSection(sections.at(section));
    auto decimalFor = [&](const Scan& s) {
        return s.scientific ? ToDecimal(value, true, std::clamp(s.digitCount, 1, kPrecision))
                            : ToDecimal(value, false, s.digitCount - s.decimalIndex);
    };
    Decimal d = decimalFor(scan);
    if (d.digits.isEmpty() && section != 2 && usable(2)) {
        // Rounds to zero: shown as zero.
        section = 2;
        scan = ScanSection(sections.at(section));
        d = decimalFor(scan);
    }
    if (!scan.scientific && d.exponent > kMaxFixedExp)
        return FloatToStr(value, decimalSeparator);

    QString out;
    // A pattern without digits (a fixed text) shows no sign either; nor does a
    // value that rounds to zero.
    if (value < 0 && section == 0 && !d.digits.isEmpty() && scan.digitCount > 0)
        out += QLatin1Char('-');
    int e10 = d.exponent;
    int exponent = 0;
    if (scan.scientific) {
        e10 = scan.decimalIndex;
        exponent = d.digits.isEmpty() ? 0 : d.exponent - scan.decimalIndex;
    }
    Writer w(d, e10, scan, decimalSeparator, thousandSeparator);
    return out + w.Apply(sections.at(section), exponent);
}
