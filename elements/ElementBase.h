#pragma once
// The two kinds of process element and what every element shares.
//
// TGraphicElement: no background of its own; it is a transparent widget drawn
//   over its parent inside its bounds. Setters and StyleChanged repaint at once
//   (repaint()). It draws on its parent's canvas, so it lies under every
//   windowed sibling (panel elements, plain widgets) whatever the creation
//   order; graphic siblings keep their creation order among themselves.
// TPanelElement: opaque (no background erase), keeps an off-screen picture of the
//   whole control and a redraw-needed flag; setters and StyleChanged set the flag
//   and ask for a later repaint (update()); a paint with the flag clear only
//   copies the picture.
//
// Both publish Name, Tag, Left, Top, Width, Height, Cursor, Hint, ShowHint,
// Visible and Align as Q_PROPERTYs (the layout loader sets them through the
// meta-object), a single VCL-style OnClick handler, and run their drawing under
// the paint guard: any exception thrown while drawing ends that paint with one
// Beep(). TruncPx throws for coordinates that are not numbers, so a zero-length
// geometry ends up there too.
//
// A subclass:
//   - declares its published properties as Q_PROPERTY(T X READ GetX WRITE SetX);
//   - creates its pens, brushes, fonts and lists with OwnStyle<TPen>(this), which
//     hooks their Changed() to StyleChanged;
//   - writes its setters with Store(member, value), which compares, stores and
//     requests the repaint of its kind;
//   - draws in Paint(QPainter&) (graphic) or DrawPicture(QPainter&) (panel);
//   - registers itself for the layouts with ORDAL_REGISTER_CLASS(TName) in its
//     .cpp (Layout.h);
//   - with appearance persistence, also derives from TConfigurable (below).

#include "IniFile.h"
#include "Styles.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <typeinfo>

class QMouseEvent;
class QPainter;

// A VCL-style single event handler with an identity, so that a window can tell
// whether an element's OnClick is exactly its own handler:
//   el->SetOnClick(TNotifyEvent(this, &TFormMnemo::EditElementClick));
//   if (el->OnClick() == TNotifyEvent(this, &TFormMnemo::EditElementClick)) ...
//   el->SetOnClick({});
// Handlers built from the same object and member function compare equal; a
// handler built from a bare function has no identity and equals nothing but
// itself (copies of it).
class TNotifyEvent {
public:
    using Fn = std::function<void(QObject* sender)>;

    TNotifyEvent() = default;
    // A handler identified by an owner and a key of the caller's choosing.
    TNotifyEvent(const void* owner, QByteArray key, Fn fn)
        : fn_(std::move(fn)), owner_(owner), key_(std::move(key)) {}
    template <class C, class B>
    TNotifyEvent(C* owner, void (B::*method)(QObject*))
        : fn_([owner, method](QObject* sender) { (owner->*method)(sender); }), owner_(owner),
          key_(MethodKey(method)) {}
    explicit TNotifyEvent(Fn fn);

    explicit operator bool() const { return bool(fn_); }
    void operator()(QObject* sender) const {
        if (fn_)
            fn_(sender);
    }
    friend bool operator==(const TNotifyEvent& a, const TNotifyEvent& b) {
        return a.owner_ == b.owner_ && a.key_ == b.key_ && bool(a.fn_) == bool(b.fn_);
    }
    const void* Owner() const { return owner_; }

private:
    template <class M> static QByteArray MethodKey(M method) {
        QByteArray key(typeid(M).name());
        key.append(reinterpret_cast<const char*>(&method), sizeof(method));
        return key;
    }

    Fn fn_;
    const void* owner_ = nullptr;
    QByteArray key_;
};

// Failure of a drawing computation (a zero-length direction, a coordinate that
// is not a number). Thrown inside Paint, it is caught by the paint guard.
class EDrawError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The scale at which a painter puts an element's pixels on its device: 1 on
// the screen, the view's factor when a window is shown enlarged or reduced. A
// picture that an element keeps is kept at that scale, so that it shows as
// sharp as the element's own drawing and is never a stretched bitmap.
qreal DeviceScale(const QPainter& canvas);
// The size in device pixels of an element's picture at that scale: every
// pixel the element touches, also those it covers only in part.
QSize DevicePixels(QSize size, qreal scale);
// After drawing into such a picture: a last column or row that the element
// covers less than half of (and so its drawing leaves blank) takes the colours
// of the one before, as the element's own edge.
void ExtendPictureEdges(QImage& picture, QSize size);
// An empty (white) picture for an element of the given size, at that scale.
QImage ScaledPicture(QSize size, qreal scale);

