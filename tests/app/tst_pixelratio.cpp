// Elements and charts at a device pixel ratio other than 1. A high-DPI screen
// (or QT_SCALE_FACTOR) draws a window through a device of that ratio; the
// scaled view of the scheme draws it through a painter scaled by its factor,
// also below 1. Either way every element must land where it lands at ratio 1,
// in the control's own coordinates: only the sharpness of its lines may
// differ. The gallery of every element class and the three trend windows,
// with a day of rows, are drawn at ratio 1 and at the others, and each
// element's part of the pictures is compared at the control's size.

#include "Controls.h"
#include "ElementBase.h"
#include "FontSubstitutes.h"
#include "GraphDSUS.h"
#include "GraphData.h"
#include "GraphHardParams.h"
#include "GraphSuspLevel.h"
#include "Layout.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QVarLengthArray>
#include <QtMath>
#include <cmath>
#include <memory>

// The window the gallery layout names: black under its elements, as the
// scheme's own window is.
class TFormGallery : public QWidget {
    Q_OBJECT
protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(e->rect(), Qt::black);
    }
};

namespace {

// How a window reaches the pixels at a ratio other than 1.
enum class TRoute { Screen, View };

// The window drawn at `ratio`. Screen: into a device of that pixel ratio (what
// a high-DPI screen gives every paint). View: through a painter scaled by it
// (what the scaled view gives).
QImage Render(QWidget* w, qreal ratio, TRoute route) {
    const QSize pixels(qCeil(w->width() * ratio - 1e-9), qCeil(w->height() * ratio - 1e-9));
    QImage img(pixels, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    if (route == TRoute::Screen) {
        img.setDevicePixelRatio(ratio);
        w->render(&img);
        img.setDevicePixelRatio(1);
    } else {
        QPainter p(&img);
        p.scale(ratio, ratio);
        w->render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return img;
}

// A picture at the control's size: one pixel per pixel of the control.
QImage AtControlSize(const QImage& img, QSize control) {
    if (img.size() == control)
        return img.convertToFormat(QImage::Format_RGB32);
    return img.scaled(control, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// Colours closer than this in every channel count as the same.
constexpr int kTolerance = 48;
// How far a pixel may lie from where the other picture has it: a line drawn a
// pixel thicker, thinner or half a pixel aside at another ratio is the same line.
constexpr int kReach = 2;
// Of what an element shows, the share that may lack a counterpart in the
// other picture. An element drawn right stays far below (at most about 0.25,
// for an outline drawn exactly on the element's edge, which a finer device
// shows thinner); a chart whose plot is drawn at another size is far above
// (the gallery's faint small chart: 0.54 at a ratio of 1.25, more elsewhere).
constexpr double kMostMisplaced = 0.35;

int Distance(QRgb p, QRgb q) {
    return std::max({qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q))});
}

// How far p lies from the mixes of c1 and c2 (the colours an edge between
// them takes when it is smoothed or covers part of a pixel).
int DistanceToMix(QRgb p, QRgb c1, QRgb c2) {
    const double d[3] = {double(qRed(c2) - qRed(c1)), double(qGreen(c2) - qGreen(c1)),
                         double(qBlue(c2) - qBlue(c1))};
    const double v[3] = {double(qRed(p) - qRed(c1)), double(qGreen(p) - qGreen(c1)),
                         double(qBlue(p) - qBlue(c1))};
    const double len2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double t = len2 > 0 ? std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / len2, 0.0, 1.0) : 0.0;
    double worst = 0;
    for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(v[c] - t * d[c]));
    return int(worst);
}

// Whether `other` shows the colour that `img` has at (x, y) near that place:
// a pixel of that colour within kReach, two pixels of which it is a mix (an
// edge drawn sharper there), or a pixel that mixes it into a neighbour's
// colour (a line drawn thinner there).
bool Accounted(const QImage& img, const QImage& other, int x, int y) {
    const QRgb p = img.pixel(x, y);
    QVarLengthArray<QRgb, (2 * kReach + 1) * (2 * kReach + 1)> near;
    for (int j = std::max(0, y - kReach); j <= std::min(other.height() - 1, y + kReach); ++j)
        for (int i = std::max(0, x - kReach); i <= std::min(other.width() - 1, x + kReach); ++i) {
            const QRgb q = other.pixel(i, j);
            if (Distance(p, q) <= kTolerance)
                return true;
            near.append(q);
        }
    for (qsizetype m = 0; m < near.size(); ++m)
        for (qsizetype n = 0; n < near.size(); ++n) {
            if (n > m && DistanceToMix(p, near[m], near[n]) <= kTolerance)
                return true;
            if (n != m && Distance(near[m], near[n]) > kTolerance &&
                DistanceToMix(near[m], p, near[n]) <= kTolerance)
                return true;
        }
    return false;
}

// Of what the element shows inside `area` (the pixels of either picture in a
// colour other than the area's commonest, but at least a twentieth of the
// area), the share that the other picture does not show there. Marks those
// pixels in `map`.
double MisplacedShare(const QImage& a, const QImage& b, QRect area, QImage& map) {
    const QRect in = area & a.rect() & b.rect();
    if (in.isEmpty())
        return 0;
    QHash<QRgb, int> counts;
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            ++counts[a.pixel(x, y)];
    QRgb ground = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            ground = it.key();
        }
    int shown = 0, misplaced = 0;
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x) {
            shown += (Distance(a.pixel(x, y), ground) > kTolerance) +
                     (Distance(b.pixel(x, y), ground) > kTolerance);
            const bool lostA = !Accounted(a, b, x, y), lostB = !Accounted(b, a, x, y);
            misplaced += lostA + lostB;
            if (lostA || lostB)
                map.setPixel(x, y, lostA && lostB ? 0xFFFFFFFF : lostA ? 0xFFFF00FF : 0xFF00FF00);
        }
    // A plain area shows next to nothing: a few pixels of a smoothed edge are
    // no share of it.
    return double(misplaced) / std::max(double(shown), in.width() * in.height() / 20.0);
}

