// The window layout files (app/windows/) and the gallery (layouts/) as the program compiles them in: they load into
// their windows, the scheme holds the bound elements at the bounds its window's
// code relies on, its sixty pipes carry the names, groups, colours and widths the
// colouring and the look editor work with, and no pipe ends in the air.

#include "Arrow.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "Outfield.h"
#include "TestSupport.h"

#include <QLineF>
#include <QSet>
#include <memory>

// Stand-ins for the windows the files are written for (the layout names its
// window's class).
class TFormMnemo : public QWidget {
    Q_OBJECT
};
class TFormGallery : public QWidget {
    Q_OBJECT
};

namespace {

// The windows' layouts lie beside their units; the gallery in layouts/.
QString SourceFile(const char* name) {
    const QString n = QLatin1String(name);
    return QStringLiteral(ORDAL_SOURCE_DIR) +
           (n == QLatin1String("Gallery.layout") ? QStringLiteral("/layouts/") : QStringLiteral("/app/windows/")) + n;
}

struct Loaded {
    std::unique_ptr<QWidget> window;
    TLayout layout;
};

template <class Window> Loaded Load(const char* name) {
    Loaded l;
    l.window = std::make_unique<Window>();
    l.layout = LoadLayout(l.window.get(), SourceFile(name));
    return l;
}

QString ClassName(const QObject* o) {
    return QString::fromLatin1(o->metaObject()->className());
}

// A pipe's drawn line in window coordinates.
QLineF PipeLine(const TArrow* a, const QWidget* window) {
    const TArrowGeometry g =
        ArrowGeometry(a->width(), a->height(), a->GetAngle(), a->GetEdgeLength(), a->GetEdgeAngle());
    return QLineF(a->mapTo(window, g.P1), a->mapTo(window, g.Tip));
}

double DistanceToSegment(QPointF p, const QLineF& s) {
    const QPointF d = s.p2() - s.p1();
    const double len2 = d.x() * d.x() + d.y() * d.y();
    double t = len2 > 0 ? ((p - s.p1()).x() * d.x() + (p - s.p1()).y() * d.y()) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF q = s.p1() + t * d;
    return QLineF(p, q).length();
}

double DistanceToRect(QPointF p, const QRectF& r) {
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

} // namespace

class TestLayoutFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loads_data();
    void loads();
    void schemeArrows_data();
    void schemeArrows();
    void schemeHasExactlyTheSixtyArrows();
    void schemeBounds_data();
    void schemeBounds();
    void schemeValues_data();
    void schemeValues();
    void schemeLabels();
    void pipesMeetSomething();
    void schemePanelsLieOverThePipes();
    void galleryHoldsEveryClass_data();
    void galleryHoldsEveryClass();
};

void TestLayoutFiles::loads_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("scheme") << "FormMnemo.layout" << "TFormMnemo" << 1272 << 916;
    QTest::newRow("gallery") << "Gallery.layout" << "TFormGallery" << -1 << -1;
}

void TestLayoutFiles::loads() {
    QFETCH(QString, file);
    QFETCH(QString, window);
    QFETCH(int, width);
    QFETCH(int, height);
    std::unique_ptr<QWidget> w;
    if (window == QLatin1String("TFormMnemo"))
        w = std::make_unique<TFormMnemo>();
    else
        w = std::make_unique<TFormGallery>();
    try {
        const TLayout layout = LoadLayout(w.get(), SourceFile(file.toLatin1().constData()));
        QVERIFY(!layout.components.isEmpty());
    } catch (const ELayoutError& e) {
        QFAIL(qPrintable(e.Text()));
    }
    if (width > 0)
        QCOMPARE(w->size(), QSize(width, height));
    // Drawing every element of the file sounds no beep (the paint guard beeps
    // on a drawing failure).
    TP().Reset();
    QImage img(w->size(), QImage::Format_ARGB32);
    w->render(&img);
    QCOMPARE(TP().beeps, 0);
}

