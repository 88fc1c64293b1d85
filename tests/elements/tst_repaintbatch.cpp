// Repaints held by a batch: none while the batch lasts, one pass afterwards.
// Repaints of a part: the scheme's animations repaint only what they change,
// and the window then shows what a repaint of everything shows.

#include "Arrow.h"
#include "Barrel.h"
#include "Coalbox.h"
#include "Ebm.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"
#include "Waterbox.h"
#include "Watermeo.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <optional>

// Stand-in for the scheme window: black under its elements.
class TFormMnemo : public QWidget {
    Q_OBJECT
protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(e->rect(), Qt::black);
    }
};

namespace {

// The region of every paint a widget receives.
class PaintRegions : public QObject {
public:
    explicit PaintRegions(QWidget* w) { w->installEventFilter(this); }
    QRegion painted;
    bool recording = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (recording && e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

} // namespace

class TstRepaintBatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void heldRepaintsBecomeOnePass() {
        QWidget window;
        window.resize(300, 100);
        auto* arrow = new TArrow(&window);
        arrow->SetBounds(10, 10, 200, 31);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        PaintCounter paints(arrow);

        arrow->SetColor(clBlue); // at once, outside a batch
        QCOMPARE(paints.count, 1);
        {
            const TRepaintBatch batch;
            QVERIFY(TRepaintBatch::Active());
            arrow->SetColor(clLime);
            arrow->SetArrowWidth(5);
            arrow->SetAngle(10);
            QCOMPARE(paints.count, 1);
        }
        QVERIFY(!TRepaintBatch::Active());
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 2);
        arrow->SetArrowWidth(6);
        QCOMPARE(paints.count, 3);
    }

    void animationsRepaintWhatTheyChange_data() {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("change");
        QTest::newRow("bath: next frame of the column") << "CoalBox1" << 0;
        QTest::newRow("bath: wheel turned") << "CoalBox1" << 1;
        QTest::newRow("rotor turned") << "EBM1" << 2;
        QTest::newRow("sump level") << "Flake_NS" << 3;
        QTest::newRow("sump level in a batch") << "Flake_KS" << 4;
        QTest::newRow("upright gauge") << "WaterMEO_VODA1" << 5;
        QTest::newRow("level gauge") << "WaterMEO_DSUS" << 5;
        QTest::newRow("tank level") << "Barrel_KW" << 6;
    }
    void animationsRepaintWhatTheyChange() {
        QFETCH(QString, element);
        QFETCH(int, change);
        TFormMnemo window;
        const TLayout layout =
            LoadLayout(&window, QStringLiteral(ORDAL_SOURCE_DIR "/app/windows/FormMnemo.layout"));
        window.resize(1272, 916);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        auto* w = layout.Get<QWidget>(element);
        PaintRegions regions(w);
        for (int i = 0; i < 5; ++i) {
            regions.recording = true;
            switch (change) {
            case 0:
                static_cast<TCoalBox*>(w)->NextFrame();
                break;
            case 1:
                static_cast<TCoalBox*>(w)->Setblade_angle(static_cast<TCoalBox*>(w)->Getblade_angle() - 3);
                break;
            case 2:
                static_cast<TEBM*>(w)->SetBladeAngle(static_cast<TEBM*>(w)->GetBladeAngle() + 7);
                break;
            case 6: {
                auto* tank = static_cast<TBarrel*>(w);
                tank->SetWaterLevel(tank->GetWaterLevel() + (i % 2 ? -0.5 : 0.3));
                break;
            }
            case 5: {
                auto* gauge = static_cast<TWaterMEO*>(w);
                gauge->SetPosition(gauge->GetPosition() + (i % 2 ? -13 : 7));
                break;
            }
            default: {
                std::optional<TRepaintBatch> batch; // change 4; change 3 repaints at once
                if (change == 4)
                    batch.emplace();
                auto* sump = static_cast<TWaterBox*>(w);
                sump->SetWaterLevel(sump->GetWaterLevel() + (change == 3 ? 0.3 : -0.2));
                break;
            }
            }
            QCoreApplication::processEvents();
            regions.recording = false; // the fresh picture below repaints everything
            const QImage shown =
                window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY2(shown.copy(window.rect()) == fresh,
                     qPrintable(QStringLiteral("after change %1").arg(i + 1)));
        }
        QVERIFY(!regions.painted.isEmpty());
        const QRect part = regions.painted.boundingRect();
        QVERIFY2(part.width() * part.height() * 2 < w->width() * w->height(),
                 qPrintable(QStringLiteral("%1x%2 of %3x%4")
                                .arg(part.width())
                                .arg(part.height())
                                .arg(w->width())
                                .arg(w->height())));
    }
};

ORDAL_TEST_MAIN(TstRepaintBatch)
#include "tst_repaintbatch.moc"