// Draws `window` at ratio 1 and at `ratio`, and checks every element on it
// (every control of the element framework, at any depth). On a failure the
// three pictures (ratio 1, the ratio scaled to the control's size, and the
// misplaced pixels: magenta only at ratio 1, green only at the ratio, white
// in both) are left beside the test executable, in pixelratio-failures/.
void CompareAtRatio(QWidget* window, const QString& name, qreal ratio, TRoute route) {
    const QImage native = Render(window, ratio, route);
    const QImage base = AtControlSize(Render(window, 1, TRoute::Screen), window->size());
    const QImage scaled = AtControlSize(native, window->size());
    // ORDAL_PIXELRATIO_PICTURES=dir keeps every row's pictures there, to be looked at.
    const QString keep = qEnvironmentVariable("ORDAL_PIXELRATIO_PICTURES");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        const QString tag =
            QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        base.save(keep + QLatin1Char('/') + name + QStringLiteral("-ratio1.png"));
        native.save(keep + QLatin1Char('/') + name + QLatin1Char('-') + tag + QStringLiteral(".png"));
    }
    QImage map(base.size(), QImage::Format_RGB32);
    map.fill(Qt::black);
    QStringList wrong;
    for (QWidget* el : window->findChildren<QWidget*>()) {
        if (!dynamic_cast<TControlCore*>(el) || !el->isVisible())
            continue;
        const double share =
            MisplacedShare(base, scaled, QRect(el->mapTo(window, QPoint()), el->size()), map);
        if (share > kMostMisplaced)
            wrong << QStringLiteral("%1 (%2): %3")
                         .arg(el->objectName(), el->metaObject()->className())
                         .arg(share, 0, 'f', 2);
    }
    if (!wrong.isEmpty()) {
        const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/pixelratio-failures");
        QDir().mkpath(dir);
        const QString stem =
            dir + QLatin1Char('/') + name + QLatin1Char('-') +
            QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        base.save(stem + "-ratio1.png");
        scaled.save(stem + "-scaled.png");
        map.save(stem + "-misplaced.png");
        QFAIL(qPrintable(QStringLiteral("drawn elsewhere than at ratio 1 (pictures %1-*.png): %2")
                             .arg(stem, wrong.join(QStringLiteral(", ")))));
    }
}

