#include "Outfield.h"

#include "FormatFloat.h"
#include "Layout.h"
#include "Tamrixutil.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Script faces tried for HandWriting, in this order; without any of them the
// field's own face in italics stands in.
const char* const kScriptFaces[] = {"Z003", "URW Chancery L", "TeX Gyre Chorus", "Comic Neue", "Purisa"};

QString ScriptFace() {
    static const QString face = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* f : kScriptFaces)
            if (families.contains(QLatin1String(f), Qt::CaseInsensitive))
                return QString::fromLatin1(f);
        return QString();
    }();
    return face;
}
} // namespace

ORDAL_REGISTER_CLASS(TOutField)

TOutField::TOutField(QWidget* owner)
    : TPanelElement(owner), brush_(OwnStyle<TBrush>(this)), pen_(OwnStyle<TPen>(this)),
      font_(OwnStyle<TFont>(this)) {
    font_->SetName(QStringLiteral("Times New Roman"));
    font_->SetSize(10);
    resize(185, 41);
}

void TOutField::SetOutValue(double value) {
    if (value == outValue_)
        return;
    outValue_ = value;
    const QRect before = CaptionBox();
    SetCaption(FormatFloat(outFormat_, value));
    // A new value changes the text only: the frame and the fill around it stay.
    Invalidate(before | CaptionBox());
}

void TOutField::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value);
    StyleChanged(brush_);
}

void TOutField::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value);
    StyleChanged(pen_);
}

void TOutField::SetFont(const TFont* value) {
    if (value)
        font_->Assign(*value);
}

void TOutField::SetTransparent(bool value) {
    if (transparent_ == value)
        return;
    // A transparent field lets its parent show through; an opaque one covers its
    // whole area itself.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    setAttribute(Qt::WA_NoSystemBackground, !value);
    Store(transparent_, value);
}

const TOutField::TextFace& TOutField::Face() const {
    if (!face_.metrics || face_.name != font_->GetName() || face_.height != font_->GetHeight() ||
        face_.style != font_->GetStyle() || face_.pitch != font_->GetPitch() ||
        face_.handWriting != handWriting_) {
        face_.name = font_->GetName();
        face_.height = font_->GetHeight();
        face_.style = font_->GetStyle();
        face_.pitch = font_->GetPitch();
        face_.handWriting = handWriting_;
        face_.font = MakeTextFont();
        face_.metrics.emplace(face_.font);
        face_.widths.clear();
        face_.laidOut.clear();
    }
    return face_;
}

int TOutField::CaptionWidth(const QString& text) const {
    const TextFace& face = Face();
    if (const auto it = face.widths.constFind(text); it != face.widths.cend())
        return *it;
    if (face_.widths.size() >= 256)
        face_.widths.clear();
    return *face_.widths.insert(text, face.metrics->horizontalAdvance(text));
}

const QStaticText& TOutField::LaidOut(const QString& text) const {
    const TextFace& face = Face();
    if (const auto it = face.laidOut.constFind(text); it != face.laidOut.cend())
        return *it;
    if (face_.laidOut.size() >= 32)
        face_.laidOut.clear();
    QStaticText t(text);
    t.setTextFormat(Qt::PlainText);
    t.prepare(QTransform(), face.font);
    return *face_.laidOut.insert(text, t);
}

QRect TOutField::CaptionBox() const {
    if (transparent_ || alpha_ != 0)
        return rect();
    const QFontMetrics& fm = *Face().metrics;
    const int tw = CaptionWidth(GetCaption()), th = fm.height();
    try {
        const QPoint at = TextOrigin(width(), height(), tw, th, 0, vAlign_);
        // Room for glyphs that reach past their advance (italics, overhangs).
        const int m = th / 4 + 2;
        return QRect(at, QSize(tw, th)).adjusted(-m, -2, m, 2);
    } catch (const EDrawError&) {
        return rect();
    }
}

QFont TOutField::TextFont() const {
    return Face().font;
}

