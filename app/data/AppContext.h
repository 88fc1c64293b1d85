#pragma once
// What a window needs of the program, handed to it when it is made: the
// connection, the live look at the plant, the configuration and where the
// program's files are. The main window provides it; a test provides its own.
// Windows reach the program only through this, never through the main
// window, so the arrows run from the shell to the windows and not back.

#include "MainConfig.h"
#include "StatePoll.h"
#include "TColor.h"

#include <QString>

class QWidget;
class TAlarmService;
class TSQLConnection;

class TAppContext {
public:
    virtual ~TAppContext() = default;

    // The program's connection (its live and history sessions).
    virtual TSQLConnection* Connection() const = 0;
    // The link circle's colour as shown now.
    virtual TColor LinkColour() const = 0;
    // The newest process record, when there is one to show.
    virtual bool LastDataActive() const = 0;
    virtual TLastData LastData() const = 0;
    // The constant MIN_PLS as read after the last connect.
    virtual double MinPLS() const = 0;
    // The child window in front.
    virtual QWidget* CurrentChild() const = 0;
    // The folder of the executable, with a trailing "/"; the main
    // configuration file and its values.
    virtual QString ExeDir() const = 0;
    virtual QString IniFileName() const = 0;
    virtual TMainConfig& Config() = 0;
    // The window that owns dialogs.
    virtual QWidget* DialogOwner() const = 0;
    // The program's alarms (the scheme frames its values in alarm); none in a
    // context without a program.
    virtual TAlarmService* Alarms() const { return nullptr; }
};

// A context without a program behind it: no connection, no live record. For
// windows made on their own (a picture of a window, a tool, a test).
TAppContext& NoAppContext();
