#pragma once
// A main window started the way the program starts it, with its configuration
// file in the test's directory, connected to the tests' private MariaDB.

#include "Baseview.h"
#include "Config.h"
#include "Forms.h"
#include "Logview.h"
#include "Main.h"
#include "TestSupport.h"
#include "Vmcrypt.h"

#include <QElapsedTimer>
#include <QFile>
#include <memory>

inline QString ExePath() { return TestDir() + QStringLiteral("/ordal"); }
inline QString IniPath() { return TestDir() + QStringLiteral("/ordal.INI"); }

inline void WriteFileText(const QString& name, const QByteArray& text) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(name));
    f.write(text);
}

inline QByteArray ReadFileText(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Configuration that reaches the test server with a stored password.
inline QByteArray ConnectedIni(const QString& extra = QString()) {
    const TestDb db = TestDatabase();
    ScramblerState s(99);
    return QStringLiteral("[main]\nFirstChangeStart=8\n[MySQL]\nLogin=%1\nComp=%2\nSavePassword=1\nPassword=%3\n%4")
        .arg(db.user, db.hostWithPort(), ScrambleText(s, db.password), extra)
        .toUtf8();
}

// Waits until every request asked of the connection has been answered and
// its answer has run (answers that ask again are waited for too). False when
// that takes longer than the limit.
inline bool WaitForDatabase(TSQLConnection* c, int limitMs = 60000) {
    QElapsedTimer t;
    t.start();
    auto busy = [c] { return c && (c->Pending(TSessionRole::Live) > 0 || c->Pending(TSessionRole::History) > 0); };
    while (busy()) {
        if (t.elapsed() > limitMs)
            return false;
        QTest::qWait(2);
    }
    QCoreApplication::processEvents();
    return !busy();
}

struct App {
    std::unique_ptr<TFormMain> main;
    explicit App(const QByteArray& ini = ConnectedIni()) {
        if (!ini.isNull())
            WriteFileText(IniPath(), ini);
        else
            QFile::remove(IniPath());
        main = std::make_unique<TFormMain>(ExePath());
        main->TimerRefreshState->stop(); // ticks are driven by the test
        CreateForms();
        // The connect at start (and what it starts) has been answered.
        WaitForDatabase(main->SQLConnection1);
    }
    // One tick of the state poll, and its answer.
    void Poll() {
        main->TimerRefreshStateTimer();
        WaitForDatabase(main->SQLConnection1);
    }
    ~App() {
        main->ExitConfirmed = true; // no question when the test ends
        main.reset();
        DestroyForms();
    }
    TFormMain* operator->() { return main.get(); }
};

// Heartbeat and one process record, `ageSeconds` old by the server's clock.
inline void PutHeartbeat(int ageSeconds) {
    ExecAdmin("delete from last_state");
    ExecAdmin(QStringLiteral("insert into last_state (RecMoment) values (now() - interval %1 second)").arg(ageSeconds));
}

inline void PutRecord(double pls = 1700, double ar1 = 0) {
    ExecAdmin(QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                             "values (now(), %1, 1700, 55, 40, 35, 50, 1700, %2)")
                  .arg(pls)
                  .arg(ar1));
}
