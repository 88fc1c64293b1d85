#include "ElementTestSupport.h"
#include "NumText.h"
#include "Outfield.h"
#include "TestSupport.h"

#include <QDir>
#include <QFontMetrics>
#include <QSignalSpy>

namespace {

// Bounding box of the pixels inside the frame that differ from the fill.
QRect InkBox(const QImage& img, QRgb fill, int margin = 1) {
    QRect box;
    for (int y = margin; y < img.height() - margin; ++y)
        for (int x = margin; x < img.width() - margin; ++x)
            if (Px(img, x, y) != (fill | 0xFF000000u))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

} // namespace

class TstOutField : public QObject {
    Q_OBJECT

    QWidget* window_ = nullptr;

    TOutField* Shown(const QString& name = "OutField_PLS") {
        auto* f = new TOutField(window_);
        f->setObjectName(name);
        f->SetBounds(10, 10, 120, 30);
        PaintCounter first(f);
        f->show();
        if (!QTest::qWaitFor([&] { return first.count > 0 && !f->RedrawNeeded(); }))
            qWarning("value field was not painted after show");
        f->removeEventFilter(&first);
        return f;
    }

private Q_SLOTS:
    void init() {
        TP().Reset();
        window_ = new QWidget;
        window_->resize(300, 200);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void defaults() {
        TOutField f;
        QCOMPARE(f.GetOutValue(), 0.0);
        QCOMPARE(f.GetOutFormat(), QString("###0.0"));
        QCOMPARE(f.Brush()->GetColor(), clWhite);
        QCOMPARE(f.Brush()->GetStyle(), bsSolid);
        QCOMPARE(f.Pen()->GetColor(), clBlack);
        QCOMPARE(f.Pen()->GetWidth(), 1);
        QCOMPARE(f.Pen()->GetStyle(), psSolid);
        QCOMPARE(f.Font()->GetName(), QString("Times New Roman"));
        QCOMPARE(f.Font()->GetSize(), 10);
        QCOMPARE(f.Font()->GetColor(), clWindowText);
        QVERIFY(!f.Font()->GetStyle());
        QCOMPARE(f.GetAlpha(), 0);
        QVERIFY(!f.GetHandWriting());
        QVERIFY(!f.GetTransparent());
        QCOMPARE(f.GetVAlign(), vm_VAlignCenter);
        QVERIFY(f.GetConfigName().isEmpty());
        QVERIFY(f.RedrawNeeded());
    }

    void valueSetsCaptionOnce() {
        TOutField* f = Shown();
        PaintCounter paints(f);
        f->SetOutFormat("###0 кг/м");
        QTRY_COMPARE(paints.count, 1);
        f->SetOutValue(1700);
        QCOMPARE(f->GetCaption(), QString("1700 кг/м"));
        QTRY_COMPARE(paints.count, 2);
        f->SetOutValue(1700); // unchanged: no repaint at all
        f->SetOutFormat("###0 кг/м");
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 2);
        QVERIFY(!f->RedrawNeeded());
    }

    void newFormatWaitsForNextValue() {
        TOutField f;
        f.SetOutValue(12.34);
        QCOMPARE(f.GetCaption(), QString("12") + DecimalSeparator() + "3");
        f.SetOutFormat("###0");
        QCOMPARE(f.GetCaption(), QString("12") + DecimalSeparator() + "3");
        f.SetOutValue(12.34);
        QCOMPARE(f.GetCaption(), QString("12") + DecimalSeparator() + "3");
        f.SetOutValue(12.5);
        QCOMPARE(f.GetCaption(), QString("13"));
        f.SetOutFormat("Сбой связи");
        f.SetOutValue(-1);
        QCOMPARE(f.GetCaption(), QString("Сбой связи"));
    }

    // The scheme sets the mode text first and its colours after: the text alone
    // does not redraw, the colour change shows both.
    void captionShowsWithNextStyleChange() {
        TOutField* f = Shown("OutField_AR1");
        PaintCounter paints(f);
        const QImage before = RenderElement(f);
        f->SetCaption("АВТОМАТ");
        QVERIFY(!f->RedrawNeeded());
        QCOMPARE(RenderElement(f), before);
        f->Brush()->SetColor(clAqua);
        QVERIFY(f->RedrawNeeded());
        const QImage after = RenderElement(f);
        QCOMPARE(Px(after, 1, 1), Rgb(clAqua));
        const QRect ink = InkBox(after, Rgb(clAqua));
        QVERIFY2(ink.width() > 40, "the new caption is drawn");
    }

