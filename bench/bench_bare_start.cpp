// Baseline of the cold start: a bare Qt window that connects to the server
// through Qt's MySQL driver, asks "select 1", shows itself maximised, and
// prints "first frame" once its first frame is painted; then it ends at once.
//   bench_bare_start PORT      (run by bench_start)

#include <QApplication>
#include <QPaintEvent>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (painted_)
            return;
        painted_ = true;
        // Once this paint has reached the screen.
        QTimer::singleShot(0, [] {
            std::printf("first frame\n");
            std::fflush(stdout);
            std::_Exit(0);
        });
    }

private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"));
    db.setHostName(QStringLiteral("127.0.0.1"));
    db.setPort(QString::fromLocal8Bit(argv[1]).toInt());
    db.setUserName(QStringLiteral("ordal"));
    db.setPassword(QStringLiteral("ordal"));
    db.setDatabaseName(QStringLiteral("ordalm"));
    bool ok = db.open();
    if (ok) {
        QSqlQuery q(db);
        ok = q.exec(QStringLiteral("select 1")) && q.next() && q.value(0).toInt() == 1;
    }
    if (!ok) {
        std::fprintf(stderr, "bench_bare_start: cannot reach the server\n");
        return 1;
    }
    Window w;
    w.showMaximized();
    return app.exec();
}
