#pragma once
// The drawing tools an element owns: pen, brush, font and string list. Each is a
// small observable object: every real change emits Changed() once, and the
// owning element hooks Changed() to its StyleChanged. So "Pen.Width = 2" in a
// layout (set through the meta-object) and pen->SetWidth(2) in code take the same
// road. The settings stay in the workstation's own terms (TColor numbers, style
// ordinals, point sizes) and become QPen/QBrush/QFont only at the painter.
//
// In Q_PROPERTY declarations write the enum types qualified (Vcl::TPenStyle), so
// that moc can find their names for layouts and INI files.

#include "TColor.h"

#include <QBrush>
#include <QFont>
#include <QObject>
#include <QPen>
#include <QStringList>

namespace Vcl {
Q_NAMESPACE

// The ordinals are stored in INI files: never reorder.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
Q_ENUM_NS(TPenStyle)

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
Q_ENUM_NS(TBrushStyle)

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TFontPitch { fpDefault, fpVariable, fpFixed };
Q_ENUM_NS(TFontPitch)

// Cursor numbers as the layouts and the windows name them.
enum TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};
Q_ENUM_NS(TCursor)

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

// Vertical placement of a label's text.
enum TTextLayout { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
Q_ENUM_NS(TBevelCut)

// Docking of a control inside its parent (see TControlCore::SetAlign).
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)

} // namespace Vcl
Q_DECLARE_OPERATORS_FOR_FLAGS(Vcl::TFontStyles)

using Vcl::TAlign;
using Vcl::TAlignment;
using Vcl::TBevelCut;
using Vcl::TBrushStyle;
using Vcl::TCursor;
using Vcl::TFontPitch;
using Vcl::TFontStyle;
using Vcl::TFontStyles;
using Vcl::TPenStyle;
using Vcl::TTextLayout;
using enum Vcl::TPenStyle;
using enum Vcl::TBrushStyle;
using enum Vcl::TFontStyle;
using enum Vcl::TFontPitch;
using enum Vcl::TCursor;
using enum Vcl::TAlignment;
using enum Vcl::TTextLayout;
using enum Vcl::TBevelCut;
using enum Vcl::TAlign;

// Screen resolution the font heights are reckoned in (Height = -Size * 96 / 72).
constexpr int kPixelsPerInch = 96;
// Windows' MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);

class TPen : public QObject {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(int Width READ GetWidth WRITE SetWidth)
    Q_PROPERTY(Vcl::TPenStyle Style READ GetStyle WRITE SetStyle)
public:
    explicit TPen(QObject* parent = nullptr) : QObject(parent) {}

    TColor GetColor() const { return color_; }
    void SetColor(TColor value);
    int GetWidth() const { return width_; }
    void SetWidth(int value);
    TPenStyle GetStyle() const { return style_; }
    void SetStyle(TPenStyle value);

    // Copies the settings; one Changed() when anything differs.
    void Assign(const TPen& other);
    bool SameAs(const TPen& other) const;

    // The pen as the classic canvas draws it: width 0 and 1 are one pixel; broken
    // styles only on thin pens (a wide pen draws them solid); wide pens have round
    // ends and joins; psClear draws nothing.
    QPen ToQPen() const;

Q_SIGNALS:
    void Changed();

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
};

class TBrush : public QObject {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(Vcl::TBrushStyle Style READ GetStyle WRITE SetStyle)
public:
    explicit TBrush(QObject* parent = nullptr) : QObject(parent) {}

    TColor GetColor() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle GetStyle() const { return style_; }
    void SetStyle(TBrushStyle value);

    void Assign(const TBrush& other);
    bool SameAs(const TBrush& other) const;

    QBrush ToQBrush() const; // bsClear is Qt::NoBrush

Q_SIGNALS:
    void Changed();

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// Size is in points and Height in pixels at 96 dpi (negative: character height,
// as the classic font records it); they are two views of one value.
class TFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(int Size READ GetSize WRITE SetSize)
    Q_PROPERTY(int Height READ GetHeight WRITE SetHeight)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(Vcl::TFontStyles Style READ GetStyle WRITE SetStyle)
    Q_PROPERTY(int Charset READ GetCharset WRITE SetCharset)
    Q_PROPERTY(Vcl::TFontPitch Pitch READ GetPitch WRITE SetPitch)
public:
    explicit TFont(QObject* parent = nullptr) : QObject(parent) {}

    QString GetName() const { return name_; }
    void SetName(const QString& value);
    int GetSize() const;
    void SetSize(int points);
    int GetHeight() const { return height_; }
    void SetHeight(int pixels);
    TColor GetColor() const { return color_; }
    void SetColor(TColor value);
    TFontStyles GetStyle() const { return style_; }
    void SetStyle(TFontStyles value);
    // Kept for the layouts; the toolkit picks the glyphs by Unicode anyway.
    int GetCharset() const { return charset_; }
    void SetCharset(int value);
    TFontPitch GetPitch() const { return pitch_; }
    void SetPitch(TFontPitch value);

    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    // Pixel-sized, so text metrics do not depend on the screen's resolution.
    QFont ToQFont() const;
    QColor ToQColor() const { return ColorToQColor(color_); }

Q_SIGNALS:
    void Changed();

private:
    QString name_ = QStringLiteral("MS Sans Serif");
    int height_ = -11; // 8 points
    TColor color_ = clWindowText;
    TFontStyles style_;
    int charset_ = 1; // DEFAULT_CHARSET
    TFontPitch pitch_ = fpDefault;
};

// A list of text lines that reports changes (point lists, bubble lists, labels of a chart).
class TStringList : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Strings READ Strings WRITE SetStrings)
public:
    explicit TStringList(QObject* parent = nullptr) : QObject(parent) {}

    const QStringList& Strings() const { return lines_; }
    void SetStrings(const QStringList& lines);
    int Count() const { return int(lines_.size()); }
    const QString& operator[](int i) const { return lines_.at(i); }
    void Set(int i, const QString& line);
    void Add(const QString& line);
    void Delete(int i);
    void Clear();
    void Assign(const TStringList& other) { SetStrings(other.lines_); }

Q_SIGNALS:
    void Changed();

private:
    QStringList lines_;
};