void TestLayoutFiles::schemeArrows_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("parent");
    struct Group {
        int tag;
        TColor color;
        int width;
        QList<int> numbers;
    };
    const QList<Group> groups = {
        {100, clRed, 3, {12, 13, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 48, 49, 50, 59}},
        {200, clBlue, 3, {1, 2, 4, 5, 6, 8, 9, 10, 11, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 27, 28, 29, 30, 63}},
        {3000, clAqua, 3, {7, 57, 58, 61, 62}},
        {500, clPurple, 3, {3}},
        {600, clRed, 3, {46, 47}},
        {2300, clWhite, 3, {51, 52}},
        {2400, clYellow, 2, {53, 54, 55, 56}},
    };
    // The arrows drawn over the equipment they belong to.
    const QHash<int, QString> parents = {{12, "Flake_KS"}, {13, "EBM1"}, {63, "EBM1"}, {11, "Flake_NS"}, {59, "Barrel_KW"}};
    int rows = 0;
    for (const Group& g : groups)
        for (int n : g.numbers) {
            const QString name = QStringLiteral("Arrow%1").arg(n);
            QTest::newRow(qPrintable(name)) << name << g.tag << int(g.color) << g.width
                                            << parents.value(n, QStringLiteral("FormMnemo"));
            ++rows;
        }
    QCOMPARE(rows, 60);
}

void TestLayoutFiles::schemeArrows() {
    QFETCH(QString, name);
    QFETCH(int, tag);
    QFETCH(int, color);
    QFETCH(int, width);
    QFETCH(QString, parent);
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    auto* a = qobject_cast<TArrow*>(l.layout.Find(name));
    QVERIFY2(a, qPrintable(name + QStringLiteral(" is missing")));
    QCOMPARE(ClassName(a), QStringLiteral("TArrow"));
    QCOMPARE(a->GetTag(), tag);
    QCOMPARE(a->GetColor(), color);
    QCOMPARE(a->GetArrowWidth(), width);
    QVERIFY(a->parentWidget());
    QCOMPARE(a->parentWidget()->objectName(), parent);
    QCOMPARE(a->GetConfigName(), QStringLiteral(".\\Colors.INI"));
    QCOMPARE(a->GetBubbleLen(), 3);
    QCOMPARE(a->GetBubbleSpeed(), 2.0);
    QCOMPARE(a->GetBubbleInterval(), 5);
    QCOMPARE(a->GetBubbleColor(), clWhite);
    QVERIFY2(a->GetEdgeLength() == 0 || a->GetEdgeLength() == 7, qPrintable(QString::number(a->GetEdgeLength())));
    static const QSet<int> angles = {0, 90, -90, -45, -15, 60, 160, 180, 190, 195, 200};
    QVERIFY2(a->GetAngle() == std::floor(a->GetAngle()) && angles.contains(int(a->GetAngle())),
             qPrintable(QString::number(a->GetAngle())));
    // The scheme shows no bubbles.
    QVERIFY(!a->GetBubbleSource());
    QVERIFY(!a->GetNextArrow());
}

void TestLayoutFiles::schemeHasExactlyTheSixtyArrows() {
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    QStringList arrows;
    for (QObject* c : l.layout.components)
        if (ClassName(c) == QLatin1String("TArrow"))
            arrows.append(c->objectName());
    QCOMPARE(arrows.size(), 60);
    for (const char* gone : {"Arrow25", "Arrow26", "Arrow60"})
        QVERIFY2(!arrows.contains(QLatin1String(gone)), gone);
    // The window's list of components is the layout's, in file order.
    QCOMPARE(Components(l.window.get()), l.layout.components);
}

void TestLayoutFiles::schemeBounds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QRect>("bounds");
    const struct {
        const char* name;
        const char* cls;
        QRect r;
    } rows[] = {
        {"OutField_PLS", "TOutField", {1058, 183, 120, 30}},
        {"OutField_PLSZ", "TOutField", {1058, 256, 120, 30}},
        {"OutField_KS_level", "TOutField", {1004, 719, 66, 30}},
        {"OutField_NS_level", "TOutField", {293, 717, 66, 30}},
        {"OutField_VODA1", "TOutField", {250, 86, 80, 25}},
        {"OutField_DSUS", "TOutField", {515, 634, 79, 27}},
        {"OutField_DSUS_M100", "TOutField", {742, 634, 79, 27}},
        {"OutField_AR1", "TOutField", {955, 255, 92, 31}},
        {"Flake_NS", "TWaterBox", {238, 675, 177, 146}},
        {"Flake_KS", "TWaterBox", {952, 675, 170, 146}},
        {"WaterMEO_VODA1", "TWaterMEO", {178, 80, 66, 110}},
        {"WaterMEO_DSUS", "TWaterMEO", {600, 634, 136, 51}},
        {"Barrel_KW", "TBarrel", {955, 157, 53, 75}},
        {"AniTrans_coal", "TAniTrans", {14, 309, 206, 66}},
        {"AniTrans_back", "TAniTrans", {1031, 427, 206, 66}},
        {"CoalBox1", "TCoalBox", {284, 146, 386, 184}},
        {"EBM1", "TEBM", {82, 417, 157, 147}},
        {"Pump_NS", "TPump", {12, 775, 50, 50}},
        {"Pump_KS", "TPump", {1212, 774, 50, 50}},
        {"UniPandus1", "TUniPandus", {668, 331, 222, 105}},
        {"WaterCircle1", "TWaterCircle", {411, 182, 51, 51}},
        {"WaterCircle2", "TWaterCircle", {318, 207, 51, 51}},
        {"WaterCircle3", "TWaterCircle", {716, 282, 51, 51}},
        {"WaterCircle4", "TWaterCircle", {806, 304, 51, 51}},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << QString::fromLatin1(r.cls) << r.r;
}

