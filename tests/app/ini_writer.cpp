// A child of tst_atomicsave: saves the main configuration and an arrow's look
// over and over, alternating two versions of each, until it is killed.
//   ini_writer DIR

#include "Arrow.h"
#include "MainConfig.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    TArrow arrow;
    arrow.setObjectName(QStringLiteral("Arrow1"));
    arrow.SetConfigName(dir + QStringLiteral("/FormMnemo.INI"));
    std::printf("ready\n");
    std::fflush(stdout);
    for (unsigned n = 0;; ++n) {
        const bool b = n % 2;
        TMainConfig c;
        c.Caption = b ? QStringLiteral("B") : QStringLiteral("A");
        c.FirstChangeStart = b ? 8 : 7;
        c.DateIncrement = b ? 1 : 0;
        c.MySQLHost = b ? QStringLiteral("host-b") : QStringLiteral("host-a");
        c.MySQLLogin = b ? QStringLiteral("login-b") : QStringLiteral("login-a");
        c.Save(dir + QStringLiteral("/ordal.INI"));
        arrow.SetArrowWidth(b ? 5 : 3);
        arrow.SetColor(b ? 0x00FF0000 : 0x000000FF);
        arrow.SetEdgeLength(b ? 12 : 10);
        arrow.SaveConfig();
    }
}
