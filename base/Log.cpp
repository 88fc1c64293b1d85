#include "Log.h"

#include <QString>

Q_LOGGING_CATEGORY(lcOrdal, "ordal")

QString CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>

namespace {
struct Repeats {
    QString text;
    qint64 count = 0;
    QElapsedTimer since;
};
} // namespace

void LogRepeatedWarning(const char* place, const QString& text) {
    static QMutex mutex;
    static QHash<QByteArray, Repeats> places;
    const QMutexLocker lock(&mutex);
    Repeats& r = places[QByteArray(place)];
    if (r.text != text || !r.since.isValid()) {
        if (r.count > 0)
            qCWarning(lcOrdal).noquote() << place << "- the last error was repeated" << r.count << "times";
        qCWarning(lcOrdal).noquote() << place << "-" << text;
        r.text = text;
        r.count = 0;
        r.since.start();
        return;
    }
    ++r.count;
    if (r.since.elapsed() >= 60000) {
        qCWarning(lcOrdal).noquote() << place << "-" << text << "(repeated" << r.count << "times in the last minute)";
        r.count = 0;
        r.since.restart();
    }
}
