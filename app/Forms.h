#pragma once
// The windows of the program, created once at start in a fixed order and kept
// until the end. Windows still to be built stand as empty child windows or
// dialogs with their captions, so the actions already work.

#include <QDialog>
#include <QWidget>

// An empty child window of the frame.
class TChildForm : public QWidget {
    Q_OBJECT
public:
    TChildForm(const QString& name, const QString& caption, QWidget* parent = nullptr);
};

// An empty modal dialog with a close button.
class TDialogForm : public QDialog {
    Q_OBJECT
public:
    TDialogForm(const QString& name, const QString& caption, QWidget* parent = nullptr);
};

extern QDialog* FormAbout;
extern QWidget* FormLogView;
extern QDialog* FormConfig;
extern QWidget* FormBaseView;
extern QWidget* FormGraphSuspLevel;
extern QWidget* FormGraphHardParams;
extern QWidget* FormGraphDSUS;

// The main menu (MainMenu.h), the scheme (Mnemo.h) and the element editors
// (Editors.h) have their own units.

// Creates the windows after the main window, in the start order.
void CreateForms();
// Destroys them (the main window last, by its owner).
void DestroyForms();