const TDateTime kDay = EncodeDate(2026, 3, 5);

// A day of rows every minute from 08:00 for the columns the window
// plots: values that wander over its charts' scales (densities about 1800,
// levels and positions about 50 %), the manual-mode column at 0.
TResultTable DayOfRows(const QList<TTrendSeries>& series) {
    QStringList fields;
    for (const TTrendSeries& s : series) {
        fields << s.field;
        if (!s.zeroWhenAbove.isEmpty())
            fields << s.zeroWhenAbove;
    }
    fields.removeDuplicates();
    TResultTable t;
    t.AddColumn(QStringLiteral("RecMoment"), TResultTable::Type::DateTime);
    for (const QString& f : fields)
        t.AddColumn(f, TResultTable::Type::Number);
    const QDateTime first(QDate(2026, 3, 5), QTime(8, 0));
    for (int i = 0; i < 1440; ++i) {
        std::vector<QByteArray> texts;
        texts.push_back(first.addSecs(60 * i).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1());
        for (int c = 0; c < fields.size(); ++c) {
            const double wave = std::sin(i / 75.0 + c) + 0.3 * std::sin(i / 20.0);
            double v = 50 + 30 * wave;
            if (fields[c].startsWith(QLatin1String("PLS")))
                v = 1800 + 120 * wave;
            else if (fields[c] == QLatin1String("AR1"))
                v = 0;
            texts.push_back(QByteArray::number(v, 'f', 2));
        }
        std::vector<std::pair<const char*, size_t>> cells;
        for (const QByteArray& s : texts)
            cells.push_back({s.constData(), size_t(s.size())});
        t.AppendRow(cells);
    }
    return t;
}

// The window's charts over the day from 08:00 to 08:00, filled with DayOfRows
// as a load from the database fills them.
void ShowDay(TFormGraphBase* w) {
    const TDateTime start = kDay + EncodeTime(8, 0, 0), stop = start + 1;
    for (TLevelGraph* g : w->Charts) {
        g->SetXLabelStep(EncodeTime(2, 0, 0));
        g->SetNewIntervalAccepted(false);
        g->SetNewStartTime(start);
        g->SetNewStopTime(stop);
        g->SetNewCursorTime(start + 0.5);
        g->SetNewIntervalAccepted(true);
        g->ResetData();
    }
    TDateTime last = start - EncodeTime(0, 1, 0);
    const QList<TTrendSeries>& series = w->Traits().series;
    LoadTrendRecords(DayOfRows(series), series, last, [&](int s, TDateTime at, double value) {
        w->Charts[series[s].chart]->AddPoint(series[s].channel, at, value, false);
    });
    for (TLevelGraph* g : w->Charts) {
        g->UpdateChanges();
        if (g->GetYMax() < 5)
            g->SetYMax(5);
    }
}

std::unique_ptr<TFormGraphBase> MakeTrendWindow(int which) {
    switch (which) {
    case 0:
        return std::make_unique<TFormGraphHardParams>();
    case 1:
        return std::make_unique<TFormGraphSuspLevel>();
    default:
        return std::make_unique<TFormGraphDSUS>();
    }
}

void AddRatioRows(const QString& prefix = QString()) {
    for (qreal r : {1.25, 1.5, 2.0})
        QTest::addRow("%sscreen %g", qPrintable(prefix), r) << r << int(TRoute::Screen);
    for (qreal r : {0.5, 0.75, 1.5})
        QTest::addRow("%sview %g", qPrintable(prefix), r) << r << int(TRoute::View);
}

} // namespace