QFont TOutField::MakeTextFont() const {
    QFont f = font_->ToQFont();
    f.setWeight(font_->GetStyle().testFlag(fsBold) ? QFont::DemiBold : QFont::Normal);
    if (handWriting_) {
        f.setStyleHint(QFont::Cursive);
        const QString face = ScriptFace();
        if (face.isEmpty())
            f.setItalic(true);
        else
            f.setFamilies({face, font_->GetName()});
    }
    return f;
}

QPoint TOutField::TextOrigin(int w, int h, int tw, int th, int alpha, TVelmarVAlign vAlign) {
    const double hw = tw * 0.5, hh = th * 0.5;
    const double rr = std::sqrt(hw * hw + hh * hh);
    const double cx = w * 0.5;
    double cy = h * 0.5;
    if (vAlign == vm_VAlignTop)
        cy = th + 1;
    else if (vAlign == vm_VAlignBottom)
        cy = h - th;
    // From the centre of the text towards its top-left corner, turned with the text.
    const double a = std::atan2(hh, -hw) + alpha * 0.1 * kDegToRad;
    return QPoint(TruncPx(cx + rr * std::cos(a)), TruncPx(cy - rr * std::sin(a)));
}

void TOutField::DrawText(QPainter& p) {
    const TextFace& face = Face();
    const QFont& f = face.font;
    const QFontMetrics& fm = *face.metrics;
    const QString text = GetCaption();
    const QPoint at = TextOrigin(width(), height(), CaptionWidth(text), fm.height(), alpha_, vAlign_);
    p.save();
    p.setFont(f);
    p.setPen(font_->ToQColor());
    p.setBrush(Qt::NoBrush);
    p.translate(at);
    if (alpha_ != 0)
        p.rotate(-alpha_ * 0.1);
    // Upright plain text from its laid-out copy: the same pixels as drawText.
    if (alpha_ == 0 && !f.underline() && !f.strikeOut())
        p.drawStaticText(QPoint(0, 0), LaidOut(text));
    else
        p.drawText(QPoint(0, fm.ascent()), text);
    p.restore();
}

void TOutField::DrawPicture(QPainter& p) {
    // A redraw of the text alone (a new value) inside the frame only fills the
    // text's part again; the frame there would be the same.
    const int in = std::max(1, pen_->GetWidth()) + 1;
    if (p.hasClipping() && brush_->GetStyle() != bsClear &&
        rect().adjusted(in, in, -in, -in).contains(p.clipRegion().boundingRect()))
        p.fillRect(rect(), brush_->ToQBrush());
    else
        CanvasRectangle(p, 0, 0, width(), height(), *pen_, *brush_);
    DrawText(p);
}

void TOutField::Paint(QPainter& canvas) {
    if (!transparent_) {
        PaintBuffered(canvas, true);
        return;
    }
    FitPicture();
    if (!GetVisible())
        return;
    // Drawn straight onto the control. Every paint draws the text: the toolkit
    // paints the parent under a see-through control first, so a paint that drew
    // nothing would wipe the text out.
    DrawText(canvas);
    SetRedrawNeeded(false);
}

bool TOutField::SaveConfig() {
    IniFile ini = ConfigFile();
    ini.Begin(); // the look reaches the file whole or not at all
    const QString section = objectName();
    SavePenConfig(ini, section, QStringLiteral("Pen"), *pen_);
    SaveFontConfig(ini, section, QStringLiteral("Font"), *font_);
    ini.WriteString(section, QStringLiteral("OutFormat"), outFormat_);
    ini.WriteInteger(section, QStringLiteral("BrushColor"), brush_->GetColor());
    ini.Commit();
    return true;
}

bool TOutField::LoadConfig(const QString& section) {
    const IniFile ini = ConfigFile();
    const QString s = SectionFor(section, this);
    LoadPenConfig(ini, s, QStringLiteral("Pen"), *pen_);
    LoadFontConfig(ini, s, QStringLiteral("Font"), *font_);
    brush_->SetColor(ReadColor(ini, s, QStringLiteral("BrushColor"), brush_->GetColor()));
    return true;
}
