#pragma once
// The font chooser of the workstation: Qt's font dialog (face, size, bold,
// italic, underline, strike-out) with a colour button under it, because a font
// on the scheme is chosen together with its colour and Qt's dialog has none.
// Platform::ChooseFont runs it.

#include "TColor.h"

#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

class TFontDialog : public QDialog {
    Q_OBJECT
public:
    TFontDialog(const QFont& font, TColor color, QWidget* parent = nullptr);

    QFont SelectedFont() const;
    TColor SelectedColor() const { return color_; }

    // The embedded font dialog and the colour button (tests drive them).
    QFontDialog* Fonts() const { return fonts_; }
    QPushButton* ButColor() const { return butColor_; }

private:
    void ChooseColorClick();
    void ShowColor();

    QFontDialog* fonts_;
    QPushButton* butColor_;
    TColor color_;
};
