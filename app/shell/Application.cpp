#include "Application.h"

#include "Log.h"
#include "Platform.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

void ReportCurrentException() {
    QString text;
    try {
        throw;
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Неизвестная ошибка.");
    }
    qCWarning(lcOrdal).noquote() << "error in an event handler:" << text;
    static bool showing = false;
    if (showing)
        return;
    struct Showing {
        Showing() { showing = true; }
        ~Showing() { showing = false; }
    } guard;
    ShowError(text);
}
