#include "ElementBase.h"

#include "Log.h"
#include "Platform.h"
#include "Tamrixutil.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>

TNotifyEvent::TNotifyEvent(Fn fn) : fn_(std::move(fn)) {
    // Without an owner the handler is its own identity: copies compare equal,
    // another bare function does not.
    static std::atomic<quint64> serial{0};
    key_ = "fn#" + QByteArray::number(++serial);
}

int TruncPx(double v) {
    if (!std::isfinite(v) || v <= double(INT_MIN) - 1.0 || v >= double(INT_MAX) + 1.0)
        throw EDrawError("coordinate out of range");
    return static_cast<int>(v); // truncates toward zero
}

qreal DeviceScale(const QPainter& canvas) {
    const QTransform t = canvas.deviceTransform();
    const qreal s = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
    if (!std::isfinite(s) || s <= 0)
        return 1;
    // Rounded, so that the same view gives the same scale at every paint, and
    // bounded, so that a picture never grows without bound.
    return std::clamp(std::round(s * 1024) / 1024, 1.0 / 16, 4.0);
}

QSize DevicePixels(QSize size, qreal scale) {
    // Every pixel the element touches, the last one also where the element
    // covers it only in part: an opaque element is all that paints there (its
    // parent leaves its area out), so a pixel short, a column of whatever the
    // screen held before shows between it and its neighbour (at a ratio of
    // 1.25 an element ending at x = 815 ends at 1018.75). ExtendPictureEdges
    // fills that last pixel.
    return {int(std::ceil(std::max(0, size.width()) * scale - 1e-6)),
            int(std::ceil(std::max(0, size.height()) * scale - 1e-6))};
}

void ExtendPictureEdges(QImage& picture, QSize size) {
    const qreal scale = picture.devicePixelRatio();
    if (picture.isNull() || picture.depth() != 32 || scale == 1)
        return;
    // The drawing covers a pixel whose centre lies inside the element: the
    // last column (row) of the picture is left blank when the element's edge
    // falls in its left (upper) half. It takes the colours of the one before.
    auto blank = [](int pixels, qreal edge) { return pixels >= 2 && pixels - 0.5 >= edge - 1e-6; };
    const qreal right = size.width() * scale, bottom = size.height() * scale;
    const int w = picture.width(), h = picture.height();
    if (blank(w, right))
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            line[w - 1] = line[w - 2];
        }
    if (blank(h, bottom))
        std::memcpy(picture.scanLine(h - 1), picture.constScanLine(h - 2), size_t(picture.bytesPerLine()));
}

QImage ScaledPicture(QSize size, qreal scale) {
    QImage picture(DevicePixels(size, scale), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::white);
    return picture;
}

TPicturePainter::TPicturePainter(QImage* picture) : QPainter(picture) {
    const qreal ratio = picture->devicePixelRatio();
    if (isActive() && ratio < 1)
        scale(ratio, ratio);
}

namespace {
// The outline path of a box for the given pen: pixel-centred for thin pens, pulled
// inside for psInsideFrame.
QRectF OutlineBox(int left, int top, int right, int bottom, const TPen& pen) {
    const int w = std::max(1, pen.GetWidth());
    // In floating point: a box wider than an int (from an absurd look) must
    // not overflow on the way.
    QRectF box(left + 0.5, top + 0.5, double(right) - left - 1, double(bottom) - top - 1);
    if (pen.GetStyle() == psInsideFrame && w > 1) {
        const double in = (w - 1) / 2.0;
        box.adjust(in, in, -in, -in);
    }
    return box;
}
} // namespace

void CanvasRectangle(QPainter& p, int left, int top, int right, int bottom, const TPen& pen,
                     const TBrush& brush) {
    if (right <= left || bottom <= top)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (brush.GetStyle() != bsClear) {
        // Held to a range far beyond any device, so that the width fits an
        // int; what is cut off lies nowhere on the screen.
        constexpr int kFar = 1 << 24;
        const int l = std::clamp(left, -kFar, kFar), t = std::clamp(top, -kFar, kFar);
        const int r = std::clamp(right, -kFar, kFar), b = std::clamp(bottom, -kFar, kFar);
        p.fillRect(QRect(l, t, r - l, b - t), brush.ToQBrush());
    }
    if (pen.GetStyle() != psClear) {
        QPen q = pen.ToQPen();
        q.setJoinStyle(Qt::MiterJoin);
        p.setPen(q);
        p.setBrush(Qt::NoBrush);
        p.drawRect(OutlineBox(left, top, right, bottom, pen));
    }
    p.restore();
}

