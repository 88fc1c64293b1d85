#pragma once
// Number <-> text conversions with the workstation's conventions: integers in
// decimal or "0x"/"$" hexadecimal, floats with the workstation's decimal separator.

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

// The workstation's decimal separator. Starts as the system locale's; tests and
// the configuration may change it for the whole program.
QChar DecimalSeparator();
void SetDecimalSeparator(QChar sep);

// Whole text (after trimming blanks) must be an integer: optional sign and decimal
// digits, or "0x"/"$" followed by hexadecimal digits. Hexadecimal texts are read as
// 32-bit patterns, so "0xFFFFFFFF" is -1 as the colour keys expect.
std::optional<std::int32_t> StrToIntOpt(const QString& text);
std::int32_t StrToIntDef(const QString& text, std::int32_t def);

// Whole text (after trimming blanks): optional sign, digits with at most one
// decimal separator (the given one), at least one digit, optional exponent.
// Texts that do not have this form, or overflow to infinity, give nothing.
std::optional<double> StrToFloatOpt(const QString& text, QChar decimalSeparator);
inline std::optional<double> StrToFloatOpt(const QString& text) {
    return StrToFloatOpt(text, DecimalSeparator());
}

// The same for numbers read back from files and lists the program wrote: the
// workstation's separator, or else a point or a comma, so that what was written
// under one decimal separator reads under the other.
std::optional<double> StoredStrToFloatOpt(const QString& text);

// General format with up to 15 significant digits: fixed notation for ordinary
// values, scientific ("1.5E20", "1E-6") for very large or very small ones.
QString FloatToStr(double x, QChar decimalSeparator);
inline QString FloatToStr(double x) { return FloatToStr(x, DecimalSeparator()); }
