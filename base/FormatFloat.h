#pragma once
// Float format patterns as the workstation's layouts and configuration write
// them ("###0 кг/м", "#0.0", "###%", "##0.0 %; ;  ").
//
//   0       a digit, or 0 where the value has none
//   #       a digit, or nothing
//   .       the decimal separator (written as the workstation's one); shown only
//           when a digit follows it
//   ,       anywhere before the decimal point: group the integer digits by three
//           with the thousands separator
//   E+ E- e+ e-  scientific notation; the 0s after the sign give the least number
//           of exponent digits (at most 4); "+" always shows the sign, "-" only a
//           negative one
//   'x' "x" quoted text, copied without the quotes
//   ;       separates the sections for positive, negative and zero values; an empty
//           negative or zero section (nothing between the semicolons) falls back to
//           the first section, and only then does a negative value get a leading
//           "-"; a value that rounds to zero takes the zero section when there is one
//   other characters (letters, blanks, "%", "/") are copied unchanged
//
// The value is rounded half away from zero to the placeholders after the point
// (after its 15 significant digits). More integer digits than placeholders are
// all shown. An empty pattern or empty first section, and values of 1e18 and
// beyond in fixed notation, give the general format (FloatToStr); NaN and the
// infinities give "NAN", "INF" and "-INF".

#include <QChar>
#include <QString>

QString FormatFloat(const QString& pattern, double value);
QString FormatFloat(const QString& pattern, double value, QChar decimalSeparator, QChar thousandSeparator);

// The workstation's thousands separator (starts as the system locale's).
QChar ThousandSeparator();
void SetThousandSeparator(QChar sep);
