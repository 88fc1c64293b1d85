// How child windows sit in the main window's frame without a server: the
// scroll area, the scheme shown whole at a scale, and dialogs kept on the
// screen.

#include "ChildFrame.h"
#include "Controls.h"
#include "Ebm.h"
#include "ElementBase.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "Pump.h"
#include "ScaledView.h"
#include "TestSupport.h"
#include "Waterbox.h"

#include <QDialog>
#include <QScreen>
#include <QScrollBar>

namespace {

// The scheme window without the main window: its refresh stays off, the
// values are set by the test.
TFormMnemo* NewScheme() {
    auto* mnemo = new TFormMnemo;
    mnemo->Timer1->stop();
    return mnemo;
}

// The mean colour of each 8 x 8 block: crisp drawing at a scale and a bitmap
// smoothed to that scale differ at edges, not in what a block shows.
QImage Blocks(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32)
        .scaled(image.width() / 8, image.height() / 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The share of blocks whose colour differs clearly between the two pictures.
double DifferentBlocks(const QImage& a, const QImage& b) {
    const QImage x = Blocks(a), y = Blocks(b);
    if (x.size() != y.size())
        return 1;
    int different = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) >
                120)
                ++different;
        }
    return double(different) / (x.width() * x.height());
}

// What the scaled view should show: the window's own picture, scaled.
QImage Expected(QWidget* window, const TScaledView& view) {
    const QImage own = window->grab().toImage();
    const QSize size = (QSizeF(own.size()) * view.Scale()).toSize();
    QImage expected(view.viewport()->size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter p(&expected);
    p.drawImage(view.MapFromContent(QPointF(0, 0)),
                own.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return expected;
}

} // namespace

class TstChildFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    // The view draws every element at the view's scale, pictures included,
    // and a repaint after new values shows them as a fresh paint would.
    void scaledSchemeShowsTheWindow_data() {
        QTest::addColumn<QSize>("frame");
        QTest::newRow("reduced (1366 x 768 screen)") << QSize(1366, 692);
        QTest::newRow("enlarged") << QSize(1600, 1100);
    }
    void scaledSchemeShowsTheWindow() {
        QFETCH(QSize, frame);
        TFormMnemo* mnemo = NewScheme();
        TChildFrame content(mnemo);
        content.resize(frame);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        content.SetShownWhole(true);
        const TScaledView& view = *content.ScaledView();
        QTRY_VERIFY(view.Scale() != 1);
        QCOMPARE(view.Scale(), std::min(frame.width() / 1272.0, frame.height() / 916.0));
        QTest::qWait(20);
        QVERIFY2(DifferentBlocks(view.viewport()->grab().toImage(), Expected(mnemo, view)) < 0.01,
                 "the scaled scheme differs from the window");

        mnemo->OutField_PLS->SetOutValue(1234);
        mnemo->OutField_KS_level->SetOutValue(87);
        mnemo->Flake_KS->SetWaterLevel(87 * 0.044);
        mnemo->Flake_NS->SetWaterLevel(0.5);
        QTest::qWait(20);
        QVERIFY2(DifferentBlocks(view.viewport()->grab().toImage(), Expected(mnemo, view)) < 0.01,
                 "the repaint after new values differs from the window");
    }

    // A click on the scaled scheme reaches the element under it.
    void clicksOnTheScaledSchemeReachTheElement() {
        TFormMnemo* mnemo = NewScheme();
        TChildFrame content(mnemo);
        content.resize(1000, 600);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        content.SetShownWhole(true);
        QTest::qWait(20);
        QObject* clicked = nullptr;
        const QList<QWidget*> elements{static_cast<QWidget*>(mnemo->OutField_PLS), mnemo->Flake_NS,
                                       mnemo->Pump_KS, mnemo->EBM1};
        for (QWidget* element : elements) {
            dynamic_cast<TControlCore*>(element)->SetOnClick(TNotifyEvent([&](QObject* s) { clicked = s; }));
            // A point of the element that no other control covers.
            const QPoint inside = element->mapTo(mnemo, QPoint(element->width() / 2, element->height() / 5));
            QCOMPARE(mnemo->childAt(inside), element);
            clicked = nullptr;
            QTest::mouseClick(content.ScaledView()->viewport(), Qt::LeftButton, {},
                              content.ScaledView()->MapFromContent(inside));
            QCOMPARE(clicked, element);
        }
    }

    // Leaving the scaled view gives the window back where it was scrolled to.
    void scrollPositionSurvivesTheScaledView() {
        TFormMnemo* mnemo = NewScheme();
        TChildFrame content(mnemo);
        content.resize(800, 500);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        QScrollBar* down = content.ScrollArea()->verticalScrollBar();
        QScrollBar* across = content.ScrollArea()->horizontalScrollBar();
        QVERIFY(down->maximum() > 0 && across->maximum() > 0);
        down->setValue(down->maximum());
        across->setValue(100);
        content.SetShownWhole(true);
        QVERIFY(content.ShownWhole());
        content.SetShownWhole(false);
        QVERIFY(!content.ScaledView());
        QCOMPARE(mnemo->parentWidget(), content.ScrollArea()->viewport());
        QTRY_COMPARE(down->value(), down->maximum());
        QCOMPARE(across->value(), 100);
        QVERIFY(mnemo->isVisible());
    }

    // The wheel scrolls down and up; with Shift held it scrolls sideways.
    void shiftWheelScrollsSideways() {
        auto* window = new QWidget;
        window->resize(2000, 1500);
        TChildFrame content(window);
        content.resize(600, 400);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        QScrollBar* down = content.ScrollArea()->verticalScrollBar();
        QScrollBar* across = content.ScrollArea()->horizontalScrollBar();
        QCOMPARE(window->size(), QSize(2000, 1500)); // a fixed design keeps its size
        auto turn = [&](Qt::KeyboardModifiers modifiers) {
            const QPoint at(100, 100);
            QWheelEvent e(at, content.ScrollArea()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(content.ScrollArea()->viewport(), &e);
        };
        turn(Qt::NoModifier);
        QVERIFY(down->value() > 0);
        QCOMPARE(across->value(), 0);
        const int downValue = down->value();
        turn(Qt::ShiftModifier);
        QVERIFY(across->value() > 0);
        QCOMPARE(down->value(), downValue);
    }

    // A window whose controls follow its size scrolls only below what its
    // controls need; a window of fixed design keeps its design size.
    void leastSizeOfAWindow() {
        auto* docked = new QWidget;
        docked->resize(1000, 700);
        auto* panel = new TPanel(docked);
        panel->setGeometry(0, 0, 1000, 41);
        panel->SetAlign(alTop);
        (new TOutField(panel))->setGeometry(700, 5, 120, 30);
        auto* rest = new TPanel(docked);
        rest->SetAlign(alClient);
        (new TOutField(rest))->setGeometry(10, 10, 300, 200);
        TChildFrame content(docked);
        QVERIFY(FillsFrame(docked));
        // Across: the field at the top ends at 820; down: the top panel and
        // what the client part needs.
        QCOMPARE(content.LeastSize(), QSize(820, 41 + 210));
        content.resize(500, 400);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        // It follows the frame down and scrolls across.
        QCOMPARE(docked->width(), 820);
        QVERIFY(docked->height() < 400 && docked->height() >= 251);
        QCOMPARE(content.ScrollArea()->verticalScrollBar()->maximum(), 0);
        QVERIFY(content.ScrollArea()->horizontalScrollBar()->maximum() > 0);
        content.resize(1200, 900);
        QTRY_COMPARE(docked->size(), QSize(1200, 900));

        auto* fixed = new QWidget;
        fixed->resize(900, 600);
        TChildFrame other(fixed);
        QVERIFY(!FillsFrame(fixed));
        QCOMPARE(other.LeastSize(), QSize(900, 600));
    }

    // A dialog larger than the screen or standing out of it is brought onto it.
    void dialogsAreKeptOnTheScreen() {
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        QDialog big;
        big.setMinimumSize(100, 100);
        big.setGeometry(room.left() - 50, room.top() + 40, room.width() + 300, room.height() + 200);
        FitOnScreen(&big);
        QVERIFY2(room.contains(big.geometry()), qPrintable(QDebug::toString(big.geometry())));
        QCOMPARE(big.size(), room.size());

        QDialog small;
        small.setFixedSize(300, 200);
        small.move(room.right() + 400, room.bottom() - 20);
        FitOnScreen(&small);
        QVERIFY(room.contains(small.geometry()));
        QCOMPARE(small.size(), QSize(300, 200));

        // One that cannot shrink keeps its title bar on the screen.
        QDialog stiff;
        stiff.setFixedSize(room.width() + 100, room.height() + 100);
        stiff.move(room.left() + 200, room.top() + 200);
        FitOnScreen(&stiff);
        QCOMPARE(stiff.pos(), room.topLeft());

        // Shown through the keeper: a dialog that was placed is moved on.
        TScreenKeeper keeper;
        qApp->installEventFilter(&keeper);
        QDialog placed;
        placed.resize(200, 100);
        placed.move(room.right() + 100, room.top());
        placed.show();
        qApp->removeEventFilter(&keeper);
        QVERIFY2(room.contains(placed.geometry()),
                 qPrintable(QDebug::toString(placed.geometry()) + QDebug::toString(room)));
    }
};

ORDAL_TEST_MAIN(TstChildFrame)
#include "tst_childframe.moc"
