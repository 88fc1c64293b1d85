// The operator workstation of the heavy-medium coal preparation section.

#include "AlarmSound.h"
#include "Application.h"
#include "Platform.h"
#include "Forms.h"
#include "Main.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "Startup.h"

#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

// For the start-up benchmark (bench/run_start.sh), with ORDAL_REPORT_FIRST_FRAME
// set: the scheme comes forward as soon as the program is up, and once it has
// painted a frame showing the newest record read from the server, the program
// prints "first frame" and ends at once, saving nothing.
class FirstFrameReport : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_ && FormMain && FormMain->LastDataActive() &&
            FormMnemo->OutField_PLS->GetOutValue() == FormMain->LastData().PLS) {
            done_ = true;
            // After this paint, once the frame has gone to the screen.
            QTimer::singleShot(0, [] {
                std::printf("first frame\n");
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

void ReportFirstFrame(TFormMain* main) {
    if (qEnvironmentVariableIsEmpty("ORDAL_REPORT_FIRST_FRAME") || !FormMnemo)
        return;
    FormMnemo->OutField_PLS->installEventFilter(new FirstFrameReport(FormMnemo));
    // Forward once the frame is on the screen, as the operator's F2 would be
    // (sooner, the frame's own start-up brings its last child forward again).
    auto* wait = new QTimer(main);
    wait->setInterval(5);
    QObject::connect(wait, &QTimer::timeout, main, [main, wait] {
        if (!main->windowHandle() || !main->windowHandle()->isExposed())
            return;
        wait->stop();
        wait->deleteLater();
        main->ActionMnemo->trigger();
    });
    wait->start();
}

} // namespace

int main(int argc, char** argv) {
    if (const auto rc = HandleCommandLine(argc, argv))
        return *rc;
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("ordal"));
    InitApplication(app);
    // The alarm tone through the desktop's sound output, made at its first use
    // and gone before the application.
    std::shared_ptr<TAlarmSound> sound;
    SetAlarmTonePlayer([&sound](bool on) {
        if (!sound)
            sound = MakeDesktopAlarmSound();
        sound->SetTone(on);
    });
    struct ToneOff {
        ~ToneOff() { SetAlarmTonePlayer(nullptr); }
    } toneOff;
    try {
        auto* main = new TFormMain();
        CreateForms();
        // Without a window manager (a kiosk session) nobody maximises for us.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            main->setGeometry(screen->availableGeometry());
        main->showMaximized();
        ReportFirstFrame(main);
        const int rc = app.exec();
        delete main;
        DestroyForms();
        return rc;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("ordal"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("ordal"), QStringLiteral("Неизвестная ошибка."));
    }
    return 1;
}
