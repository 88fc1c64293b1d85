#pragma once
// How a child window sits in the main window's frame.
//
// A window keeps the size it was designed for: when the frame is smaller, the
// part that does not fit is reached with scroll bars (the mouse wheel scrolls
// up and down, Shift+wheel sideways); when the frame is larger, the window
// fills it, as a maximised window does. A window whose controls dock to its
// edges (or that a layout manages) follows the frame down to the size its
// controls need, and only scrolls below that. A window may instead be shown
// whole, scaled uniformly to the frame (TScaledView).
//
// Dialogs are kept on the screen: FitOnScreen moves a window that would stand
// out of the screen back onto it and shrinks one that is larger than the
// screen, as far as its minimum size allows; TScreenKeeper does it for every
// dialog and tool window when it is shown.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QScrollArea>
#include <QSize>
#include <QWidget>

class QStackedLayout;
class TScaledView;

// The size that a window's controls need: the controls docked to its edges
// keep their own height (top, bottom) or width (left, right) and need what
// their own controls need along the edge; the control that fills the rest
// needs what its controls need; freely placed controls need their far edges.
// A control that a layout manages, or that draws itself (a grid, a list), needs
// its own minimum size.
QSize ControlsNeed(const QWidget* window);

// Whether the window's layout follows the size of its frame: a control docked
// to fill the rest of it, or a layout managing it. Such a window scrolls only
// below ControlsNeed; any other keeps its design size as its least size.
bool FillsFrame(const QWidget* window);

// A scroll area for a child window: Shift+wheel scrolls sideways.
class TChildScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit TChildScrollArea(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

// What the main window's frame holds for one child window: the window in a
// scroll area, or the window shown whole in a scaled view.
class TChildFrame : public QWidget {
    Q_OBJECT
public:
    explicit TChildFrame(QWidget* window, QWidget* parent = nullptr);
    ~TChildFrame() override;

    QWidget* Window() const { return window_; }
    // The window's size when it came into the frame.
    QSize DesignSize() const { return design_; }
    // The least size of the window before it scrolls.
    QSize LeastSize() const { return least_; }
    TChildScrollArea* ScrollArea() const { return scroll_; }
    // The view that shows the window whole; nullptr while it scrolls.
    TScaledView* ScaledView() const { return view_; }

    // Shows the window whole, scaled to the frame, or back in its scroll
    // area at the scroll position it had before.
    void SetShownWhole(bool whole);
    bool ShownWhole() const { return view_ != nullptr; }

private:
    QPointer<QWidget> window_;
    QSize design_, least_;
    QStackedLayout* stack_ = nullptr;
    TChildScrollArea* scroll_ = nullptr;
    TScaledView* view_ = nullptr;
    QPoint scrolled_;
};

// Moves the window onto the available area of its screen and, when it is
// larger than that area, shrinks it to fit as far as its minimum size allows
// (then its top left corner stays on the screen). `frame` stands for the
// window's frame (title bar, borders) while it has none of its own yet; with
// `move` false only the size is fitted.
void FitOnScreen(QWidget* window, const QMargins& frame = QMargins(), bool move = true);

// Keeps every dialog and tool window on the screen when it is shown; installed
// on the application.
class TScreenKeeper : public QObject {
    Q_OBJECT
public:
    explicit TScreenKeeper(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