// A painter on an element's picture that draws in the element's own
// coordinates at whatever scale the picture is kept. QPainter applies a
// device's pixel ratio only when it is above 1: a picture of a reduced view
// (ratio below 1) gets the reduction as the painter's world transform.
class TPicturePainter : public QPainter {
public:
    explicit TPicturePainter(QImage* picture);
};

// Pixel coordinate from a floating value, truncated toward zero. A value that is
// not finite or does not fit an int throws EDrawError (never undefined behaviour).
int TruncPx(double v);
// The usual rounding of element drawing: truncation after adding 0.5.
inline int RoundPx(double v) {
    return TruncPx(v + 0.5);
}
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// The classic canvas's Rectangle(left, top, right, bottom): the area from left
// to right - 1 and top to bottom - 1 filled with the brush and framed with the
// pen (a one-pixel pen covers exactly the outer ring of that area; a wider pen
// lies centred on it, or inside it with psInsideFrame).
void CanvasRectangle(QPainter& p, int left, int top, int right, int bottom, const TPen& pen,
                     const TBrush& brush);
// The classic canvas's Ellipse(left, top, right, bottom), inside the same box.
void CanvasEllipse(QPainter& p, int left, int top, int right, int bottom, const TPen& pen,
                   const TBrush& brush);

// "Repaint at once": the element is drawn before the setter returns. A window
// that changes many elements in one go (the scheme's refresh) may hold these
// repaints with a TRepaintBatch; they then become one paint pass when the
// event loop next runs, and the screen shows the same result.
void RepaintNow(QWidget* element);
// The same for a part of the element: an element that knows which part of its
// picture a change touches repaints only that part, and with it only the
// parent and siblings under that part.
void RepaintNow(QWidget* element, const QRect& part);
class TRepaintBatch {
public:
    TRepaintBatch();
    ~TRepaintBatch();
    TRepaintBatch(const TRepaintBatch&) = delete;
    TRepaintBatch& operator=(const TRepaintBatch&) = delete;
    static bool Active();
};

// The largest element (and window) a layout or a setter may make, and the
// farthest it may be placed: larger values are refused (std::out_of_range; in
// a layout, an error naming the line).
constexpr int kMaxElementExtent = 10000;
constexpr int kMaxElementPosition = 1000000;
int CheckedExtent(int value, const char* what);   // negative becomes 0
int CheckedPosition(int value, const char* what);

// What both element kinds share; a mixin because the two kinds have different
// widget behaviour. Not a QObject: each kind declares the Q_PROPERTYs.
class TControlCore {
public:
    explicit TControlCore(QWidget* self) : self_(self) {}
    virtual ~TControlCore() = default;

    QString GetName() const { return self_->objectName(); }
    void SetName(const QString& value) { self_->setObjectName(value); }
    int GetTag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }
    int GetLeft() const { return self_->x(); }
    void SetLeft(int value);
    int GetTop() const { return self_->y(); }
    void SetTop(int value);
    int GetWidth() const { return self_->width(); }
    void SetWidth(int value);
    int GetHeight() const { return self_->height(); }
    void SetHeight(int value);
    void SetBounds(int left, int top, int width, int height);
    TCursor GetCursor() const { return cursor_; }
    void SetCursor(TCursor value);
    QString GetHint() const { return hint_; }
    void SetHint(const QString& value);
    bool GetShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    // Docks the control to an edge of its parent (or fills what is left), in the
    // order top, bottom, left, right, client; controls of one kind stack by their
    // position (top to bottom, bottom to top, left to right, right to left). The
    // docking follows every resize of the parent.
    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign value);
    // Visible unless explicitly hidden (a control on a window that is not shown
    // yet counts as visible, as its own flag says).
    bool GetVisible() const;
    void SetVisible(bool value);

    const TNotifyEvent& OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    // Runs OnClick with this control as sender, as a completed mouse click does.
    virtual void Click();

