#pragma once
// Program-wide settings read from the main configuration file (see TFormMain::LoadConfig).

#include <QString>

extern int FirstChangeStart;      // hour at which the first shift starts, 0..23
extern int DateIncrement;         // day offset of the shift periods
extern bool ShutdownOnExit;       // power the computer off when the program ends
extern QString TempDir;           // filled reports and chart pictures
extern QString TemplateDir;       // report templates
extern bool InteractiveSetupMode; // clicks on scheme elements open their editors
