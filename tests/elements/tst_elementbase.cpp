#include "ElementBase.h"
#include "ElementTestSupport.h"
#include "NumText.h"
#include "Tamrixutil.h"
#include "TestSupport.h"

#include <QFile>
#include <QMetaProperty>
#include <QPainter>
#include <QSignalSpy>

namespace {

// A graphic element with one scalar property and an owned pen.
class TTestGraphic : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
    Q_PROPERTY(TPen* Pen READ Pen WRITE SetPen)
public:
    explicit TTestGraphic(QWidget* owner = nullptr) : TGraphicElement(owner), pen_(OwnStyle<TPen>(this)) {
        resize(20, 10);
    }
    TColor GetColor() const { return color_; }
    void SetColor(TColor v) { Store(color_, v); }
    TPen* Pen() const { return pen_; }
    void SetPen(const TPen* p) {
        if (p)
            pen_->Assign(*p);
    }
    bool fail = false;
    int painted = 0;

protected:
    void Paint(QPainter& c) override {
        ++painted;
        if (fail)
            TruncPx(0.0 / 0.0 * color_); // a drawing computation gone wrong
        c.fillRect(0, 0, 5, 5, ColorToQColor(color_));
    }

private:
    TPen* pen_;
    TColor color_ = clRed;
};

// A double-buffered panel element with an owned font.
class TTestPanel : public TPanelElement {
    Q_OBJECT
    Q_PROPERTY(int Level READ GetLevel WRITE SetLevel)
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
public:
    explicit TTestPanel(QWidget* owner = nullptr) : TPanelElement(owner), font_(OwnStyle<TFont>(this)) {
        resize(30, 20);
    }
    int GetLevel() const { return level_; }
    void SetLevel(int v) { Store(level_, v); }
    TFont* Font() const { return font_; }
    void SetFont(const TFont* f) {
        if (f)
            font_->Assign(*f);
    }
    bool fail = false;
    int drawn = 0;
    QSize drawnSize;

protected:
    void DrawPicture(QPainter& p) override {
        ++drawn;
        drawnSize = p.device() ? QSize(p.device()->width(), p.device()->height()) : QSize();
        if (fail)
            throw EDrawError("zero-length geometry");
        p.fillRect(0, 0, width(), height(), ColorToQColor(clBlue));
        p.fillRect(0, 0, level_, 1, ColorToQColor(clYellow));
    }

private:
    TFont* font_;
    int level_ = 0;
};

// A window owner whose handler identity the elements are asked about.
class TOwnerForm : public QObject {
public:
    int clicks = 0;
    QObject* lastSender = nullptr;
    void EditElementClick(QObject* sender) {
        ++clicks;
        lastSender = sender;
    }
    void OtherClick(QObject*) {}
};

} // namespace

class TstElementBase : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    template <class E> E* Shown() {
        auto* e = new E(window_);
        e->move(10, 10);
        PaintCounter first(e);
        e->show();
        // Let the first paint happen, so that later counts see only what a test does.
        if (!QTest::qWaitFor([&] { return first.count > 0; }))
            qWarning("element was not painted after show");
        QCoreApplication::processEvents();
        e->removeEventFilter(&first);
        return e;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(200, 100);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void stylesSignalOnlyRealChanges() {
        TPen pen;
        QSignalSpy spy(&pen, &TPen::Changed);
        pen.SetWidth(1); // the default
        pen.SetColor(clBlack);
        pen.SetStyle(psSolid);
        QCOMPARE(spy.count(), 0);
        pen.SetWidth(3);
        QCOMPARE(spy.count(), 1);

        TPen other;
        other.SetWidth(2);
        other.SetColor(clBlue);
        other.SetStyle(psDot);
        pen.Assign(other);
        QCOMPARE(spy.count(), 2); // three settings, one notification
        pen.Assign(other);
        QCOMPARE(spy.count(), 2);
        QVERIFY(pen.SameAs(other));

        TFont font;
        QSignalSpy fspy(&font, &TFont::Changed);
        font.SetSize(10);
        QCOMPARE(font.GetHeight(), -13);
        QCOMPARE(font.GetSize(), 10);
        QCOMPARE(font.ToQFont().pixelSize(), 13);
        font.SetHeight(-13);
        QCOMPARE(fspy.count(), 1);
        font.SetStyle(fsBold | fsItalic);
        QVERIFY(font.ToQFont().bold() && font.ToQFont().italic());
    }

