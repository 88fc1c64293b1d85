// The cost of drawing the element library, each figure as a ratio to a baseline
// measured in the same run:
//
//  window   a full repaint of the gallery window (layouts/Gallery.layout: one of
//           every element class at the scheme's sizes), every element made to
//           draw its whole picture again (StyleChanged, as a change of look does),
//           rendered into a picture of the window's size; against one
//           QPainter::drawImage of a picture of that size into another.
//           Also the repaint of the unchanged window (cached pictures copied).
//  element  the same for each element alone, against a blit of its own size; the
//           most expensive one is the figure to watch (the scheme redraws its
//           animated elements on every 150 ms tick).
//
// bench_gallery [LAYOUT] takes another layout of a TFormGallery window.

#include "ElementBase.h"
#include "FontSubstitutes.h"
#include "Layout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// The window the gallery layout is written for.
class TFormGallery : public QWidget {
    Q_OBJECT
protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(e->rect(), Qt::black);
    }
};

namespace {

// The fastest of `rounds` rounds, per call, in microseconds: other work on a
// shared machine only ever adds time, so the minimum is the steadiest figure.
double TimeIt(const std::function<void()>& fn, int rounds, int perRound) {
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            fn();
        t.push_back(double(timer.nsecsElapsed()) / perRound / 1000.0);
    }
    return *std::min_element(t.begin(), t.end());
}

// Makes an element draw its whole picture at the next paint. Panel elements
// flag their off-screen picture; graphic elements draw everything on every
// paint anyway (their StyleChanged would repaint at once, which a window that
// is not shown skips).
void ForceRedraw(QWidget* w) {
    if (auto* panel = qobject_cast<TPanelElement*>(w))
        panel->StyleChanged();
    else if (auto* graphic = qobject_cast<TGraphicElement*>(w))
        graphic->StyleChanged();
    else
        w->update();
}

double Blit(QSize size, int rounds, int perRound) {
    QImage src(size, QImage::Format_ARGB32_Premultiplied);
    src.fill(QColor(30, 60, 90));
    QImage dst(size, QImage::Format_ARGB32_Premultiplied);
    return TimeIt(
        [&] {
            QPainter p(&dst);
            p.drawImage(0, 0, src);
        },
        rounds, perRound);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes(); // the fonts the program draws the layouts with
    const QString file =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ORDAL_SOURCE_DIR "/layouts/Gallery.layout");

    TFormGallery window;
    try {
        LoadLayout(&window, file);
    } catch (const ELayoutError& e) {
        std::fprintf(stderr, "bench_gallery: %s\n", e.what());
        return 1;
    }
    std::vector<QWidget*> elements;
    for (QObject* c : Components(&window))
        if (auto* w = qobject_cast<QWidget*>(c))
            elements.push_back(w);
    if (elements.empty() || window.width() <= 0 || window.height() <= 0) {
        std::fprintf(stderr, "bench_gallery: %s holds no elements or gives the window no size\n", qPrintable(file));
        return 1;
    }

    const int rounds = 11;
    QImage picture(window.size(), QImage::Format_ARGB32_Premultiplied);
    const double full = TimeIt(
        [&] {
            for (QWidget* w : elements)
                ForceRedraw(w);
            window.render(&picture);
        },
        rounds, 20);
    // The same window when nothing changed: panel elements only copy their
    // cached pictures, graphic elements draw as always.
    const double cached = TimeIt([&] { window.render(&picture); }, rounds, 20);
    const double blit = Blit(window.size(), rounds, 200);
    std::printf("gallery %dx%d, %zu elements\n", window.width(), window.height(), elements.size());
    std::printf("window   full repaint %9.1f us   blit %8.1f us   ratio %6.1f\n", full, blit, full / blit);
    std::printf("window   unchanged    %9.1f us   blit %8.1f us   ratio %6.1f\n", cached, blit, cached / blit);

    struct Figure {
        QWidget* w;
        double us;
        double blit;
    };
    std::vector<Figure> figures;
    for (QWidget* w : elements) {
        if (w->width() <= 0 || w->height() <= 0)
            continue;
        QImage own(w->size(), QImage::Format_ARGB32_Premultiplied);
        const double us = TimeIt(
            [&] {
                ForceRedraw(w);
                w->render(&own);
            },
            rounds, 50);
        figures.push_back({w, us, Blit(w->size(), rounds, 500)});
    }
    std::sort(figures.begin(), figures.end(), [](const Figure& a, const Figure& b) { return a.us > b.us; });
    const Figure& top = figures.front();
    std::printf("element  most expensive: %s (%s %dx%d) %8.1f us   blit of its size %6.1f us   ratio %6.1f\n",
                qPrintable(top.w->objectName()), top.w->metaObject()->className(), top.w->width(),
                top.w->height(), top.us, top.blit, top.us / top.blit);
    std::printf("\nper element (full redraw / blit of its size):\n");
    for (const Figure& f : figures)
        std::printf("  %-14s %-14s %4dx%-4d %8.1f us  ratio %6.1f\n", qPrintable(f.w->objectName()),
                    f.w->metaObject()->className(), f.w->width(), f.w->height(), f.us, f.us / f.blit);
    return 0;
}

#include "bench_gallery.moc"