protected:
    // A click is a left press and release both inside the control.
    void ClickPress(QMouseEvent* e);
    void ClickRelease(QMouseEvent* e);

private:
    void ApplyHint();

    QWidget* self_;
    TAlign align_ = alNone;
    int tag_ = 0;
    TCursor cursor_ = crDefault;
    QString hint_;
    bool showHint_ = false;
    bool pressed_ = false;
    TNotifyEvent onClick_;
};

// Lays out the docked (Align) children of parent again; runs by itself on every
// resize of a parent that has docked children.
void RealignChildren(QWidget* parent);
// Puts every graphic element of parent under all its windowed siblings, each
// kind keeping its order: what the elements do by themselves when they arrive,
// done once for a whole layout.
void RestackChildren(QWidget* parent);
// While one lives, docking and stacking wait (the layout loader docks and
// stacks once at the end: stacking each of thousands of elements as it
// arrives costs a walk of the parent's children each).
class TAlignSuspender {
public:
    TAlignSuspender() { ++depth_; }
    ~TAlignSuspender() { --depth_; }
    TAlignSuspender(const TAlignSuspender&) = delete;
    TAlignSuspender& operator=(const TAlignSuspender&) = delete;
    static bool Active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// Appearance persistence: ConfigName is the INI file, the section is the
// element's Name unless LoadConfig is given another one. A class declares
//   Q_PROPERTY(QString ConfigName READ GetConfigName WRITE SetConfigName)
// and implements SaveConfig/LoadConfig with the Tamrixutil helpers.
class TConfigurable {
public:
    virtual ~TConfigurable() = default;

    QString GetConfigName() const { return configName_; }
    void SetConfigName(const QString& value) {
        if (configName_ != value)
            configName_ = value;
    }
    virtual bool SaveConfig() = 0;
    // Why the last SaveConfig() returned false (empty after one that did not):
    // the classes that report a failed save with false keep the reason here,
    // for the editor that shows it to the operator.
    const QString& SaveError() const { return saveError_; }
    // section empty: the element's own Name; otherwise take over the look stored
    // under another element's section.
    virtual bool LoadConfig(const QString& section = QString()) = 0;

protected:
    explicit TConfigurable(QString configName = QString()) : configName_(std::move(configName)) {}
    // The INI file ConfigName names (".\Colors.INI" works as on the workstation).
    IniFile ConfigFile() const;
    static QString SectionFor(const QString& section, const QObject* self) {
        return section.isEmpty() ? self->objectName() : section;
    }

    QString saveError_;

private:
    QString configName_;
};

class TGraphicElement : public QWidget, public TControlCore {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)
    Q_PROPERTY(int Left READ GetLeft WRITE SetLeft)
    Q_PROPERTY(int Top READ GetTop WRITE SetTop)
    Q_PROPERTY(int Width READ GetWidth WRITE SetWidth)
    Q_PROPERTY(int Height READ GetHeight WRITE SetHeight)
    Q_PROPERTY(Vcl::TCursor Cursor READ GetCursor WRITE SetCursor)
    Q_PROPERTY(QString Hint READ GetHint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ GetShowHint WRITE SetShowHint)
    Q_PROPERTY(bool Visible READ GetVisible WRITE SetVisible)
    Q_PROPERTY(Vcl::TAlign Align READ GetAlign WRITE SetAlign)
public:
    explicit TGraphicElement(QWidget* owner = nullptr);

public Q_SLOTS:
    // The owned pens, brushes, fonts and lists report here: repaint at once.
    virtual void StyleChanged(QObject* sender = nullptr);

protected:
    // Draws the whole element; exceptions end the paint with one beep.
    virtual void Paint(QPainter& canvas) = 0;
    // The part of the element the current paint shows (the whole element
    // outside a paint). An element that keeps an off-screen picture draws
    // only this part of it again.
    QRegion ExposedRegion() const { return exposed_.isEmpty() ? QRegion(rect()) : exposed_; }

    // Setter body: compare, store, repaint at once. Returns whether it changed.
    template <class T, class V> bool Store(T& member, const V& value) {
        if (member == value)
            return false;
        member = value;
        RepaintNow(this);
        return true;
    }

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Just under the lowest windowed sibling: over the graphic siblings made
    // before, under every windowed one.
    void StackUnderWindowedSiblings();

