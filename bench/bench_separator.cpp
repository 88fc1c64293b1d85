// The animated separator bath against the bath of the scheme, as a ratio
// measured in the same run:
//
//  step     one animation step of a TSeparator with its default particles
//           (TSeparator::DefaultBalls) and the repaint it asks for, against a
//           full repaint of a TCoalBox of the same size. Target: at most 2.
//
// Both are drawn into a picture of their size at the gallery's size (386 x 184)
// and at a plain panel's (185 x 41). The particles are put back before every
// step, so each step moves the same charge; that work counts for the separator.

#include "Coalbox.h"
#include "Separator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

// The fastest of `rounds` rounds of each of two works, per call, in
// microseconds. The rounds alternate between the two, so that the load of a
// shared machine falls on both alike; other work only ever adds time.
std::pair<double, double> TimePair(const std::function<void()>& a, const std::function<void()>& b, int rounds,
                                   int perRound) {
    auto once = [perRound](const std::function<void()>& fn) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            fn();
        return double(timer.nsecsElapsed()) / perRound / 1000.0;
    };
    double bestA = 1e300, bestB = 1e300;
    for (int r = 0; r < rounds; ++r) {
        bestA = std::min(bestA, once(a));
        bestB = std::min(bestB, once(b));
    }
    return {bestA, bestB};
}

void Charge(TSeparator& bath, const QList<TBall>& balls) {
    while (bath.GetBallCount() > 0)
        bath.DeleteBall(bath.GetBallCount() - 1);
    for (const TBall& b : balls)
        bath.AddBall(&b);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<TBall> balls = TSeparator::DefaultBalls();
    const int rounds = 41, perRound = 50;
    for (QSize size : {QSize(386, 184), QSize(185, 41)}) {
        TCoalBox coal;
        coal.resize(size);
        coal.SetTransparent(false);
        TSeparator bath;
        bath.resize(size);
        QImage picture(size, QImage::Format_ARGB32_Premultiplied);
        coal.render(&picture);
        bath.render(&picture);

        // A graphic element draws its whole figure on every paint.
        const auto [step, full] = TimePair(
            [&] {
                Charge(bath, balls);
                bath.NextStep();
                bath.render(&picture);
            },
            [&] { coal.render(&picture); }, rounds, perRound);
        std::printf("step    %dx%d, %lld particles: step and repaint %.1f us, coal bath repaint %.1f us, "
                    "ratio %.2f\n",
                    size.width(), size.height(), static_cast<long long>(balls.size()), step, full,
                    step / full);
    }
    return 0;
}
