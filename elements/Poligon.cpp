#include "Poligon.h"

#include "Layout.h"
#include "Log.h"
#include "NumText.h"
#include "Platform.h"
#include "Tamrixutil.h"

#include <QPainter>

ORDAL_REGISTER_CLASS(TPoligon)

namespace {

void ShowPointError(const QString& text) {
    Plat().MessageBox(text, QStringLiteral("Ошибка"), QMessageBox::Critical, QMessageBox::Ok,
                      QMessageBox::Ok);
}

} // namespace

TPoligon::TPoligon(QWidget* owner)
    : TGraphicElement(owner), TConfigurable(QStringLiteral(".\\Colors.INI")), brush_(OwnStyle<TBrush>(this)),
      pen_(OwnStyle<TPen>(this)), pointList_(OwnStyle<TStringList>(this)) {
    pen_->SetColor(clRed);
    brush_->SetColor(clYellow);
    pointList_->SetStrings({QStringLiteral("50; 0"), QStringLiteral("0; 100"), QStringLiteral("100; 100")});
    resize(100, 100);
    RefrshPointList();
}

void TPoligon::SetBrush(const TBrush* value) {
    if (value && value != brush_)
        brush_->Assign(*value); // its change notification repaints
}

void TPoligon::SetPen(const TPen* value) {
    if (value && value != pen_)
        pen_->Assign(*value);
}

void TPoligon::SetPointList(const TStringList* value) {
    if (value && value != pointList_)
        pointList_->Assign(*value);
}

void TPoligon::SetXFlip(bool value) {
    if (xFlip_ == value)
        return;
    xFlip_ = value;
    StyleChanged(this);
}

void TPoligon::StyleChanged(QObject* sender) {
    RefrshPointList();
    TGraphicElement::StyleChanged(sender);
}

std::optional<QPointF> TPoligon::ParsePoint(const QString& line) {
    const qsizetype sep = line.indexOf(QLatin1Char(';'));
    if (sep < 1)
        return std::nullopt;
    const std::optional<double> x = StrToFloatOpt(line.left(sep));
    const std::optional<double> y = StrToFloatOpt(line.mid(sep + 1));
    if (!x || !y)
        return std::nullopt;
    return QPointF(*x, *y);
}

void TPoligon::RefrshPointList() {
    const int n = pointList_->Count();
    if (n <= 2) {
        corners_.clear();
        return;
    }
    if (n > kMaxPoints) {
        ShowPointError(QStringLiteral("Слишком большое количество точек!"));
        return;
    }
    // Read into a table of its own, so that a bad line leaves the last good
    // outline whole rather than half overwritten.
    QVector<QPointF> parsed;
    parsed.reserve(n);
    for (int i = 0; i < n; ++i) {
        std::optional<QPointF> p = ParsePoint((*pointList_)[i]);
        if (!p) {
            ShowPointError(QStringLiteral("Правильно указываете координаты точек.\n\r"));
            return;
        }
        if (xFlip_)
            p->setX(100 - p->x());
        parsed.append(*p);
    }
    corners_ = std::move(parsed);
}

QPolygon TPoligon::ScreenCorners() const {
    const double w = width(), h = height();
    QPolygon screen;
    screen.reserve(corners_.size());
    for (const QPointF& c : corners_)
        screen << QPoint(TruncPx(w * c.x() * 0.01), TruncPx(h * c.y() * 0.01));
    return screen;
}

void TPoligon::Paint(QPainter& canvas) {
    if (corners_.size() <= 2)
        return;
    const QPolygon screen = ScreenCorners();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(pen_->ToQPen());
    canvas.setBrush(brush_->ToQBrush());
    canvas.drawPolygon(screen, Qt::OddEvenFill);
}

bool TPoligon::SaveConfig() {
    saveError_.clear();
    try {
        IniFile ini = ConfigFile();
        ini.Begin(); // the look reaches the file whole or not at all
        SavePenBrushLook(ini, objectName(), *pen_, *brush_);
        ini.Commit();
        return true;
    } catch (...) {
        saveError_ = CurrentExceptionText();
        qCWarning(lcOrdal) << "TPoligon::SaveConfig" << objectName() << saveError_;
        return false;
    }
}

bool TPoligon::LoadConfig(const QString& section) {
    try {
        const IniFile ini = ConfigFile();
        LoadPenBrushLook(ini, SectionFor(section, this), *pen_, *brush_);
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "TPoligon::LoadConfig" << objectName() << CurrentExceptionText();
        return false;
    }
}