void CanvasEllipse(QPainter& p, int left, int top, int right, int bottom, const TPen& pen,
                   const TBrush& brush) {
    if (right <= left || bottom <= top)
        return;
    p.save();
    p.setPen(pen.ToQPen());
    p.setBrush(brush.ToQBrush());
    p.drawEllipse(OutlineBox(left, top, right, bottom, pen));
    p.restore();
}

// ---- TControlCore ----

namespace {

// Watches a parent with docked children and lays them out on every resize.
class TAlignWatcher : public QObject {
public:
    explicit TAlignWatcher(QWidget* parent) : QObject(parent) { parent->installEventFilter(this); }
    bool busy = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize && o == parent())
            RealignChildren(static_cast<QWidget*>(o));
        return false;
    }
};

TAlignWatcher* WatcherOf(QWidget* parent) {
    for (QObject* c : parent->children())
        if (auto* w = dynamic_cast<TAlignWatcher*>(c))
            return w;
    return new TAlignWatcher(parent);
}

void Realign(QWidget* self, TAlign align) {
    if (align != alNone && self->parentWidget())
        RealignChildren(self->parentWidget());
}

} // namespace

void RealignChildren(QWidget* parent) {
    if (TAlignSuspender::Active())
        return;
    TAlignWatcher* watcher = WatcherOf(parent);
    if (watcher->busy)
        return;
    watcher->busy = true;
    QRect free = parent->rect();
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
        QList<QWidget*> docked;
        for (QObject* c : parent->children()) {
            auto* w = qobject_cast<QWidget*>(c);
            auto* core = dynamic_cast<TControlCore*>(c);
            if (w && core && core->GetAlign() == kind && !w->isHidden())
                docked.append(w);
        }
        std::stable_sort(docked.begin(), docked.end(), [kind](QWidget* a, QWidget* b) {
            switch (kind) {
            case alTop:
                return a->y() < b->y();
            case alBottom:
                return a->y() + a->height() > b->y() + b->height();
            case alLeft:
                return a->x() < b->x();
            case alRight:
                return a->x() + a->width() > b->x() + b->width();
            default:
                return false;
            }
        });
        // Docked controls keep their own height (top, bottom) or width (left,
        // right) even where the parent is too small for them.
        for (QWidget* w : docked) {
            const int h = w->height(), wd = w->width();
            const int fw = std::max(0, free.width()), fh = std::max(0, free.height());
            switch (kind) {
            case alTop:
                w->setGeometry(free.left(), free.top(), fw, h);
                free.setTop(free.top() + h);
                break;
            case alBottom:
                w->setGeometry(free.left(), free.bottom() + 1 - h, fw, h);
                free.setBottom(free.bottom() - h);
                break;
            case alLeft:
                w->setGeometry(free.left(), free.top(), wd, fh);
                free.setLeft(free.left() + wd);
                break;
            case alRight:
                w->setGeometry(free.right() + 1 - wd, free.top(), wd, fh);
                free.setRight(free.right() - wd);
                break;
            default:
                w->setGeometry(free.left(), free.top(), fw, fh);
                break;
            }
        }
    }
    watcher->busy = false;
}

void TControlCore::SetAlign(TAlign value) {
    if (align_ == value)
        return;
    align_ = value;
    Realign(self_, alClient); // also lays out the others when this one stops docking
}

int CheckedPosition(int value, const char* what) {
    if (value < -kMaxElementPosition || value > kMaxElementPosition)
        throw std::out_of_range(QStringLiteral("%1 %2 lies beyond %3 px")
                                    .arg(QLatin1String(what))
                                    .arg(value)
                                    .arg(kMaxElementPosition)
                                    .toStdString());
    return value;
}

int CheckedExtent(int value, const char* what) {
    // A panel element keeps a picture of its whole size: an absurd size would
    // cost gigabytes before anything could be drawn.
    if (value > kMaxElementExtent)
        throw std::out_of_range(QStringLiteral("%1 %2 is larger than an element may be (%3 px)")
                                    .arg(QLatin1String(what))
                                    .arg(value)
                                    .arg(kMaxElementExtent)
                                    .toStdString());
    return std::max(0, value);
}

void TControlCore::SetLeft(int value) {
    self_->move(CheckedPosition(value, "Left"), self_->y());
    Realign(self_, align_);
}

void TControlCore::SetTop(int value) {
    self_->move(self_->x(), CheckedPosition(value, "Top"));
    Realign(self_, align_);
}

void TControlCore::SetWidth(int value) {
    self_->resize(CheckedExtent(value, "Width"), self_->height());
    Realign(self_, align_);
}

void TControlCore::SetHeight(int value) {
    self_->resize(self_->width(), CheckedExtent(value, "Height"));
    Realign(self_, align_);
}

void TControlCore::SetBounds(int left, int top, int width, int height) {
    self_->setGeometry(CheckedPosition(left, "Left"), CheckedPosition(top, "Top"), CheckedExtent(width, "Width"),
                       CheckedExtent(height, "Height"));
    Realign(self_, align_);
}

