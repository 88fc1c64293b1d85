#pragma once
// Services the windows share on their elements: colouring a Tag group, and the
// per-parent font files of labels.

#include "TColor.h"

class QObject;
class QWidget;

// Every component of owner whose Tag equals tag gets the colour in its class's
// way; the class is compared by exact name, so a derived class is left alone.
void SetColorByTag(QObject* owner, int tag, TColor color);

// The font of a control in ".\config\" + its parent's name + ".INI", section =
// its own name: FontColor, FontSize, FontName. False when reading or writing
// failed (the control keeps what it had reached).
bool LoadFont(QWidget* control);
// error, when given, gets the reason of a failed save.
bool SaveFont(QWidget* control, QString* error = nullptr);
// The font dialog on the control's font; on OK the control takes the font and
// SaveFont stores it; a font that could not be stored is said to the operator.
bool ChooseFont(QWidget* control, QWidget* owner);

#include "DateTime.h"

#include <optional>

class TDateTimePicker;
// Puts the shift day of now into a window's day picker, unless the operator
// has chosen another day since the window last put one there (`picked`
// remembers that day; empty before the first). So a window started at 06:50
// and first opened at 07:10 opens on the shift day that has begun, and a day
// the operator chose is never taken from him. Returns whether it picked.
bool PickCurrentShiftDay(TDateTimePicker& picker, std::optional<TDateTime>& picked);

// A load that takes longer than a moment names itself in the window's caption
// (the main window's title shows the caption of the window in front), so the
// operator sees why the list has not changed yet; on is called when a load
// starts, off when it has ended either way.
void ShowLoadingCaption(QWidget* window, bool on);
// The words the caption gets while a load goes on.
extern const char* const kLoadingCaptionSuffix;