    void framedCentredText() {
        TOutField* f = Shown();
        f->SetOutFormat("###0 кг/м");
        f->SetOutValue(1700);
        f->Pen()->SetColor(clBlue);
        const QImage img = RenderElement(f);
        // One-pixel frame on the outer ring, white fill inside it.
        for (QPoint p :
             {QPoint(0, 0), QPoint(119, 0), QPoint(0, 29), QPoint(119, 29), QPoint(60, 0), QPoint(0, 15)})
            QCOMPARE(Px(img, p.x(), p.y()), Rgb(clBlue));
        QCOMPARE(Px(img, 1, 1), Rgb(clWhite));
        QCOMPARE(Px(img, 118, 28), Rgb(clWhite));

        const QFontMetrics fm(f->TextFont());
        const int tw = fm.horizontalAdvance(f->GetCaption()), th = fm.height();
        const QPoint at = TOutField::TextOrigin(120, 30, tw, th, 0, vm_VAlignCenter);
        const QRect ink = InkBox(img, Rgb(clWhite));
        QVERIFY(!ink.isEmpty());
        QVERIFY2(QRect(at, QSize(tw + 1, th)).contains(ink), "text inside its measured box");
        QVERIFY(std::abs(ink.center().x() - 60) <= 2);
        QVERIFY(std::abs(ink.center().y() - 15) <= 3);
    }

    void textOrigin_data() {
        QTest::addColumn<int>("vAlign");
        QTest::addColumn<QPoint>("origin");
        // Field 120 x 30, text 60 x 19.
        QTest::newRow("centre") << int(vm_VAlignCenter) << QPoint(30, 5); // cy 15, 15 - 9.5 truncated
        QTest::newRow("top") << int(vm_VAlignTop) << QPoint(30, 10);      // cy = th + 1 = 20
        QTest::newRow("bottom") << int(vm_VAlignBottom) << QPoint(30, 1); // cy = 30 - 19 = 11
    }
    void textOrigin() {
        QFETCH(int, vAlign);
        QFETCH(QPoint, origin);
        QCOMPARE(TOutField::TextOrigin(120, 30, 60, 19, 0, TVelmarVAlign(vAlign)), origin);
    }

    void bottomAlignedPixels() {
        TOutField* f = Shown();
        f->SetVAlign(vm_VAlignBottom);
        f->SetCaption("88");
        const QImage img = RenderElement(f);
        const QFontMetrics fm(f->TextFont());
        const QPoint at =
            TOutField::TextOrigin(120, 30, fm.horizontalAdvance("88"), fm.height(), 0, vm_VAlignBottom);
        QCOMPARE(at.y(), 30 - fm.height() - (fm.height() + 1) / 2);
        const QRect ink = InkBox(img, Rgb(clWhite));
        QVERIFY(ink.top() >= at.y());
        QVERIFY(ink.bottom() < at.y() + fm.height());
    }

    void alpha900TurnsTextUp() {
        TOutField* f = Shown();
        f->SetBounds(10, 10, 40, 120);
        f->SetCaption("1700 кг/м");
        f->SetAlpha(900);
        const QImage img = RenderElement(f);
        const QRect ink = InkBox(img, Rgb(clWhite));
        QVERIFY2(ink.height() > 2 * ink.width(), "vertical text");
        QVERIFY(std::abs(ink.center().x() - 20) <= 3);
        QVERIFY(std::abs(ink.center().y() - 60) <= 3);
        // Counter-clockwise: the bottom of the glyphs (where "_" sits) faces right.
        f->SetCaption("______");
        f->StyleChanged();
        const QRect low = InkBox(RenderElement(f), Rgb(clWhite));
        QVERIFY(low.height() > 2 * low.width());
        QVERIFY(low.left() > 20);
    }

