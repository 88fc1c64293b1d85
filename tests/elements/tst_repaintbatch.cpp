// Repaints held by a batch: none while the batch lasts, one pass afterwards.

#include "Arrow.h"
#include "ElementTestSupport.h"
#include "TestSupport.h"

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
};

ORDAL_TEST_MAIN(TstRepaintBatch)
#include "tst_repaintbatch.moc"
