#include "Actioncontrols.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "TestSupport.h"

#include <QSignalSpy>

class TFormLinks : public QWidget {
    Q_OBJECT
};

namespace {

const QString kSchemeCaption = QStringLiteral("Мнемосхема  процесса обогащения  угля в тяжелых средах");

int CountOf(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += Px(img, x, y) == colour;
    return n;
}

} // namespace

class TstActionControls : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;
    QAction* action_ = nullptr;

    template <class T> T* Shown() {
        auto* c = new T(window_);
        c->move(10, 10);
        c->show();
        QCoreApplication::processEvents();
        return c;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(600, 200);
        action_ = new QAction(kSchemeCaption, window_);
        action_->setObjectName("ActionMnemo");
        action_->setToolTip("Мнемосхема");
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    // The main menu's entry: the label shows the scheme action's caption and
    // hint, and a click runs the action.
    void labelShowsAndRunsTheAction() {
        auto* l = Shown<TActionLabel>();
        l->Font()->SetName("Times New Roman");
        l->Font()->SetHeight(-19);
        l->Font()->SetColor(clNavy);
        l->SetCursor(crHandPoint);
        l->SetShowHint(true);
        l->SetAction(action_);
        QCOMPARE(l->GetAction(), action_);
        QCOMPARE(l->GetCaption(), kSchemeCaption);
        QCOMPARE(l->GetHint(), QString("Мнемосхема"));
        QCOMPARE(l->toolTip(), QString("Мнемосхема"));
        QVERIFY(l->width() > 300); // sized to the caption
        QVERIFY(CountOf(RenderElement(l), ColorToQColor(clNavy).rgb()) > 0);

        QSignalSpy ran(action_, &QAction::triggered);
        QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(ran.count(), 1);
    }

    void labelFollowsLaterChanges() {
        auto* l = Shown<TActionLabel>();
        l->SetAction(action_);
        action_->setText("Журнал событий");
        action_->setToolTip("Журнал");
        QCOMPARE(l->GetCaption(), QString("Журнал событий"));
        QCOMPARE(l->GetHint(), QString("Журнал"));
        action_->setVisible(false);
        QVERIFY(!l->GetVisible());
        action_->setVisible(true);
        QVERIFY(l->GetVisible());
    }

    // A disabled action greys the label and its clicks run nothing.
    void disabledActionGreysAndIgnoresClicks() {
        auto* l = Shown<TActionLabel>();
        l->Font()->SetColor(clNavy);
        l->SetAction(action_);
        QSignalSpy ran(action_, &QAction::triggered);
        action_->setEnabled(false);
        QVERIFY(!l->isEnabled());
        const QImage img = RenderElement(l);
        QCOMPARE(CountOf(img, ColorToQColor(clNavy).rgb()), 0);
        QVERIFY(CountOf(img, ColorToQColor(clBtnShadow).rgb()) > 0);
        QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(20, 5));
        l->Click();
        QCOMPARE(ran.count(), 0);

        action_->setEnabled(true);
        QVERIFY(l->isEnabled());
        QVERIFY(CountOf(RenderElement(l), ColorToQColor(clNavy).rgb()) > 0);
        QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(ran.count(), 1);
    }

    void labelWithoutActionIsAPlainLabel() {
        auto* l = Shown<TActionLabel>();
        l->SetCaption("F2");
        int clicks = 0;
        l->SetOnClick(TNotifyEvent([&](QObject*) { ++clicks; }));
        QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(clicks, 1);
        QCOMPARE(l->GetCaption(), QString("F2"));
        QVERIFY(l->isEnabled());
        QVERIFY(l->GetAction() == nullptr);
    }

    // An own OnClick runs instead of the action, as on the classic controls.
    void ownOnClickComesFirst() {
        auto* l = Shown<TActionLabel>();
        l->SetAction(action_);
        QSignalSpy ran(action_, &QAction::triggered);
        int clicks = 0;
        l->SetOnClick(TNotifyEvent([&](QObject*) { ++clicks; }));
        l->Click();
        QCOMPARE(clicks, 1);
        QCOMPARE(ran.count(), 0);
        l->SetOnClick({});
        l->Click();
        QCOMPARE(ran.count(), 1);
    }

    // The action may go away before the control: the control keeps what it
    // showed and clicks run nothing.
    void actionDeletedFirst() {
        auto* l = Shown<TActionLabel>();
        l->SetAction(action_);
        delete action_;
        action_ = nullptr;
        QVERIFY(l->GetAction() == nullptr);
        QCOMPARE(l->GetCaption(), kSchemeCaption);
        l->Click();
        QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(3, 3));
    }

    void unbindingStopsFollowing() {
        auto* l = Shown<TActionLabel>();
        l->SetAction(action_);
        l->SetAction(nullptr);
        action_->setText("Другое");
        QCOMPARE(l->GetCaption(), kSchemeCaption);
        QSignalSpy ran(action_, &QAction::triggered);
        l->Click();
        QCOMPARE(ran.count(), 0);
    }

    void panelAndImage() {
        auto* p = Shown<TActionPanel>();
        auto* i = Shown<TActionImage>();
        i->move(300, 10);
        p->SetAction(action_);
        i->SetAction(action_);
        QCOMPARE(p->GetCaption(), kSchemeCaption);
        QCOMPARE(p->GetHint(), QString("Мнемосхема"));
        QCOMPARE(i->GetHint(), QString("Мнемосхема"));
        QSignalSpy ran(action_, &QAction::triggered);
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(i, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(ran.count(), 2);
        action_->setEnabled(false);
        QVERIFY(!p->isEnabled());
        QVERIFY(!i->isEnabled());
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(i, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(ran.count(), 2);
    }

    void fromLayout() {
        TFormLinks form;
        auto* action = new QAction("Тренды", &form);
        const TLayout layout = LoadLayoutText(&form, R"(object FormLinks: TFormLinks
  object ActionLabel1: TActionLabel
    Left = 84
    Top = 0
    Cursor = crHandPoint
    Font.Color = clNavy
    Font.Height = -19
    Font.Name = 'Times New Roman'
  end
  object ActionPanel1: TActionPanel
    Left = 0
    Top = 40
  end
  object ActionImage1: TActionImage
    Left = 0
    Top = 0
    Width = 64
    Center = True
  end
end
)",
                                              "FormLinks.layout");
        auto* l = layout.Get<TActionLabel>("ActionLabel1");
        QVERIFY(layout.Get<TActionPanel>("ActionPanel1"));
        QVERIFY(layout.Get<TActionImage>("ActionImage1"));
        QVERIFY(l->setProperty("Action", QVariant::fromValue(action)));
        QCOMPARE(l->GetCaption(), QString("Тренды"));
    }
};

ORDAL_TEST_MAIN(TstActionControls)
#include "tst_actioncontrols.moc"
