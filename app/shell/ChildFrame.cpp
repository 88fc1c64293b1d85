#include "ChildFrame.h"

#include "ElementBase.h"
#include "ScaledView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStackedLayout>
#include <QWheelEvent>
#include <algorithm>

namespace {

TAlign AlignOf(const QWidget* w) {
    const auto* core = dynamic_cast<const TControlCore*>(w);
    return core ? core->GetAlign() : alNone;
}

// A control whose children are placed by the window's layout (the window
// itself, panels, charts); any other (a grid, a page control, a button) lays
// out its insides itself and knows its own minimum.
bool PlacesChildren(const QWidget* w, bool root) {
    return root || qobject_cast<const TPanelElement*>(w) || qobject_cast<const TGraphicElement*>(w) ||
           w->metaObject() == &QWidget::staticMetaObject;
}

QSize OwnMinimum(const QWidget* w) {
    QSize hint = w->minimumSizeHint();
    if (!hint.isValid())
        hint = QSize(0, 0);
    return hint.expandedTo(w->minimumSize());
}

QSize Need(const QWidget* w, bool root) {
    if (const QLayout* l = w->layout())
        return l->totalMinimumSize().expandedTo(w->minimumSize());
    if (!PlacesChildren(w, root))
        return OwnMinimum(w);
    QSize free(0, 0);
    int edgesHigh = 0, edgesWide = 0; // taken by top/bottom, by left/right controls
    int alongTop = 0, alongSide = 0;  // what those need along their edge
    QSize client(0, 0);
    for (const QObject* o : w->children()) {
        const auto* c = qobject_cast<const QWidget*>(o);
        if (!c || c->isWindow() || c->isHidden())
            continue;
        switch (AlignOf(c)) {
        case alNone:
            free = free.expandedTo(QSize(c->x() + c->width(), c->y() + c->height()));
            break;
        case alTop:
        case alBottom:
            edgesHigh += c->height();
            alongTop = std::max(alongTop, Need(c, false).width());
            break;
        case alLeft:
        case alRight:
            edgesWide += c->width();
            alongSide = std::max(alongSide, Need(c, false).height());
            break;
        case alClient:
            client = client.expandedTo(Need(c, false));
            break;
        }
    }
    const QSize docked(std::max(alongTop, edgesWide + client.width()),
                       edgesHigh + std::max(alongSide, client.height()));
    return free.expandedTo(docked).expandedTo(w->minimumSize());
}

} // namespace

QSize ControlsNeed(const QWidget* window) {
    return Need(window, true);
}

bool FillsFrame(const QWidget* window) {
    if (window->layout())
        return true;
    for (const QObject* o : window->children())
        if (const auto* c = qobject_cast<const QWidget*>(o); c && !c->isWindow() && AlignOf(c) == alClient)
            return true;
    return false;
}

// ---------------------------------------------------------------------------

TChildScrollArea::TChildScrollArea(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("ChildScrollArea"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
}

void TChildScrollArea::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        QScrollArea::wheelEvent(event);
        return;
    }
    // The wheel turned with Shift held scrolls sideways, by lines as without
    // it (the scroll bar itself would take Shift for whole pages).
    const QPoint angle = event->angleDelta(), pixels = event->pixelDelta();
    const int turn = angle.y() != 0 ? angle.y() : angle.x();
    const int moved = pixels.y() != 0 ? pixels.y() : pixels.x();
    QWheelEvent sideways(event->position(), event->globalPosition(), QPoint(0, moved), QPoint(0, turn),
                         event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                         event->inverted(), event->source());
    QCoreApplication::sendEvent(horizontalScrollBar(), &sideways);
    event->setAccepted(sideways.isAccepted());
}

// ---------------------------------------------------------------------------

TChildFrame::TChildFrame(QWidget* window, QWidget* parent) : QWidget(parent), window_(window) {
    setObjectName(QStringLiteral("ChildFrame_") + window->objectName());
    design_ = window->size();
    least_ = FillsFrame(window) ? ControlsNeed(window) : design_;
    window->setMinimumSize(least_);
    // The frame takes the focus when its sub-window comes forward. Without a
    // focusable widget the focus would stay in the child window that was in
    // front, and the frame area would give that one the activation back.
    setFocusPolicy(Qt::StrongFocus);
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    scroll_ = new TChildScrollArea(this);
    stack_->addWidget(scroll_);
    // The scroll area would have the window fill its background: it keeps
    // its own way of drawing it.
    const bool fills = window->autoFillBackground();
    scroll_->setWidget(window);
    window->setAutoFillBackground(fills);
}

TChildFrame::~TChildFrame() {
    // The window goes with its frame, whichever way it is shown.
    if (view_)
        delete view_->TakeContent();
}

void TChildFrame::SetShownWhole(bool whole) {
    if (whole == ShownWhole() || !window_)
        return;
    if (whole) {
        scrolled_ = QPoint(scroll_->horizontalScrollBar()->value(), scroll_->verticalScrollBar()->value());
        QWidget* window = scroll_->takeWidget();
        view_ = new TScaledView(this);
        stack_->addWidget(view_);
        view_->SetContent(window, design_);
        stack_->setCurrentWidget(view_);
        return;
    }
    QWidget* window = view_->TakeContent();
    stack_->setCurrentWidget(scroll_);
    delete view_;
    view_ = nullptr;
    const bool fills = window->autoFillBackground();
    scroll_->setWidget(window);
    window->setAutoFillBackground(fills);
    window->show();
    scroll_->horizontalScrollBar()->setValue(scrolled_.x());
    scroll_->verticalScrollBar()->setValue(scrolled_.y());
}

// ---------------------------------------------------------------------------

void FitOnScreen(QWidget* window, const QMargins& frame, bool move) {
    const QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The window's own frame once it has one, else the frame it will get.
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
    if (margins.isNull())
        margins = frame;
    const QRect room = screen->availableGeometry();
    const QSize clientRoom = room.marginsRemoved(margins).size();
    if (clientRoom.isEmpty())
        return;
    QSize size = inner.size();
    if (size.width() > clientRoom.width() || size.height() > clientRoom.height()) {
        const QSize fits = size.boundedTo(clientRoom).expandedTo(window->minimumSize());
        if (fits != size) {
            window->resize(fits);
            size = window->size();
        }
    }
    if (!move)
        return;
    // A window's position is that of its frame. Right and bottom first, so
    // that a window still larger than the screen keeps its top left corner
    // (the title bar) on it.
    const QSize whole = size.grownBy(margins);
    QPoint at = window->pos();
    at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - whole.width())));
    at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - whole.height())));
    if (at != window->pos())
        window->move(at);
}

TScreenKeeper::TScreenKeeper(QObject* parent) : QObject(parent) {}

bool TScreenKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const Qt::WindowType type = w->windowType();
        const bool placed = w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
        if (w->isWindow() && !placed && (type == Qt::Dialog || type == Qt::Tool || type == Qt::Sheet)) {
            // The frame the window manager puts around it is not known before
            // it is on the screen: that of the main window stands for it.
            QMargins frame;
            if (const QWidget* main = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
                const QRect outer = main->frameGeometry(), inner = main->geometry();
                frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom());
            }
            // A dialog not yet placed is centred over its parent by its own
            // show handler, which keeps it on the screen at its (fitted) size;
            // moving it here would take that place from it.
            const bool placesItself = qobject_cast<QDialog*>(w) && !w->testAttribute(Qt::WA_Moved);
            FitOnScreen(w, frame, !placesItself);
        }
    }
    return QObject::eventFilter(watched, event);
}