    void penToPainter_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("qtStyle");
        QTest::addColumn<int>("qtWidth");
        QTest::newRow("thin dash") << 1 << int(psDash) << int(Qt::DashLine) << 1;
        QTest::newRow("zero width is one pixel") << 0 << int(psSolid) << int(Qt::SolidLine) << 1;
        QTest::newRow("wide dash draws solid") << 3 << int(psDash) << int(Qt::SolidLine) << 3;
        QTest::newRow("clear") << 1 << int(psClear) << int(Qt::NoPen) << 1;
        QTest::newRow("inside frame") << 2 << int(psInsideFrame) << int(Qt::SolidLine) << 2;
    }
    void penToPainter() {
        QFETCH(int, width);
        QFETCH(int, style);
        QFETCH(int, qtStyle);
        QFETCH(int, qtWidth);
        TPen pen;
        pen.SetWidth(width);
        pen.SetStyle(TPenStyle(style));
        const QPen q = pen.ToQPen();
        QCOMPARE(int(q.style()), qtStyle);
        if (q.style() != Qt::NoPen)
            QCOMPARE(q.width(), qtWidth);
    }

    void unchangedSetterDoesNotPaint() {
        auto* g = Shown<TTestGraphic>();
        PaintCounter gp(g);
        g->SetColor(clRed); // unchanged
        g->SetTag(5);
        QCoreApplication::processEvents();
        QCOMPARE(gp.count, 0);
        g->SetColor(clLime); // graphic elements repaint at once, before any event loop
        QCOMPARE(gp.count, 1);

        auto* p = Shown<TTestPanel>();
        PaintCounter pp(p);
        p->SetLevel(0);
        QCoreApplication::processEvents();
        QCOMPARE(pp.count, 0);
        p->SetLevel(7);
        QCOMPARE(pp.count, 0); // a panel asks for a later repaint
        QVERIFY(p->RedrawNeeded());
        QTRY_COMPARE(pp.count, 1);
        QVERIFY(!p->RedrawNeeded());
    }

    // Pen.Width in a layout goes through the meta-object of the owned pen; in code
    // through its setter. Both reach StyleChanged.
    void ownedStylesReachStyleChanged() {
        auto* g = Shown<TTestGraphic>();
        const int before = g->painted;
        auto* pen = g->property("Pen").value<TPen*>();
        QVERIFY(pen == g->Pen());
        QVERIFY(pen->setProperty("Width", 2));
        QCOMPARE(g->painted, before + 1);
        g->Pen()->SetWidth(2); // unchanged
        QCOMPARE(g->painted, before + 1);
        g->Pen()->SetColor(clBlue);
        QCOMPARE(g->painted, before + 2);

        TPen external;
        external.SetWidth(5);
        g->SetPen(&external);
        QCOMPARE(g->Pen()->GetWidth(), 5);
        QVERIFY(g->Pen() != &external); // copied, not taken over
        QCOMPARE(g->painted, before + 3);

        auto* p = Shown<TTestPanel>();
        QTRY_VERIFY(!p->RedrawNeeded());
        p->Font()->SetColor(clRed);
        QVERIFY(p->RedrawNeeded());
        QTRY_VERIFY(!p->RedrawNeeded());
    }

    // Graphic elements draw on their parent's canvas: a windowed sibling lies
    // over them whatever was made first; among themselves they keep their order,
    // also after moving to another parent.
    void graphicElementsLieUnderWindowedSiblings() {
        auto* panel = new TTestPanel(window_);
        auto* first = new TTestGraphic(window_); // over the panel's corner when made last
        auto* plain = new QWidget(window_);
        auto* second = new TTestGraphic(window_);
        auto order = [](const QWidget* parent) {
            QList<const QObject*> widgets;
            for (const QObject* c : parent->children())
                if (c->isWidgetType())
                    widgets.append(c);
            return widgets;
        };
        QCOMPARE(order(window_), (QList<const QObject*>{first, second, panel, plain}));
        panel->show();
        first->show();
        QCOMPARE(Px(window_->grab().toImage(), 2, 2), ColorToQColor(clBlue).rgb());

        auto* other = new QWidget(window_);
        auto* inside = new QWidget(other);
        second->setParent(other);
        QCOMPARE(order(other), (QList<const QObject*>{second, inside}));
    }

    // A paint with the flag clear only copies the picture; a new size redraws it.
    void panelPictureCycle() {
        auto* p = Shown<TTestPanel>();
        QTRY_COMPARE(p->drawn, 1);
        QImage img = RenderElement(p);
        QCOMPARE(p->drawn, 1); // copied, not redrawn
        QCOMPARE(Px(img, 15, 10), ColorToQColor(clBlue).rgb());
        p->SetLevel(4);
        img = RenderElement(p);
        QCOMPARE(p->drawn, 2);
        QCOMPARE(Px(img, 3, 0), ColorToQColor(clYellow).rgb());
        QCOMPARE(Px(img, 4, 0), ColorToQColor(clBlue).rgb());

        p->resize(50, 40);
        img = RenderElement(p);
        QCOMPARE(p->drawn, 3);
        QCOMPARE(p->drawnSize, QSize(50, 40));
        QCOMPARE(p->Picture().size(), QSize(50, 40));
        QCOMPARE(Px(img, 49, 39), ColorToQColor(clBlue).rgb());
    }

    void paintGuardBeepsOncePerFailedPaint() {
        auto* g = Shown<TTestGraphic>();
        g->fail = true;
        TP().Reset();
        g->SetColor(clAqua);
        QCOMPARE(TP().beeps, 1);
        g->repaint();
        QCOMPARE(TP().beeps, 2);
        g->fail = false;
        g->repaint();
        QCOMPARE(TP().beeps, 2); // usable again

        auto* p = Shown<TTestPanel>();
        QTRY_VERIFY(!p->RedrawNeeded());
        p->fail = true;
        TP().Reset();
        p->SetLevel(9);
        QTRY_COMPARE(TP().beeps, 1);
        QVERIFY(p->RedrawNeeded()); // the next paint tries again
        p->fail = false;
        p->repaint();
        QCOMPARE(TP().beeps, 1);
        QVERIFY(!p->RedrawNeeded());
    }

    void truncPx() {
        QCOMPARE(TruncPx(2.9), 2);
        QCOMPARE(TruncPx(-2.9), -2);
        QCOMPARE(RoundPx(2.5), 3);
        QCOMPARE(RoundPx(-0.7), 0); // truncation toward zero after + 0.5
        QVERIFY_THROWS_EXCEPTION(EDrawError, TruncPx(std::nan("")));
        QVERIFY_THROWS_EXCEPTION(EDrawError, TruncPx(1e300));
    }

    void onClickIdentity() {
        TOwnerForm form, otherForm;
        auto* g = Shown<TTestGraphic>();
        auto* p = Shown<TTestPanel>();
        QVERIFY(!g->OnClick());
        QVERIFY(g->OnClick() == TNotifyEvent());

        const TNotifyEvent mine(&form, &TOwnerForm::EditElementClick);
        g->SetOnClick(mine);
        p->SetOnClick(TNotifyEvent(&form, &TOwnerForm::EditElementClick));
        QVERIFY(g->OnClick() == TNotifyEvent(&form, &TOwnerForm::EditElementClick));
        QVERIFY(!(g->OnClick() == TNotifyEvent(&form, &TOwnerForm::OtherClick)));
        QVERIFY(!(g->OnClick() == TNotifyEvent(&otherForm, &TOwnerForm::EditElementClick)));
        QVERIFY(!(g->OnClick() == TNotifyEvent()));

        const TNotifyEvent bare([](QObject*) {});
        const TNotifyEvent copy = bare;
        QVERIFY(copy == bare);
        QVERIFY(!(bare == TNotifyEvent([](QObject*) {})));

        QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(form.clicks, 1);
        QCOMPARE(form.lastSender, g);
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(form.clicks, 2);
        QCOMPARE(form.lastSender, p);
        QTest::mouseClick(p, Qt::RightButton, {}, QPoint(3, 3));
        QCOMPARE(form.clicks, 2);

        g->SetOnClick({});
        QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(form.clicks, 2);

        // A handler that unbinds itself (as switching the set-up mode off from a
        // click does) keeps running on its own copy.
        QString seen;
        const QString text = QString("a text long enough to live on the heap %1").arg(42);
        p->SetOnClick(TNotifyEvent([p, text, &seen](QObject*) {
            p->SetOnClick({});
            seen = text;
        }));
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(seen, text);
        QVERIFY(!p->OnClick());
    }

    void commonProperties() {
        auto* g = new TTestGraphic(window_);
        QVERIFY(g->setProperty("Name", "Arrow24"));
        QVERIFY(g->setProperty("Left", 12));
        QVERIFY(g->setProperty("Top", 34));
        QVERIFY(g->setProperty("Width", 56));
        QVERIFY(g->setProperty("Height", 7));
        QVERIFY(g->setProperty("Tag", 3000));
        QVERIFY(g->setProperty("Cursor", int(crCross)));
        QCOMPARE(g->objectName(), QString("Arrow24"));
        QCOMPARE(g->geometry(), QRect(12, 34, 56, 7));
        QCOMPARE(g->GetTag(), 3000);
        QCOMPARE(g->GetCursor(), crCross);
        QCOMPARE(g->cursor().shape(), Qt::CrossCursor);
        QVERIFY(g->GetVisible());
        g->SetVisible(false);
        QVERIFY(!g->GetVisible());
        g->SetHint("подсказка");
        QVERIFY(g->toolTip().isEmpty()); // only with ShowHint
        g->SetShowHint(true);
        QCOMPARE(g->toolTip(), QString("подсказка"));
    }

    void penConfigRoundTrip() {
        TPen pen;
        pen.SetWidth(3);
        pen.SetColor(clBlue);
        pen.SetStyle(psDash);
        IniFile ini(IniPath(".\\pen.INI"));
        QVERIFY(SavePenConfig(ini, "OutField_PLS", "Pen", pen));
        QCOMPARE(ini.ReadString("OutField_PLS", "PenWidth", ""), QString("3"));
        QCOMPARE(ini.ReadString("OutField_PLS", "PenColor", ""), QString("16711680"));
        QCOMPARE(ini.ReadString("OutField_PLS", "PenStyle", ""), QString("1"));
        QVERIFY(QFile::exists("pen.INI"));

        TPen back;
        QSignalSpy spy(&back, &TPen::Changed);
        QVERIFY(LoadPenConfig(IniFile("pen.INI"), "OutField_PLS", "Pen", back));
        QVERIFY(back.SameAs(pen));

        // Missing section, missing keys and texts that are not numbers keep the pen.
        spy.clear();
        QVERIFY(LoadPenConfig(IniFile("pen.INI"), "Nowhere", "Pen", back));
        QCOMPARE(spy.count(), 0);
        ini.WriteString("Bad", "PenWidth", "wide");
        ini.WriteString("Bad", "PenColor", "$FF");
        ini.WriteString("Bad", "PenStyle", "77");
        QVERIFY(LoadPenConfig(IniFile("pen.INI"), "Bad", "Pen", back));
        QCOMPARE(back.GetWidth(), 3);
        QCOMPARE(back.GetColor(), clRed); // "$FF" is hexadecimal 255
        QCOMPARE(back.GetStyle(), psDash);
    }

    void fontConfigRoundTrip() {
        TFont font;
        font.SetName("Arial");
        font.SetSize(14);
        font.SetColor(clNavy);
        IniFile ini("font.INI");
        QVERIFY(SaveFontConfig(ini, "Label17", "Font", font));
        QCOMPARE(ini.ReadSection("Label17"), QStringList({"FontSize", "FontColor", "FontName"}));
        TFont back;
        QVERIFY(LoadFontConfig(ini, "Label17", "Font", back));
        QCOMPARE(back.GetName(), QString("Arial"));
        QCOMPARE(back.GetSize(), 14);
        QCOMPARE(back.GetColor(), clNavy);
    }

    void stringsConfig_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("three") << QStringList{"1", "2,5", "текст"};
        QTest::newRow("none") << QStringList{};
    }
    void stringsConfig() {
        QFETCH(QStringList, lines);
        IniFile ini("strings.INI");
        ini.EraseSection("Poligon1");
        QVERIFY(SaveStringsConfig(ini, "Poligon1", "Points", lines));
        QCOMPARE(ini.ReadInteger("Poligon1", "PointsCount", -1), int(lines.size()));
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(ini.ReadString("Poligon1", "PointsL" + QString::number(i), "?"), lines[i]);
        TStringList back;
        back.Add("old");
        QVERIFY(LoadStringsConfig(ini, "Poligon1", "Points", back));
        QCOMPARE(back.Strings(), lines);
    }

    void stringsConfigWithoutCount() {
        IniFile ini("strings2.INI");
        ini.WriteString("S", "PointsL0", "5");
        QStringList lines{"keep"};
        QVERIFY(!LoadStringsConfig(ini, "S", "Points", lines));
        QCOMPARE(lines, QStringList{"keep"});
        ini.WriteString("S", "PointsCount", "2000000000"); // a damaged file must not fill memory
        QVERIFY(!LoadStringsConfig(ini, "S", "Points", lines));
        QCOMPARE(lines, QStringList{"keep"});
        ini.WriteInteger("S", "PointsCount", 2); // a missing line reads as "0"
        QVERIFY(LoadStringsConfig(ini, "S", "Points", lines));
        QCOMPARE(lines, QStringList({"5", "0"}));
    }
};

ORDAL_TEST_MAIN(TstElementBase)
#include "tst_elementbase.moc"