    QRegion exposed_;
};

class TPanelElement : public QWidget, public TControlCore {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)
    Q_PROPERTY(int Left READ GetLeft WRITE SetLeft)
    Q_PROPERTY(int Top READ GetTop WRITE SetTop)
    Q_PROPERTY(int Width READ GetWidth WRITE SetWidth)
    Q_PROPERTY(int Height READ GetHeight WRITE SetHeight)
    Q_PROPERTY(Vcl::TCursor Cursor READ GetCursor WRITE SetCursor)
    Q_PROPERTY(QString Hint READ GetHint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ GetShowHint WRITE SetShowHint)
    Q_PROPERTY(bool Visible READ GetVisible WRITE SetVisible)
    Q_PROPERTY(Vcl::TAlign Align READ GetAlign WRITE SetAlign)
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(int TabOrder READ GetTabOrder WRITE SetTabOrder)
public:
    explicit TPanelElement(QWidget* owner = nullptr);

    // The panel's caption. Setting it only stores the text: an element that
    // shows it decides when (CaptionChanged).
    QString GetCaption() const { return caption_; }
    void SetCaption(const QString& value);
    TColor GetColor() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    int GetTabOrder() const { return tabOrder_; }
    void SetTabOrder(int value) { tabOrder_ = value; }

    bool RedrawNeeded() const { return redrawNeeded_; }
    // The part of the picture to draw again at the next paint (empty when none).
    QRegion OutdatedRegion() const;
    // The off-screen picture as last drawn.
    const QImage& Picture() const { return picture_; }
    // Gives the picture's memory back; the next paint draws it afresh, as after
    // a resize. For elements of a window nobody sees.
    void ReleasePicture();

public Q_SLOTS:
    // Marks the picture as outdated and asks for a later repaint.
    virtual void StyleChanged(QObject* sender = nullptr);

protected:
    // Draws the whole picture into the off-screen bitmap (size Width x Height).
    virtual void DrawPicture(QPainter& picture) = 0;
    // The paint of the element; runs inside the paint guard. The default is the
    // off-screen pattern with the flag cleared after drawing (PaintBuffered).
    virtual void Paint(QPainter& canvas);
    // Keep the bitmap at the control's size (a new size sets the flag); stop when
    // hidden; redraw the picture when flagged (and clear the flag if asked); copy
    // it onto the control. Only the outdated part of a kept picture (clearFlag)
    // is drawn again; a picture rebuilt on every paint (clearFlag false) is
    // drawn where the paint shows it.
    void PaintBuffered(QPainter& canvas, bool clearFlag);
    // Keeps the bitmap at the control's size (in device pixels at the scale
    // of the current paint); true when it was made anew.
    bool FitPicture();
    QImage& PictureRef() { return picture_; }
    // Outdates the whole picture, or (false) none of it.
    void SetRedrawNeeded(bool value) {
        redrawNeeded_ = value;
        outdated_ = QRegion();
    }
    // The part of the element the current paint shows (the whole element
    // outside a paint).
    QRegion ExposedRegion() const { return exposed_.isEmpty() ? QRegion(rect()) : exposed_; }
    // Called after the caption has changed; the default does nothing.
    virtual void CaptionChanged() {}

    // Setter body: compare, store, flag the picture and ask for a later repaint.
    template <class T, class V> bool Store(T& member, const V& value) {
        if (member == value)
            return false;
        member = value;
        Invalidate();
        return true;
    }
    void Invalidate() {
        SetRedrawNeeded(true);
        update();
    }
    // Outdates only a part of the picture and asks for a later repaint of it.
    void Invalidate(const QRect& part);

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QString caption_;
    TColor color_ = clBtnFace;
    int tabOrder_ = -1;
    bool redrawNeeded_ = true;
    QRegion outdated_; // with redrawNeeded_: the outdated part; empty means all of it
    QRegion exposed_;
    qreal scale_ = 1; // DeviceScale of the current paint
    QImage picture_;
};

// Creates a pen, brush, font or string list owned by the element, with its
// Changed() hooked to the element's StyleChanged.
template <class T, class E> T* OwnStyle(E* element) {
    auto* obj = new T(element);
    QObject::connect(obj, &T::Changed, element, [element, obj] { element->StyleChanged(obj); });
    return obj;
}
