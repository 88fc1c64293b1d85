#pragma once
// Everything the platform does for the program and that a test must observe or
// must keep from happening goes through this one interface: beeps, modal
// dialogs and message boxes, the wall clock, and the power-off at exit.
// Tests install their own implementation (see tests/common).

#include "DateTime.h"
#include "TColor.h"

#include <QMessageBox>
#include <QString>
#include <functional>

class QDialog;
class QFont;
class QWidget;

class Platform {
public:
    virtual ~Platform() = default;

    virtual void Beep();
    // The alarm tone: sounding from on until off. The program's own plays it
    // through the player the start-up installs (SetAlarmTonePlayer); with
    // none it is silent.
    virtual void AlarmTone(bool on);
    // A message box; returns the button pressed (Escape or closing gives the
    // escape button of the set: No, Cancel or Ok).
    virtual QMessageBox::StandardButton MessageBox(const QString& text, const QString& caption,
                                                   QMessageBox::Icon icon,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton);
    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    // Tests fill the dialog's fields and answer instead.
    virtual int ExecDialog(QDialog& dialog);
    virtual bool ChooseColor(TColor& color, QWidget* parent);
    // The font and its colour (TFontDialog, run through ExecDialog); on OK both
    // are replaced by the choice.
    virtual bool ChooseFont(QFont& font, TColor& color, QWidget* parent);
    // The save-file dialog: the chosen path, or empty when the operator cancelled.
    virtual QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& fileName,
                                   const QString& filter);
    virtual TDateTime Now();
    virtual quint64 TickCountMs();
    // Asks the system to power the computer off for the logged-in operator.
    virtual bool ShutdownComputer();
};

// The platform in use; the program's own until a test installs another.
Platform& Plat();
// Installs p (not owned; nullptr restores the program's own). Returns the previous one.
Platform* SetPlatform(Platform* p);

// The player of the program's own AlarmTone (the desktop's sound output).
void SetAlarmTonePlayer(std::function<void(bool)> player);

// Shorthands used throughout the program.
inline void Beep() { Plat().Beep(); }
inline TDateTime Now() { return Plat().Now(); }
// Error box: caption "Ошибка", error icon, OK.
void ShowError(const QString& text);
