#include "Densmeter.h"

#include "Canvastools.h"
#include "FormatFloat.h"
#include "Layout.h"
#include "NumText.h"
#include "Tamrixutil.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TDensMeter)

TDensMeter::TDensMeter(QWidget* owner)
    : TPanelElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")), outFont_(OwnStyle<TFont>(this)),
      termoPen_(OwnStyle<TPen>(this)), pen_(OwnStyle<TPen>(this)),
      strCellColors_(OwnStyle<TStringList>(this)), outBrush_(OwnStyle<TBrush>(this)),
      outPen_(OwnStyle<TPen>(this)), font_(OwnStyle<TFont>(this)) {
    strCellColors_->SetStrings(QStringList(kMaxCellColors, QStringLiteral("0x000000FF")));
    resize(185, 41);
}

QList<std::optional<TColor>> TDensMeter::CellColors() const {
    QList<std::optional<TColor>> colors;
    const QStringList& lines = strCellColors_->Strings();
    for (int i = 0; i < lines.size() && i < kMaxCellColors; ++i) {
        const std::optional<std::int32_t> c = StrToIntOpt(lines.at(i));
        colors << (c ? std::optional<TColor>(*c) : std::nullopt);
    }
    return colors;
}

TDensMeter::Bar TDensMeter::ComputeBar() const {
    // In 64 bits: sizes are not validated, and an absurd one must not overflow.
    const qint64 left = termoXSpace_, right = qint64(width()) - termoXSpace_;
    const qint64 top = termoTop_, bottom = qint64(termoTop_) + termoHeight_;
    // What lies beyond the control by more than the pen's width shows nowhere:
    // every x and y of the bar is held to that reach. The bar may be far wider
    // than the control (TermoXSpace -10^9 from a look file), but what it costs
    // to draw is what lands inside.
    const qint64 reach = std::clamp<qint64>(termoPen_->GetWidth(), 1, kMaxElementExtent) + 2;
    const qint64 xLo = -reach, xHi = qint64(width()) + reach;
    const qint64 yLo = -reach, yHi = qint64(height()) + reach;
    auto px = [](double v) { return TruncPx(v); };
    auto inX = [&](double v) { return px(std::clamp(v, double(xLo), double(xHi))); };
    auto inY = [&](double v) { return px(std::clamp(v, double(yLo), double(yHi))); };
    Bar bar;
    bar.frame.setCoords(inX(double(left)), inY(double(top)), inX(double(right)), inY(double(bottom)));
    const double barW = double(right - left);
    double marker = double(left);
    if (outMax_ > outMin_) {
        const double m = left + (outValue_ - outMin_) * barW / (outMax_ - outMin_);
        // A value outside the scale fills all cells or none; one that is not a
        // number fills none.
        if (std::isfinite(m))
            marker = std::clamp(m, double(std::min(left, right)), double(std::max(left, right)));
        else if (m > 0)
            marker = double(std::max(left, right));
    }
    bar.marker = inX(marker);
    if (cellCount_ <= 0)
        return bar;

    const double cellW = barW / cellCount_;
    const QList<std::optional<TColor>> colors = CellColors();
    const int coloured = std::min<qsizetype>(cellCount_, colors.size());
    for (int i = 0; i < coloured; ++i) {
        if (!colors.at(i))
            continue;
        const int x0 = inX(left + i * cellW);
        const int x1 = std::min(inX(left + (i + 1) * cellW), bar.marker);
        Cell cell;
        cell.color = *colors.at(i);
        if (x1 > x0)
            cell.fill.setCoords(x0, bar.frame.top(), x1, bar.frame.bottom());
        bar.cells << cell;
    }
    // One tick per boundary that lands within reach of the control. More
    // boundaries than pixel columns mark every column once.
    const qint64 from = std::max(std::min(left, right), xLo), to = std::min(std::max(left, right), xHi);
    if (from > to)
        return bar;
    if (qint64(cellCount_) + 1 > std::abs(right - left) + 1) {
        for (qint64 x = from; x <= to; ++x)
            bar.ticks << px(double(x));
    } else {
        // Here a cell is at least a pixel wide: only the boundaries between
        // `from` and `to` are visited.
        const double a = (from - left) / cellW, b = (to - left) / cellW;
        const qint64 first = std::max<qint64>(0, qint64(std::floor(std::min(a, b))) - 1);
        const qint64 last = std::min<qint64>(cellCount_, qint64(std::ceil(std::max(a, b))) + 1);
        for (qint64 i = first; i <= last; ++i) {
            const double x = left + double(i) * cellW;
            if (x >= double(xLo) && x <= double(xHi))
                bar.ticks << px(x);
        }
    }
    return bar;
}

