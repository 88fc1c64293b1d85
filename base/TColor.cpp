#include "TColor.h"

#include "NumText.h"

#include <array>

namespace {

struct NamedColor {
    const char* name;
    TColor value;
};

constexpr std::array kNamed{
    NamedColor{"clBlack", clBlack},
    NamedColor{"clMaroon", clMaroon},
    NamedColor{"clGreen", clGreen},
    NamedColor{"clOlive", clOlive},
    NamedColor{"clNavy", clNavy},
    NamedColor{"clPurple", clPurple},
    NamedColor{"clTeal", clTeal},
    NamedColor{"clGray", clGray},
    NamedColor{"clSilver", clSilver},
    NamedColor{"clRed", clRed},
    NamedColor{"clLime", clLime},
    NamedColor{"clYellow", clYellow},
    NamedColor{"clBlue", clBlue},
    NamedColor{"clFuchsia", clFuchsia},
    NamedColor{"clAqua", clAqua},
    NamedColor{"clWhite", clWhite},
    NamedColor{"clMoneyGreen", clMoneyGreen},
    NamedColor{"clSkyBlue", clSkyBlue},
    NamedColor{"clCream", clCream},
    NamedColor{"clMedGray", clMedGray},
    NamedColor{"clLtGray", clLtGray},
    NamedColor{"clDkGray", clDkGray},
    NamedColor{"clScrollBar", clScrollBar},
    NamedColor{"clBackground", clBackground},
    NamedColor{"clActiveCaption", clActiveCaption},
    NamedColor{"clInactiveCaption", clInactiveCaption},
    NamedColor{"clMenu", clMenu},
    NamedColor{"clWindow", clWindow},
    NamedColor{"clWindowFrame", clWindowFrame},
    NamedColor{"clMenuText", clMenuText},
    NamedColor{"clWindowText", clWindowText},
    NamedColor{"clCaptionText", clCaptionText},
    NamedColor{"clHighlight", clHighlight},
    NamedColor{"clHighlightText", clHighlightText},
    NamedColor{"clBtnFace", clBtnFace},
    NamedColor{"clBtnShadow", clBtnShadow},
    NamedColor{"clGrayText", clGrayText},
    NamedColor{"clBtnText", clBtnText},
    NamedColor{"clInfoText", clInfoText},
    NamedColor{"clInfoBk", clInfoBk},
    NamedColor{"clNone", clNone},
    NamedColor{"clDefault", clDefault},
};

// Classic Windows system palette, by system colour index.
QColor SystemColor(int index) {
    switch (index) {
    case 0: return QColor(0xC8, 0xC8, 0xC8);
    case 1: return QColor(0x00, 0x00, 0x00);
    case 2: return QColor(0x00, 0x00, 0x80);
    case 3: return QColor(0x80, 0x80, 0x80);
    case 4: return QColor(0xF0, 0xF0, 0xF0);
    case 5: return QColor(0xFF, 0xFF, 0xFF);
    case 6: return QColor(0x64, 0x64, 0x64);
    case 7: return QColor(0x00, 0x00, 0x00);
    case 8: return QColor(0x00, 0x00, 0x00);
    case 9: return QColor(0xFF, 0xFF, 0xFF);
    case 13: return QColor(0x00, 0x78, 0xD7);
    case 14: return QColor(0xFF, 0xFF, 0xFF);
    case 15: return QColor(0xF0, 0xF0, 0xF0);
    case 16: return QColor(0xA0, 0xA0, 0xA0);
    case 17: return QColor(0x6D, 0x6D, 0x6D);
    case 18: return QColor(0x00, 0x00, 0x00);
    case 23: return QColor(0x00, 0x00, 0x00);
    case 24: return QColor(0xFF, 0xFF, 0xE1);
    default: return QColor(0xF0, 0xF0, 0xF0);
    }
}

} // namespace

QColor ColorToQColor(TColor c) {
    if (c == clNone)
        return QColor(Qt::transparent);
    if (c == clDefault)
        return SystemColor(15);
    if (c < 0)
        return SystemColor(c & 0xFF);
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TColor QColorToColor(const QColor& c) { return RGBToColor(c.red(), c.green(), c.blue()); }

std::optional<TColor> ColorFromName(const QString& name) {
    const QString t = name.trimmed();
    for (const auto& n : kNamed)
        if (t.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.value;
    if (auto v = StrToIntOpt(t))
        return TColor(*v);
    return std::nullopt;
}

QString ColorToName(TColor c) {
    for (const auto& n : kNamed)
        if (n.value == c)
            return QLatin1String(n.name);
    return QString::number(c);
}
