// The costs of the scheme's 150 ms tick that the element framework decides, each
// as a ratio to a baseline measured in the same run:
//
//  copy    a paint of a value field whose picture is up to date (only the
//          off-screen picture is copied), against a paint after a colour change
//          (frame, fill and text drawn again). Target well below 1.
//  same    setting a value field to the value it shows already, against
//          setting a plain double member: no repaint, no formatting. Target a few.
//  format  FormatFloat("###0 кг/м") against QString::number(v, 'f', 0) + " кг/м".

#include "FormatFloat.h"
#include "Outfield.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The fastest of `rounds` rounds, per call, in nanoseconds: other work on a
// shared machine only ever adds time.
double TimeIt(const std::function<void(int)>& fn, int rounds, int perRound) {
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            fn(i);
        t.push_back(double(timer.nsecsElapsed()) / perRound);
    }
    return *std::min_element(t.begin(), t.end());
}

volatile double g_sink = 0;

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TOutField field;
    field.resize(120, 30);
    field.SetOutFormat("###0 кг/м");
    field.SetOutValue(1712);
    QImage target(field.size(), QImage::Format_ARGB32_Premultiplied);
    field.render(&target);

    const double copy = TimeIt([&](int) { field.render(&target); }, 7, 300);
    const double redraw = TimeIt(
        [&](int i) {
            field.Brush()->SetColor(i % 2 ? clAqua : clWhite);
            field.render(&target);
        },
        7, 300);
    std::printf("copy    up-to-date paint %.0f ns, full redraw %.0f ns, ratio %.3f\n", copy, redraw,
                copy / redraw);

    double plain = 0;
    const double same = TimeIt([&](int) { field.SetOutValue(1712); }, 7, 200000);
    const double member = TimeIt(
        [&](int) {
            plain = 1712;
            g_sink = plain;
        },
        7, 200000);
    std::printf("same    unchanged SetOutValue %.1f ns, plain store %.1f ns, ratio %.2f\n", same, member,
                same / member);

    const double fmt =
        TimeIt([&](int i) { g_sink = FormatFloat("###0 кг/м", 1700.0 + i % 97).size(); }, 7, 20000);
    const double num = TimeIt(
        [&](int i) { g_sink = (QString::number(1700.0 + i % 97, 'f', 0) + QStringLiteral(" кг/м")).size(); },
        7, 20000);
    std::printf("format  FormatFloat %.0f ns, QString::number %.0f ns, ratio %.2f\n", fmt, num, fmt / num);
    return 0;
}
