#pragma once
// The program's application object, with the one general error handler: an
// exception that escapes an event handler (a button's click, a key, a timer, a
// queued call) ends in the standard error box "Ошибка" with the exception's
// text, and the program runs on. It never leaves the event loop, so it never
// ends the program. Handlers that should fail quietly (periodic work) still
// catch their own errors; this is the net under everything else.

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The general error handler itself, for the exception being handled (call it
// inside a catch block): logs it and shows its text in the error box. While
// one such box is open, further failures (the box's own event loop may run the
// failing handler again) are only logged.
void ReportCurrentException();
