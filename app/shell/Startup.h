#pragma once
class QApplication;

// Font substitutions (every font the windows name renders with Cyrillic) and
// Qt's Russian translations for the standard buttons ("Да", "Нет", "Отмена").
void InitApplication(QApplication& app);

// "--version" and "--help" print the version and where the program keeps its
// files, without starting the window; the return value is then the exit code.
// Nothing for any other command line (the program starts as usual).
#include <optional>
std::optional<int> HandleCommandLine(int argc, char** argv);