void TestLayoutFiles::schemeBounds() {
    QFETCH(QString, name);
    QFETCH(QString, cls);
    QFETCH(QRect, bounds);
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    auto* w = qobject_cast<QWidget*>(l.layout.Find(name));
    QVERIFY2(w, qPrintable(name + QStringLiteral(" is missing")));
    // Exact class: the window's set-up and colouring compare class names.
    QCOMPARE(ClassName(w), cls);
    QCOMPARE(w->parentWidget(), l.window.get());
    QCOMPARE(w->geometry(), bounds);
}

void TestLayoutFiles::schemeValues_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property"); // dotted for a pen, brush or font
    QTest::addColumn<QVariant>("value");
    auto row = [](const char* name, const char* property, QVariant value) {
        QTest::addRow("%s.%s", name, property) << QString::fromLatin1(name) << QString::fromLatin1(property) << value;
    };
    const QString kgm = QStringLiteral("###0 кг/м");
    row("OutField_PLS", "OutFormat", kgm);
    row("OutField_PLS", "Font.Name", QStringLiteral("Times New Roman"));
    row("OutField_PLS", "Font.Height", -21);
    row("OutField_PLS", "Font.Color", clNavy);
    row("OutField_PLS", "Pen.Color", clAqua);
    row("OutField_PLS", "Pen.Width", 2);
    row("OutField_PLSZ", "OutFormat", kgm);
    row("OutField_PLSZ", "Font.Height", -19);
    row("OutField_KS_level", "OutFormat", QStringLiteral("###%"));
    row("OutField_KS_level", "Font.Height", -21);
    row("OutField_NS_level", "OutFormat", QStringLiteral("###%"));
    row("OutField_NS_level", "Pen.Color", clAqua);
    row("OutField_VODA1", "Tag", 300);
    row("OutField_VODA1", "OutFormat", QStringLiteral("###0 %"));
    row("OutField_VODA1", "Font.Color", clBlue);
    row("OutField_DSUS", "OutFormat", QStringLiteral("###0 %"));
    row("OutField_DSUS_M100", "Font.Height", -19);
    row("OutField_AR1", "Hint", QStringLiteral("Режим работы"));
    row("OutField_AR1", "ShowHint", true);
    row("OutField_AR1", "Font.Height", -16);
    row("OutField_AR1", "Brush.Color", clRed);
    row("OutField_AR1", "OutFormat", QStringLiteral("Сбой связи"));
    row("OutField_AR1", "Caption", QStringLiteral("Сбой связи"));
    row("Flake_NS", "WaterColor", clBlue);
    row("Flake_NS", "BorderColor", clYellow);
    row("Flake_NS", "ConfigName", QStringLiteral(".\\Colors.INI"));
    row("Flake_NS", "MainH", 4.6);
    row("Flake_KS", "WaterColor", clRed);
    row("WaterMEO_VODA1", "VerticalFlag", true);
    row("WaterMEO_VODA1", "Max", 100.0);
    row("WaterMEO_VODA1", "ScaleStep", 10.0);
    row("WaterMEO_DSUS", "Brush.Color", clRed);
    row("WaterMEO_DSUS", "WaterBrush.Color", clBlue);
    row("WaterMEO_DSUS", "ArrowColor", clWhite);
    row("Barrel_KW", "MaxLevel", 10.0);
    row("Barrel_KW", "WaterLevel", 6.5);
    row("Barrel_KW", "Pen.Color", clYellow);
    row("Barrel_KW", "Pen.Width", 2);
    row("AniTrans_coal", "CoalColor", clPurple);
    row("AniTrans_coal", "Rk", 8.0);
    row("AniTrans_coal", "Position", 57.0);
    row("AniTrans_back", "CoalColor", clTeal);
    row("AniTrans_back", "Rk", 7.0);
    row("CoalBox1", "blade_count", 8);
    row("CoalBox1", "show_baldes", true);
    row("CoalBox1", "Transparent", false);
    row("EBM1", "RotorR", 28);
    row("EBM1", "BladeCount", 11);
    row("EBM1", "RotorBrush.Color", clYellow);
    row("Pump_NS", "Tag", 200);
    row("Pump_NS", "VertFlip", true);
    row("Pump_NS", "Brush.Color", clYellow);
    row("Pump_NS", "Pen.Color", clBlue);
    row("Pump_KS", "Tag", 100);
    row("Pump_KS", "VertFlip", false);
    row("UniPandus1", "Tag", 400);
    for (const char* wc : {"WaterCircle1", "WaterCircle2", "WaterCircle3", "WaterCircle4"}) {
        row(wc, "Tag", 900);
        row(wc, "R3", 16.0);
        row(wc, "RayWidth", 2);
    }
}

