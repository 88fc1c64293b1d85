#pragma once
// The two state colour sets of the scheme ([OnColors] and [OffColors] of the
// main configuration file), nine colours each, written as "0x" + 8 upper-case
// hexadecimal digits.

#include "TColor.h"

#include <QString>
#include <array>

class IniFile;

constexpr int kStateColorCount = 9;
using TStateColors = std::array<TColor, kStateColorCount>;

// Keys in array order: Condition, NonCondition, Water, HydroCyclone, ShlamWater,
// GC_mix, EBM_rotor, EBM_stator, WaterCyrcle.
extern const std::array<const char*, kStateColorCount> kStateColorKeys;
// Captions of the groups in the configuration window, in the same order.
extern const std::array<const char*, kStateColorCount> kStateColorCaptions;
// The defaults of both sets.
extern const TStateColors kDefaultStateColors;

QString ColorToHexText(TColor c); // "0x0000FF00"

// Reads the nine keys of the section, each with the current colour as default.
// A value that is no number stops the loading of that section at that key; the
// keys after it keep their current colours. Returns false when that happened.
bool LoadStateColors(const IniFile& ini, const QString& section, TStateColors& colors);
void SaveStateColors(IniFile& ini, const QString& section, const TStateColors& colors);

// The sets in use: active while the section runs, the other while it stands.
extern TStateColors OnColors;
extern TStateColors OffColors;