void TControlCore::SetCursor(TCursor value) {
    if (cursor_ == value)
        return;
    cursor_ = value;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (value) {
    case crDefault:
        self_->unsetCursor();
        return;
    case crNone:
        shape = Qt::BlankCursor;
        break;
    case crCross:
        shape = Qt::CrossCursor;
        break;
    case crIBeam:
        shape = Qt::IBeamCursor;
        break;
    case crSizeNESW:
        shape = Qt::SizeBDiagCursor;
        break;
    case crSizeNS:
        shape = Qt::SizeVerCursor;
        break;
    case crSizeNWSE:
        shape = Qt::SizeFDiagCursor;
        break;
    case crSizeWE:
        shape = Qt::SizeHorCursor;
        break;
    case crUpArrow:
        shape = Qt::UpArrowCursor;
        break;
    case crHourGlass:
    case crSQLWait:
        shape = Qt::WaitCursor;
        break;
    case crDrag:
    case crMultiDrag:
        shape = Qt::DragCopyCursor;
        break;
    case crNoDrop:
    case crNo:
        shape = Qt::ForbiddenCursor;
        break;
    case crHSplit:
        shape = Qt::SplitHCursor;
        break;
    case crVSplit:
        shape = Qt::SplitVCursor;
        break;
    case crAppStart:
        shape = Qt::BusyCursor;
        break;
    case crHelp:
        shape = Qt::WhatsThisCursor;
        break;
    case crHandPoint:
        shape = Qt::PointingHandCursor;
        break;
    case crSizeAll:
        shape = Qt::SizeAllCursor;
        break;
    case crArrow:
        break;
    }
    self_->setCursor(shape);
}

void TControlCore::SetHint(const QString& value) {
    hint_ = value;
    ApplyHint();
}

void TControlCore::SetShowHint(bool value) {
    showHint_ = value;
    ApplyHint();
}

void TControlCore::ApplyHint() {
    self_->setToolTip(showHint_ ? hint_ : QString());
}