void TestLayoutFiles::schemeValues() {
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    QObject* target = l.layout.Find(name);
    QVERIFY(target);
    const QStringList path = property.split(QLatin1Char('.'));
    for (int i = 0; i + 1 < path.size(); ++i) {
        target = target->property(path[i].toLatin1().constData()).value<QObject*>();
        QVERIFY2(target, qPrintable(path[i]));
    }
    const QVariant actual = target->property(path.back().toLatin1().constData());
    QVERIFY2(actual.isValid(), qPrintable(property + QStringLiteral(" is not a property")));
    QCOMPARE(actual.toString(), value.toString());
}

void TestLayoutFiles::schemeLabels() {
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    auto caption = [](QObject* o) { return o ? o->property("Caption").toString() : QString(); };
    QObject* top = l.layout.Find(QStringLiteral("LabelTop"));
    QVERIFY(top);
    QCOMPARE(caption(top), QStringLiteral("Мнемосхема  процесса обогащения  угля в тяжелых средах"));
    QCOMPARE(qobject_cast<QWidget*>(top)->geometry(), QRect(0, 0, 1272, 45));
    QCOMPARE(top->property("Font").value<QObject*>()->property("Color").toInt(), clWhite);

    QObject* uncond = l.layout.Find(QStringLiteral("LabelUncond3"));
    QVERIFY(uncond);
    QCOMPARE(ClassName(uncond), QStringLiteral("TLabel"));
    QCOMPARE(caption(uncond), QStringLiteral("НА РЕГЕНЕРАЦИЮ"));
    QCOMPARE(uncond->property("Tag").toInt(), 200);
    QCOMPARE(uncond->property("Font").value<QObject*>()->property("Color").toInt(), clBlue);
    QObject* cond = l.layout.Find(QStringLiteral("Label10"));
    QVERIFY(cond);
    QCOMPARE(caption(cond), QStringLiteral("КОНДИЦИЯ"));
    QCOMPARE(cond->property("Tag").toInt(), 100);
    QCOMPARE(cond->property("Font").value<QObject*>()->property("Color").toInt(), clRed);

    // Every text of the scheme, once.
    QStringList texts;
    QStringList threes;
    for (QObject* c : l.layout.components)
        if (ClassName(c) == QLatin1String("TLabel")) {
            texts.append(caption(c));
            if (caption(c) == QLatin1String("3"))
                threes.append(qobject_cast<QWidget*>(c)->parentWidget()->objectName());
        }
    for (const char* t : {"Плотность текущая", "Плотность заданная", "ПОРОДА", "КОНЦЕНТРАТ", "ВОДА", "НА СБРОСЫ",
                          "Некондиционная суспензия", "Кондиционная суспензия", "Делитель", "РЯДОВОЙ УГОЛЬ", "ЭБМ",
                          "Суспензия", "суспензии"})
        QVERIFY2(texts.count(QString::fromUtf8(t)) == 1, t);
    // The "3" of the unit kg/m³ lives inside the value fields (their label fonts
    // are read from files named after the field).
    threes.sort();
    QCOMPARE(threes, QStringList({"OutField_KS_level", "OutField_NS_level", "OutField_PLS", "OutField_PLSZ"}));
}