    void textFont() {
        TOutField f;
        QCOMPARE(f.TextFont().weight(), QFont::Normal);
        QCOMPARE(f.TextFont().pixelSize(), 13);
        f.Font()->SetStyle(fsBold | fsUnderline);
        QCOMPARE(int(f.TextFont().weight()), 600);
        QVERIFY(f.TextFont().underline());
        f.SetHandWriting(true);
        QCOMPARE(f.TextFont().styleHint(), QFont::Cursive);
    }

    void transparentDrawsOnlyText() {
        TOutField* f = Shown();
        f->SetCaption("РУЧНОЙ");
        f->SetTransparent(true);
        const QImage img = RenderElement(f);
        QCOMPARE(img.pixel(0, 0), kSentinel); // no frame
        QCOMPARE(img.pixel(2, 2), kSentinel); // no fill
        const QRect ink = InkBox(img, kSentinel, 0);
        QVERIFY(!ink.isEmpty());
        QVERIFY(!f->RedrawNeeded());
        // The text survives a repaint with the flag clear.
        QCOMPARE(InkBox(RenderElement(f), kSentinel, 0), ink);
    }

    void saveAndLoadAcrossSections() {
        QDir().mkpath("config");
        TOutField a, b;
        a.setObjectName("OutField_PLS");
        b.setObjectName("OutField_PLSZ");
        a.SetConfigName(".\\config\\FormMnemo.INI");
        b.SetConfigName(".\\config\\FormMnemo.INI");
        a.Pen()->SetWidth(2);
        a.Pen()->SetColor(clAqua);
        a.Pen()->SetStyle(psDot);
        a.Font()->SetName("Arial");
        a.Font()->SetSize(12);
        a.Font()->SetColor(clRed);
        a.Brush()->SetColor(clYellow);
        a.SetOutFormat("###0 кг/м");
        QVERIFY(a.SaveConfig());

        IniFile ini("config/FormMnemo.INI");
        QCOMPARE(ini.ReadSection("OutField_PLS"),
                 QStringList({"PenWidth", "PenColor", "PenStyle", "FontSize", "FontColor", "FontName",
                              "OutFormat", "BrushColor"}));
        QCOMPARE(ini.ReadString("OutField_PLS", "OutFormat", ""), QString("###0 кг/м"));
        QCOMPARE(ini.ReadInteger("OutField_PLS", "BrushColor", 0), clYellow);

        // Its own section is missing: nothing changes.
        QSignalSpy pen(b.Pen(), &TPen::Changed), font(b.Font(), &TFont::Changed);
        QVERIFY(b.LoadConfig());
        QCOMPARE(pen.count() + font.count(), 0);

        // Another field's look: pen, font and brush colour, not the format.
        QVERIFY(b.LoadConfig("OutField_PLS"));
        QVERIFY(b.Pen()->SameAs(*a.Pen()));
        QCOMPARE(b.Font()->GetName(), QString("Arial"));
        QCOMPARE(b.Font()->GetSize(), 12);
        QCOMPARE(b.Font()->GetColor(), clRed);
        QCOMPARE(b.Brush()->GetColor(), clYellow);
        QCOMPARE(b.GetOutFormat(), QString("###0.0"));
        QVERIFY(b.SaveConfig());
        QCOMPARE(ini.ReadInteger("OutField_PLSZ", "PenColor", 0), clAqua);
        QCOMPARE(ini.ReadString("OutField_PLSZ", "OutFormat", ""), QString("###0.0"));

        TOutField c;
        c.setObjectName("OutField_PLSZ");
        c.SetConfigName("config/FormMnemo.INI");
        QVERIFY(c.LoadConfig());
        QVERIFY(c.Pen()->SameAs(*a.Pen()));
    }

    void saveWithoutFileFails() {
        TOutField f;
        f.setObjectName("OutField_X");
        QVERIFY(f.LoadConfig()); // nothing to read: unchanged, true
        QVERIFY_THROWS_EXCEPTION(IniFileError, f.SaveConfig());
        f.SetConfigName("no/such/dir/x.INI");
        QVERIFY_THROWS_EXCEPTION(IniFileError, f.SaveConfig());
    }
};

ORDAL_TEST_MAIN(TstOutField)
#include "tst_outfield.moc"
