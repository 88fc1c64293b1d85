#include "Tamrixutil.h"

#include <QDir>

QString IniPath(const QString& name) {
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(path);
}

bool SavePenConfig(IniFile& ini, const QString& section, const QString& prefix, const TPen& pen) {
    ini.WriteInteger(section, prefix + QLatin1String("Width"), pen.GetWidth());
    ini.WriteInteger(section, prefix + QLatin1String("Color"), pen.GetColor());
    ini.WriteInteger(section, prefix + QLatin1String("Style"), int(pen.GetStyle()));
    return true;
}

bool LoadPenConfig(const IniFile& ini, const QString& section, const QString& prefix, TPen& pen) {
    pen.SetWidth(ini.ReadInteger(section, prefix + QLatin1String("Width"), pen.GetWidth()));
    pen.SetColor(ini.ReadInteger(section, prefix + QLatin1String("Color"), pen.GetColor()));
    const int style = ini.ReadInteger(section, prefix + QLatin1String("Style"), int(pen.GetStyle()));
    // An ordinal outside the known styles would make a pen nobody can draw with.
    if (style >= psSolid && style <= psInsideFrame)
        pen.SetStyle(TPenStyle(style));
    return true;
}

bool SaveFontConfig(IniFile& ini, const QString& section, const QString& prefix, const TFont& font) {
    ini.WriteInteger(section, prefix + QLatin1String("Size"), font.GetSize());
    ini.WriteInteger(section, prefix + QLatin1String("Color"), font.GetColor());
    ini.WriteString(section, prefix + QLatin1String("Name"), font.GetName());
    return true;
}

bool LoadFontConfig(const IniFile& ini, const QString& section, const QString& prefix, TFont& font) {
    font.SetSize(ini.ReadInteger(section, prefix + QLatin1String("Size"), font.GetSize()));
    font.SetColor(ini.ReadInteger(section, prefix + QLatin1String("Color"), font.GetColor()));
    font.SetName(ini.ReadString(section, prefix + QLatin1String("Name"), font.GetName()));
    return true;
}

bool SaveStringsConfig(IniFile& ini, const QString& section, const QString& prefix,
                       const QStringList& lines) {
    ini.WriteInteger(section, prefix + QLatin1String("Count"), int(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        ini.WriteString(section, prefix + QLatin1Char('L') + QString::number(i), lines.at(i));
    return true;
}

bool SaveStringsConfig(IniFile& ini, const QString& section, const QString& prefix,
                       const TStringList& lines) {
    return SaveStringsConfig(ini, section, prefix, lines.Strings());
}

bool LoadStringsConfig(const IniFile& ini, const QString& section, const QString& prefix,
                       QStringList& lines) {
    const int count = ini.ReadInteger(section, prefix + QLatin1String("Count"), -1);
    // A count far beyond any list the library keeps comes from a damaged file;
    // reading it would only fill memory with "0" lines.
    if (count < 0 || count > kMaxConfigLines)
        return false;
    QStringList read;
    read.reserve(count);
    for (int i = 0; i < count; ++i)
        read.append(
            ini.ReadString(section, prefix + QLatin1Char('L') + QString::number(i), QStringLiteral("0")));
    lines = read;
    return true;
}

bool LoadStringsConfig(const IniFile& ini, const QString& section, const QString& prefix,
                       TStringList& lines) {
    QStringList read;
    if (!LoadStringsConfig(ini, section, prefix, read))
        return false;
    lines.SetStrings(read);
    return true;
}

void SavePenBrushLook(IniFile& ini, const QString& section, const TPen& pen, const TBrush& brush) {
    SavePenConfig(ini, section, QStringLiteral("Pen"), pen);
    ini.WriteInteger(section, QStringLiteral("BrushColor"), brush.GetColor());
}

void LoadPenBrushLook(const IniFile& ini, const QString& section, TPen& pen, TBrush& brush) {
    LoadPenConfig(ini, section, QStringLiteral("Pen"), pen);
    brush.SetColor(ReadColor(ini, section, QStringLiteral("BrushColor"), brush.GetColor()));
}
