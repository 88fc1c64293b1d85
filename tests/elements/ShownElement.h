#pragma once
// A shown test window for the element tests that count paints: an element
// placed in it is shown and painted once before the test looks at it.

#include "ElementTestSupport.h"
#include "TColor.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <memory>

inline QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

class TShownWindow {
public:
    TShownWindow() : window_(std::make_unique<QWidget>()) {
        window_->resize(640, 480);
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get()))
            qWarning("test window was not exposed");
    }
    QWidget* get() const { return window_.get(); }

    // Places e at bounds, shows it and waits for its first paint.
    template <class E> E* Show(E* e, const QRect& bounds) {
        e->setParent(window_.get());
        e->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
        PaintCounter first(e);
        e->show();
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("element was not painted after show");
        QCoreApplication::processEvents();
        e->removeEventFilter(&first);
        return e;
    }

private:
    std::unique_ptr<QWidget> window_;
};
