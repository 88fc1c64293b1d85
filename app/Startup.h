#pragma once
class QApplication;

// Font substitutions (every font the windows name renders with Cyrillic) and
// Qt's Russian translations for the standard buttons ("Да", "Нет", "Отмена").
void InitApplication(QApplication& app);