void TestLayoutFiles::pipesMeetSomething() {
    // Each end of every pipe touches another pipe or a piece of equipment or a
    // label (a product leaving the scheme ends at its name), and lies in the window.
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    QWidget* window = l.window.get();
    QList<QPair<QString, QLineF>> pipes;
    QList<QPair<QString, QRectF>> things;
    for (QObject* c : l.layout.components) {
        auto* w = qobject_cast<QWidget*>(c);
        if (!w)
            continue;
        if (auto* a = qobject_cast<TArrow*>(w))
            pipes.append({a->objectName(), PipeLine(a, window)});
        else if (w->objectName() != QLatin1String("LabelTop"))
            things.append({w->objectName(), QRectF(w->mapTo(window, QPoint(0, 0)), QSizeF(w->size()))});
    }
    const double kTouch = 3.0;
    for (const auto& [name, line] : pipes)
        for (const QPointF end : {line.p1(), line.p2()}) {
            QVERIFY2(QRectF(window->rect()).contains(end), qPrintable(name));
            bool meets = false;
            for (const auto& [other, otherLine] : pipes)
                if (other != name && DistanceToSegment(end, otherLine) <= kTouch)
                    meets = true;
            for (const auto& [thing, rect] : things)
                if (DistanceToRect(end, rect) <= kTouch)
                    meets = true;
            QVERIFY2(meets, qPrintable(QStringLiteral("%1 ends in the air at (%2, %3)")
                                           .arg(name)
                                           .arg(end.x())
                                           .arg(end.y())));
        }
}

void TestLayoutFiles::schemePanelsLieOverThePipes() {
    // Graphic elements draw on their parent's canvas: the arrows that reach
    // into the two conveyors do not cover them.
    const Loaded l = Load<TFormMnemo>("FormMnemo.layout");
    const QImage scheme = l.window->grab().toImage();
    for (const auto& [arrow, belt] :
         {std::pair{"Arrow55", "AniTrans_back"}, std::pair{"Arrow51", "AniTrans_coal"}}) {
        const QWidget* a = l.layout.Get<QWidget>(arrow);
        QWidget* b = l.layout.Get<QWidget>(belt);
        const QRect overlap = a->geometry() & b->geometry();
        QVERIFY2(!overlap.isEmpty(), arrow);
        const QImage alone = b->grab().toImage();
        for (int y = overlap.top(); y <= overlap.bottom(); ++y)
            for (int x = overlap.left(); x <= overlap.right(); ++x)
                QVERIFY2(scheme.pixel(x, y) == alone.pixel(QPoint(x, y) - b->pos()),
                         qPrintable(QStringLiteral("%1 over %2 at (%3, %4)").arg(arrow, belt).arg(x).arg(y)));
    }
    // And so everywhere: under one parent, no graphic element lies over a windowed one.
    QList<QWidget*> parents = l.window->findChildren<QWidget*>();
    parents.append(l.window.get());
    for (const QWidget* p : parents) {
        const QWidget* windowed = nullptr;
        for (const QObject* c : p->children()) {
            const auto* w = qobject_cast<const QWidget*>(c);
            if (!w)
                continue;
            if (!qobject_cast<const TGraphicElement*>(w))
                windowed = windowed ? windowed : w;
            else if (windowed)
                QFAIL(qPrintable(w->objectName() + " lies over " + windowed->objectName()));
        }
    }
}

void TestLayoutFiles::galleryHoldsEveryClass_data() {
    QTest::addColumn<QString>("cls");
    for (const char* c : {"TOutField", "TArrow", "TWaterCircle", "TCoalBox", "TWaterBox", "TUniPandus", "TWaterMEO",
                          "TEBM", "TBarrel", "TPump", "TAniTrans", "TPoligon", "TActionLabel", "TActionPanel",
                          "TActionImage", "TLabel"})
        QTest::newRow(c) << QString::fromLatin1(c);
    for (const char* c : {"TValve", "TBullet", "TPandus", "TTransporter", "TBladeWheel", "TFan", "TSkat",
                          "TDensMeter", "TTermoScale", "TSeparator", "TColumnMixer", "TConusBox", "TGydroSizer",
                          "TFlake", "TGFlake", "TMixer", "TTxGraph"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

void TestLayoutFiles::galleryHoldsEveryClass() {
    QFETCH(QString, cls);
    if (!TClassRegistry::Contains(cls))
        QSKIP("the class is not in the element library yet");
    const Loaded l = Load<TFormGallery>("Gallery.layout");
    int count = 0;
    for (QObject* c : l.layout.components)
        if (ClassName(c) == cls)
            ++count;
    QVERIFY2(count >= 1, qPrintable(cls + QStringLiteral(" has no instance in layouts/Gallery.layout")));
}

ORDAL_TEST_MAIN(TestLayoutFiles)
#include "tst_layoutfiles.moc"
