#pragma once
// Shared INI helpers of the element library. Each writes or reads a group of
// keys of one object under a key prefix (a value field's pen: "PenWidth",
// "PenColor", "PenStyle"). Reads take the object's current value as default, so
// a missing key, or a text that is not a number, leaves the setting as it was.
// Writes throw IniFileError when the file cannot be written.

#include "IniFile.h"
#include "Styles.h"

#include <QString>
#include <QStringList>

// An INI path as the workstation names it (".\Colors.INI", ".\config\X.INI")
// turned into one this system opens: backslashes become slashes, and a relative
// path stays relative to the current directory.
QString IniPath(const QString& name);

bool SavePenConfig(IniFile& ini, const QString& section, const QString& prefix, const TPen& pen);
// Width, colour and style, in that order.
bool LoadPenConfig(const IniFile& ini, const QString& section, const QString& prefix, TPen& pen);
bool SaveFontConfig(IniFile& ini, const QString& section, const QString& prefix, const TFont& font);
// Size, colour and name, in that order.
bool LoadFontConfig(const IniFile& ini, const QString& section, const QString& prefix, TFont& font);
// prefix+"Count", then prefix+"L0" ... prefix+"L<Count-1>".
bool SaveStringsConfig(IniFile& ini, const QString& section, const QString& prefix, const QStringList& lines);
bool SaveStringsConfig(IniFile& ini, const QString& section, const QString& prefix, const TStringList& lines);
// Without a (non-negative) Count key: false, the list untouched. Otherwise the
// list is replaced; a missing line reads as "0". A Count above kMaxConfigLines
// counts as a damaged file: false, the list untouched.
constexpr int kMaxConfigLines = 100000;
bool LoadStringsConfig(const IniFile& ini, const QString& section, const QString& prefix, QStringList& lines);
bool LoadStringsConfig(const IniFile& ini, const QString& section, const QString& prefix, TStringList& lines);

// A colour key read with the current colour as default.
inline TColor ReadColor(const IniFile& ini, const QString& section, const QString& key, TColor current) {
    return ini.ReadInteger(section, key, current);
}

// The look of an element drawn with one pen and one brush (pump, polygon): the
// pen's keys under "Pen", then "BrushColor".
void SavePenBrushLook(IniFile& ini, const QString& section, const TPen& pen, const TBrush& brush);
void LoadPenBrushLook(const IniFile& ini, const QString& section, TPen& pen, TBrush& brush);
