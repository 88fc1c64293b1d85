// Baseline for the workstation's memory: a bare Qt window showing one
// maximised empty widget. Prints its resident memory in kB after a few seconds.

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

long ResidentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.showMaximized();
    QTimer::singleShot(3000, &app, [] {
        std::printf("%ld\n", ResidentKb());
        QApplication::quit();
    });
    return app.exec();
}
