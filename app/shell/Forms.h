#pragma once
// The windows of the program, created once at start in a fixed order and kept
// until the end. They are listed in one table in Forms.cpp: a window costs one
// line there ({its global, how to make it}).

#include <QDialog>
#include <QWidget>

extern QDialog* FormAbout;
// The main menu (MainMenu.h), the scheme (Mnemo.h), the journal (Logview.h),
// the settings dialog (Config.h), the database browser (Baseview.h), the
// setpoint dialog (Inputnewset.h), the element editors (Editors.h), the trend
// windows (GraphHardParams.h, GraphSuspLevel.h, GraphDSUS.h), their point
// windows (GraphPoint.h), the chart settings dialog (Editgraph.h) and the
// report print window (Webprint.h) declare their globals in their own units.

// Creates the windows after the main window, in the start order. Child windows
// go into the main window's frame, dialogs belong to the main window.
void CreateForms();
// Forgets them all: the main window's destruction deletes them (it owns them
// all), so call this after it, or before building a new main window in tests.
void DestroyForms();