class TstPixelRatio : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    // One of every element class, the small chart among them.
    void gallery_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("route");
        AddRatioRows();
    }
    void gallery() {
        QFETCH(qreal, ratio);
        QFETCH(int, route);
        TFormGallery window;
        LoadLayout(&window, QStringLiteral(ORDAL_SOURCE_DIR "/layouts/Gallery.layout"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CompareAtRatio(&window, QStringLiteral("gallery"), ratio, TRoute(route));
        QCOMPARE(TP().beeps, 0);
    }

    // An opaque element is all that paints its area (its parent leaves it
    // out), so its picture must cover every device pixel of its area, also a
    // last one that the element covers only in part: a row of panels, each
    // ending on another fraction of a device pixel, shows no pixel in any
    // panel's area that is not the panel's colour.
    void panelsCoverTheirPixels_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("route");
        AddRatioRows();
        QTest::addRow("screen 1.75") << 1.75 << int(TRoute::Screen);
        QTest::addRow("view 1.25") << 1.25 << int(TRoute::View);
    }
    void panelsCoverTheirPixels() {
        QFETCH(qreal, ratio);
        QFETCH(int, route);
        QWidget window;
        window.resize(260, 60);
        QList<QRect> bounds;
        for (int i = 0, x = 3; i < 8; x += 17 + i, ++i)
            bounds << QRect(x, 3 + i, 17 + i, 13 + 3 * i);
        for (int i = 0; i < bounds.size(); ++i) {
            auto* panel = new TPanel(&window);
            panel->SetBevelOuter(bvNone);
            panel->SetColor(i % 2 ? clBlue : clRed);
            panel->setGeometry(bounds[i]);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage img = Render(&window, ratio, TRoute(route));
        // The device pixels of an area: its edges rounded to the nearest pixel.
        auto device = [ratio](int v) { return qRound(v * ratio); };
        int uncovered = 0;
        for (int i = 0; i < bounds.size(); ++i) {
            const QRgb colour = ColorToQColor(i % 2 ? clBlue : clRed).rgb();
            const QRect& b = bounds[i];
            for (int y = device(b.top()); y < device(b.top() + b.height()); ++y)
                for (int x = device(b.left()); x < device(b.left() + b.width()); ++x)
                    uncovered += (img.pixel(x, y) | 0xFF000000u) != colour;
        }
        QCOMPARE(uncovered, 0);
    }

    // The trend windows in their normal layout, a day of curves on every chart.
    void trendWindows_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("route");
        const char* names[] = {"hard params ", "sump levels ", "divider "};
        for (int w = 0; w < 3; ++w)
            for (qreal r : {1.25, 1.5, 2.0})
                QTest::addRow("%sscreen %g", names[w], r) << w << r << int(TRoute::Screen);
        for (int w = 0; w < 3; ++w)
            for (qreal r : {0.5, 0.75, 1.5})
                QTest::addRow("%sview %g", names[w], r) << w << r << int(TRoute::View);
    }
    void trendWindows() {
        QFETCH(int, which);
        QFETCH(qreal, ratio);
        QFETCH(int, route);
        const std::unique_ptr<TFormGraphBase> w = MakeTrendWindow(which);
        w->resize(1000, 700);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->ShowAllCharts();
        ShowDay(w.get());
        QCoreApplication::processEvents();
        for (TLevelGraph* g : w->Charts) {
            bool curve = false;
            for (int c = 0; c < g->GetGraphCount(); ++c)
                curve = curve || g->Data().Cell(c, g->Data().StepOf(kDay + EncodeTime(12, 0, 0))).Present;
            QVERIFY2(curve, qPrintable(g->objectName() + " has no curve"));
        }
        CompareAtRatio(w.get(), w->objectName(), ratio, TRoute(route));
        QCOMPARE(TP().beeps, 0);
    }
};

ORDAL_TEST_MAIN(TstPixelRatio)
#include "tst_pixelratio.moc"