void TDensMeter::DrawPicture(QPainter& p) {
    const Bar bar = ComputeBar();
    const int w = width(), h = height();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, w, h, ColorToQColor(GetColor()));

    // The caption, centred at the top.
    if (!GetCaption().isEmpty()) {
        const QFont f = font_->ToQFont();
        const QFontMetrics fm(f);
        p.setFont(f);
        p.setPen(font_->ToQColor());
        p.drawText(QPoint((w - fm.horizontalAdvance(GetCaption())) / 2, 4 + fm.ascent()), GetCaption());
    }

    // The bar: its frame on the background colour, the cells up to the marker,
    // and a tick at every boundary reaching 4 pixels below the bar.
    TBrush back;
    back.SetColor(termoBackColor_);
    CanvasRectangle(p, bar.frame.left(), bar.frame.top(), bar.frame.right(), bar.frame.bottom(), *termoPen_,
                    back);
    for (const Cell& cell : bar.cells)
        if (!cell.fill.isNull())
            p.fillRect(
                QRect(QPoint(cell.fill.left(), cell.fill.top()),
                      QSize(cell.fill.right() - cell.fill.left(), cell.fill.bottom() - cell.fill.top())),
                ColorToQColor(cell.color));
    if (!bar.ticks.isEmpty()) {
        p.setPen(termoPen_->ToQPen());
        const int y0 = bar.frame.top(), y1 = Px64(qint64(bar.frame.bottom()) + 4);
        for (int x : bar.ticks)
            p.drawLine(x, y0, x, y1);
    }

    // The value box.
    // The value box, held like the bar to a reach beyond the control.
    const qint64 boxReach = std::clamp<qint64>(outPen_->GetWidth(), 1, kMaxElementExtent) + 2;
    auto boxX = [&](qint64 v) { return int(std::clamp<qint64>(v, -boxReach, qint64(w) + boxReach)); };
    auto boxY = [&](qint64 v) { return int(std::clamp<qint64>(v, -boxReach, qint64(h) + boxReach)); };
    const int bl = boxX(outXSpace_), bt = boxY(outTop_), br = boxX(qint64(w) - outXSpace_),
              bb = boxY(qint64(outTop_) + outHeight_);
    CanvasRectangle(p, bl, bt, br, bb, *outPen_, *outBrush_);
    const QString text = FormatFloat(outFormat_, outValue_);
    const QFont f = outFont_->ToQFont();
    const QFontMetrics fm(f);
    p.setFont(f);
    p.setPen(outFont_->ToQColor());
    const double tx = bl + (double(br) - bl - fm.horizontalAdvance(text)) / 2;
    const double ty = bt + (double(bb) - bt - fm.height()) / 2 + fm.ascent();
    p.drawText(QPoint(TruncPx(tx), TruncPx(ty)), text);
}

bool TDensMeter::SaveConfig() {
    IniFile ini = ConfigFile();
    ini.Begin(); // the look reaches the file whole or not at all
    const QString s = objectName();
    ini.WriteInteger(s, QStringLiteral("TermoTop"), termoTop_);
    ini.WriteInteger(s, QStringLiteral("TermoHeight"), termoHeight_);
    ini.WriteInteger(s, QStringLiteral("TermoXSpace"), termoXSpace_);
    ini.WriteInteger(s, QStringLiteral("OutTop"), outTop_);
    ini.WriteInteger(s, QStringLiteral("TermoCellCount"), termoCellCount_);
    ini.WriteInteger(s, QStringLiteral("CellCount"), cellCount_);
    ini.WriteInteger(s, QStringLiteral("TermoBackColor"), termoBackColor_);
    ini.WriteInteger(s, QStringLiteral("OutXSpace"), outXSpace_);
    ini.WriteInteger(s, QStringLiteral("OutHeight"), outHeight_);
    ini.WriteFloat(s, QStringLiteral("OutMin"), outMin_);
    ini.WriteFloat(s, QStringLiteral("OutMax"), outMax_);
    ini.WriteFloat(s, QStringLiteral("OutValue"), outValue_);
    ini.WriteString(s, QStringLiteral("OutFormat"), outFormat_);
    SavePenConfig(ini, s, QStringLiteral("TermoPen"), *termoPen_);
    SavePenConfig(ini, s, QStringLiteral("Pen"), *pen_);
    SaveFontConfig(ini, s, QStringLiteral("OutFont"), *outFont_);
    SaveStringsConfig(ini, s, QStringLiteral("StrCellColors"), *strCellColors_);
    ini.Commit();
    return true;
}

bool TDensMeter::LoadConfig(const QString& section) {
    const IniFile ini = ConfigFile();
    const QString s = SectionFor(section, this);
    SetTermoTop(ini.ReadInteger(s, QStringLiteral("TermoTop"), termoTop_));
    SetTermoHeight(ini.ReadInteger(s, QStringLiteral("TermoHeight"), termoHeight_));
    SetTermoXSpace(ini.ReadInteger(s, QStringLiteral("TermoXSpace"), termoXSpace_));
    SetOutTop(ini.ReadInteger(s, QStringLiteral("OutTop"), outTop_));
    SetTermoCellCount(ini.ReadInteger(s, QStringLiteral("TermoCellCount"), termoCellCount_));
    SetCellCount(ini.ReadInteger(s, QStringLiteral("CellCount"), cellCount_));
    SetTermoBackColor(ReadColor(ini, s, QStringLiteral("TermoBackColor"), termoBackColor_));
    SetOutXSpace(ini.ReadInteger(s, QStringLiteral("OutXSpace"), outXSpace_));
    SetOutHeight(ini.ReadInteger(s, QStringLiteral("OutHeight"), outHeight_));
    SetOutMin(ini.ReadFloat(s, QStringLiteral("OutMin"), outMin_));
    SetOutMax(ini.ReadFloat(s, QStringLiteral("OutMax"), outMax_));
    SetOutValue(ini.ReadFloat(s, QStringLiteral("OutValue"), outValue_));
    SetOutFormat(ini.ReadString(s, QStringLiteral("OutFormat"), outFormat_));
    LoadPenConfig(ini, s, QStringLiteral("TermoPen"), *termoPen_);
    LoadPenConfig(ini, s, QStringLiteral("Pen"), *pen_);
    LoadFontConfig(ini, s, QStringLiteral("OutFont"), *outFont_);
    LoadStringsConfig(ini, s, QStringLiteral("StrCellColors"), *strCellColors_);
    // CellCount only stores: the picture takes everything read at the next paint.
    UpdateChanges();
    return true;
}
