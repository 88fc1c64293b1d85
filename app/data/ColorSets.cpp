#include "ColorSets.h"

#include "IniFile.h"
#include "NumText.h"

const std::array<const char*, kStateColorCount> kStateColorKeys = {
    "Condition", "NonCondition", "Water", "HydroCyclone", "ShlamWater",
    "GC_mix",    "EBM_rotor",    "EBM_stator", "WaterCyrcle"};

const std::array<const char*, kStateColorCount> kStateColorCaptions = {
    "Кондиция", "Некондиция", "Техническая вода", "Гидроциклон", "Шламовая вода",
    "Смесь",    "Ротор ЭБМ",  "Статор ЭБМ",       "Брызгала"};

const TStateColors kDefaultStateColors = {clRed, clLime, clAqua, clYellow, clBlue, clOlive, clYellow, clBlue, clAqua};

QString ColorToHexText(TColor c) {
    return QStringLiteral("0x%1").arg(quint32(c), 8, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("0X"),
                                                                                               QLatin1String("0x"));
}

bool LoadStateColors(const IniFile& ini, const QString& section, TStateColors& colors) {
    for (int i = 0; i < kStateColorCount; ++i) {
        const QString text = ini.ReadString(section, QLatin1String(kStateColorKeys[i]), ColorToHexText(colors[i]));
        const auto value = StrToIntOpt(text);
        if (!value)
            return false;
        colors[i] = *value;
    }
    return true;
}

void SaveStateColors(IniFile& ini, const QString& section, const TStateColors& colors) {
    for (int i = 0; i < kStateColorCount; ++i)
        ini.WriteString(section, QLatin1String(kStateColorKeys[i]), ColorToHexText(colors[i]));
}

TStateColors OnColors = kDefaultStateColors;
TStateColors OffColors = kDefaultStateColors;
