#include "Global.h"

int FirstChangeStart = 7;
int DateIncrement = 0;
bool ShutdownOnExit = false;
QString TempDir;
QString TemplateDir;
bool InteractiveSetupMode = false;