bool TControlCore::GetVisible() const {
    return !(self_->isHidden() && self_->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

void TControlCore::SetVisible(bool value) {
    self_->setVisible(value);
    Realign(self_, align_);
}

void TControlCore::Click() {
    // A copy: the handler may replace OnClick or delete this control.
    const TNotifyEvent handler = onClick_;
    handler(self_);
}

void TControlCore::ClickPress(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
}

void TControlCore::ClickRelease(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    const bool click = pressed_ && self_->rect().contains(e->position().toPoint());
    pressed_ = false;
    // Last of all: the handler may well close or delete the window.
    if (click)
        Click();
}

// ---- TConfigurable ----

IniFile TConfigurable::ConfigFile() const {
    return IniFile(IniPath(configName_));
}

// ---- repaint batches ----

namespace {
int g_repaintBatches = 0;
}

TRepaintBatch::TRepaintBatch() { ++g_repaintBatches; }
TRepaintBatch::~TRepaintBatch() { --g_repaintBatches; }
bool TRepaintBatch::Active() { return g_repaintBatches > 0; }

void RepaintNow(QWidget* element) {
    if (g_repaintBatches > 0)
        element->update();
    else
        element->repaint();
}

void RepaintNow(QWidget* element, const QRect& part) {
    if (g_repaintBatches > 0)
        element->update(part);
    else
        element->repaint(part);
}

// ---- TGraphicElement ----

TGraphicElement::TGraphicElement(QWidget* owner) : QWidget(owner), TControlCore(this) {
    // Only what Paint draws is shown; the parent shows through everywhere else.
    setAutoFillBackground(false);
    StackUnderWindowedSiblings();
}

void RestackChildren(QWidget* parent) {
    // Raising the windowed children in their order leaves the graphic ones
    // below them in theirs.
    QList<QWidget*> windowed;
    bool misplaced = false;
    for (QObject* o : parent->children()) {
        if (!o->isWidgetType() || static_cast<QWidget*>(o)->isWindow())
            continue;
        auto* w = static_cast<QWidget*>(o);
        if (!qobject_cast<TGraphicElement*>(w))
            windowed.append(w);
        else if (!windowed.isEmpty())
            misplaced = true;
    }
    if (misplaced)
        for (QWidget* w : windowed)
            w->raise();
}

void TGraphicElement::StackUnderWindowedSiblings() {
    const QWidget* parent = parentWidget();
    if (!parent || TAlignSuspender::Active())
        return;
    // Every graphic element goes under its windowed siblings when it arrives,
    // so a parent's children list holds the graphic elements first and the
    // windowed controls after them. The lowest windowed sibling is then found
    // from either end: from the front past the graphic elements, or from the
    // back past the windowed ones until the first graphic element. Walking
    // both ways at once costs the smaller of the two, which keeps loading a
    // layout of thousands of elements (nearly all graphic) linear.
    const QObjectList& kids = parent->children();
    auto isWindowed = [this](QObject* o) {
        if (o == this || !o->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(o);
        return !w->isWindow() && !qobject_cast<TGraphicElement*>(w);
    };
    auto isGraphic = [this](QObject* o) { return o != this && qobject_cast<TGraphicElement*>(o); };
    qsizetype front = 0, back = kids.size() - 1;
    QWidget* lowest = nullptr;
    while (front <= back) {
        if (isWindowed(kids[front])) {
            lowest = static_cast<QWidget*>(kids[front]);
            break;
        }
        if (isGraphic(kids[back]))
            break; // nothing windowed below it: `lowest` is the last one seen from the back
        if (isWindowed(kids[back]))
            lowest = static_cast<QWidget*>(kids[back]);
        ++front;
        --back;
    }
    if (lowest)
        stackUnder(lowest);
}

bool TGraphicElement::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange)
        StackUnderWindowedSiblings();
    return QWidget::event(e);
}

void TGraphicElement::StyleChanged(QObject*) {
    RepaintNow(this);
}

void TGraphicElement::paintEvent(QPaintEvent* e) {
    QPainter canvas(this);
    exposed_ = e->region();
    try {
        Paint(canvas);
    } catch (...) {
        LogRepeatedWarning("element paint", objectName() + QStringLiteral(": ") + CurrentExceptionText());
        Beep();
    }
    exposed_ = QRegion();
}

void TGraphicElement::mousePressEvent(QMouseEvent* e) {
    ClickPress(e);
    QWidget::mousePressEvent(e);
}

void TGraphicElement::mouseReleaseEvent(QMouseEvent* e) {
    QWidget::mouseReleaseEvent(e);
    ClickRelease(e);
}

// ---- TPanelElement ----

TPanelElement::TPanelElement(QWidget* owner) : QWidget(owner), TControlCore(this) {
    // Paint covers the whole area: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TPanelElement::SetCaption(const QString& value) {
    if (caption_ == value)
        return;
    caption_ = value;
    CaptionChanged();
}

void TPanelElement::StyleChanged(QObject*) {
    Invalidate();
}

void TPanelElement::Invalidate(const QRect& part) {
    const QRect clipped = part & rect();
    if (clipped.isEmpty())
        return;
    if (!redrawNeeded_) {
        redrawNeeded_ = true;
        outdated_ = clipped;
    } else if (!outdated_.isEmpty()) {
        outdated_ += clipped; // else all of it is outdated already
    }
    update(clipped);
}

QRegion TPanelElement::OutdatedRegion() const {
    if (!redrawNeeded_)
        return QRegion();
    return outdated_.isEmpty() ? QRegion(rect()) : outdated_;
}

bool TPanelElement::FitPicture() {
    if (picture_.size() == DevicePixels(size(), scale_) && picture_.devicePixelRatio() == scale_)
        return false;
    picture_ = ScaledPicture(size(), scale_);
    SetRedrawNeeded(true);
    return true;
}

void TPanelElement::ReleasePicture() {
    picture_ = QImage();
    SetRedrawNeeded(true);
}

void TPanelElement::PaintBuffered(QPainter& canvas, bool clearFlag) {
    FitPicture();
    if (!GetVisible())
        return;
    if (redrawNeeded_ && !picture_.isNull()) {
        const QRegion area = clearFlag ? OutdatedRegion() : ExposedRegion();
        TPicturePainter p(&picture_);
        if (area != QRegion(rect()))
            p.setClipRegion(area);
        DrawPicture(p);
        p.end();
        ExtendPictureEdges(picture_, size());
        if (clearFlag)
            SetRedrawNeeded(false);
    }
    canvas.drawImage(QPointF(0, 0), picture_);
}

void TPanelElement::Paint(QPainter& canvas) {
    PaintBuffered(canvas, true);
}

void TPanelElement::paintEvent(QPaintEvent* e) {
    QPainter canvas(this);
    scale_ = DeviceScale(canvas);
    exposed_ = e->region();
    try {
        Paint(canvas);
    } catch (...) {
        LogRepeatedWarning("element paint", objectName() + QStringLiteral(": ") + CurrentExceptionText());
        Beep();
    }
    exposed_ = QRegion();
}

void TPanelElement::mousePressEvent(QMouseEvent* e) {
    ClickPress(e);
    QWidget::mousePressEvent(e);
}

void TPanelElement::mouseReleaseEvent(QMouseEvent* e) {
    QWidget::mouseReleaseEvent(e);
    ClickRelease(e);
}
