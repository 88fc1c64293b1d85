#pragma once
// The windows and layouts name Windows fonts ("Times New Roman", "MS Sans Serif",
// ...); the metric-compatible Liberation fonts stand in for them, so texts keep
// the widths the layouts were made for. fontconfig maps the first three by
// itself, the others it would give to DejaVu or a symbol font. "Symbol" is the
// clock's font and shows plain digits.
//
// Installs the substitutions for the whole process; call once after the
// application object exists, before any text is measured.
void InstallFontSubstitutes();
