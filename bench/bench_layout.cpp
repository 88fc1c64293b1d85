// Loading a layout, per element, as the layout grows: a window of 10,000
// elements against one of 1,000 of the same kinds. Each name is checked against
// the names already loaded, so a loader that walks the window's children for
// every name grows with the square of the count; a loader that keeps a name
// index costs the same per element at any size.
//
//  per-element ratio  time per element at 10,000 against time per element at
//                     1,000, for a window like the scheme's: graphic elements
//                     (arrows, labels, valves, pumps) with one panel in a
//                     hundred. Target <= 2 (linear: about 1).
//  a quarter windowed the same with every fourth element a panel: for the
//                     record (graphic elements are stacked under the panels,
//                     which costs more as panels grow many).

#include "Layout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

// The window class the layout names.
class TFormGallery : public QWidget {
    Q_OBJECT
};

namespace {

QString LayoutText(int count, int panelEvery) {
    static const char* const kinds[] = {"TArrow", "TLabel", "TValve", "TPump"};
    QString text = QStringLiteral("object Big: TFormGallery\n  ClientWidth = 1272\n  ClientHeight = 916\n");
    for (int i = 0; i < count; ++i) {
        const int col = i % 100, row = i / 100;
        text += QStringLiteral("  object E%1: %2\n    Left = %3\n    Top = %4\n    Width = 10\n    Height = 8\n  end\n")
                    .arg(i)
                    .arg(QLatin1String(i % panelEvery == panelEvery - 1 ? "TPanel" : kinds[i % 4]))
                    .arg(col * 12)
                    .arg(row * 9);
    }
    return text + QStringLiteral("end\n");
}

// The fastest of `rounds` loads, per element, in microseconds.
double PerElement(int count, int panelEvery, int rounds) {
    const QString text = LayoutText(count, panelEvery);
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        TFormGallery root;
        QElapsedTimer timer;
        timer.start();
        LoadLayoutText(&root, text, QStringLiteral("bench.layout"));
        t.push_back(double(timer.nsecsElapsed()) / 1000.0 / count);
    }
    return *std::min_element(t.begin(), t.end());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double small = PerElement(1000, 100, 7);
    const double large = PerElement(10000, 100, 3);
    std::printf("layout load, per element: 1,000 elements %.1f us, 10,000 elements %.1f us\n", small, large);
    std::printf("per-element ratio (10,000 / 1,000): %.2f (target <= 2)\n", large / small);
    const double smallQ = PerElement(1000, 4, 7);
    const double largeQ = PerElement(10000, 4, 3);
    std::printf("a quarter windowed, per-element ratio (10,000 / 1,000): %.2f\n", largeQ / smallQ);
    return 0;
}

#include "bench_layout.moc"
