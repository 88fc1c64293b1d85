#pragma once
// Shared start-up of every test executable: offscreen platform, a temporary
// working directory for every file a test writes, and a recording platform
// that answers dialogs and message boxes without a window appearing.

#include "Platform.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <optional>

struct RecordedMessage {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

class TestPlatform : public Platform {
public:
    int beeps = 0;
    int shutdowns = 0;
    QList<RecordedMessage> messages;
    // Answers for the next message boxes, in order; when empty, the default button.
    QList<QMessageBox::StandardButton> answers;
    // Called for every modal dialog; returns the dialog result. Default: Rejected.
    std::function<int(QDialog&)> dialogHandler;
    int dialogs = 0;
    std::optional<TDateTime> now; // the wall clock when set
    std::optional<quint64> tickMs; // the millisecond tick counter when set
    TColor nextColor = clNone;    // ChooseColor answers this unless clNone (cancel)
    // ChooseFont answers this when set; otherwise it runs the program's own
    // font dialog through ExecDialog, so dialogHandler answers it.
    std::optional<std::pair<QFont, TColor>> nextFont;
    QString saveFile;             // ChooseSaveFile answers this (empty: cancel)
    QStringList saveFileOffered;  // the file names ChooseSaveFile was asked with

    void Beep() override { ++beeps; }
    // The alarm tone: whether it sounds, and how many times it was started.
    bool tone = false;
    int toneStarts = 0;
    void AlarmTone(bool on) override {
        if (on && !tone)
            ++toneStarts;
        tone = on;
    }
    QMessageBox::StandardButton MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override;
    int ExecDialog(QDialog& dialog) override;
    bool ChooseColor(TColor& color, QWidget* parent) override;
    bool ChooseFont(QFont& font, TColor& color, QWidget* parent) override;
    QString ChooseSaveFile(QWidget*, const QString&, const QString& fileName, const QString&) override {
        saveFileOffered.append(fileName);
        return saveFile;
    }
    TDateTime Now() override { return now ? *now : Platform::Now(); }
    quint64 TickCountMs() override { return tickMs ? *tickMs : Platform::TickCountMs(); }
    bool ShutdownComputer() override {
        ++shutdowns;
        return true;
    }
    void Reset();
};

// The test platform installed by ORDAL_TEST_MAIN.
TestPlatform& TP();
// The temporary directory that is the current directory of the test run.
QString TestDir();

// Connection values of the tests' private MariaDB server (ORDAL_TEST_DB_*).
struct TestDb {
    QString host;
    int port = 0;
    QString user;
    QString password;
    QString dir;   // data directory (holds mysqld.pid and mysqld.sock)
    bool available() const { return port > 0; }
    QString hostWithPort() const { return host + QLatin1Char(':') + QString::number(port); }
    qint64 serverPid() const;
};
TestDb TestDatabase();
// Runs one administrative statement on a connection of its own; fails the test on error.
bool ExecAdmin(const QString& sql, QString* error = nullptr);
// Resets the five plant tables to empty (and setup to the given MIN_PLS row, unless NaN).
void ResetPlantTables(double minPls = 1100.0);

// The C library's locale switched to the control room's ru_RU.UTF-8 (decimal
// comma) while the object lives, as QApplication does from the environment
// there; the old one is restored after. ok() is false when the system does not
// have the locale (scripts/deps.sh generates it) or it gives no comma.
class RussianCLocale {
public:
    RussianCLocale();
    ~RussianCLocale();
    RussianCLocale(const RussianCLocale&) = delete;
    RussianCLocale& operator=(const RussianCLocale&) = delete;
    bool ok() const { return ok_; }

private:
    QByteArray saved_;
    bool ok_ = false;
};
#define ORDAL_REQUIRE_RUSSIAN_C_LOCALE(guard)                                                                \
    QVERIFY2((guard).ok(), "the C library has no ru_RU.UTF-8 with a decimal comma: run scripts/deps.sh as root")

int RunTests(QObject* test, int argc, char** argv);
// The same inside an application object the test made (the program's own
// application class, with its general error handler).
void UseOffscreenPlatform();
int RunTestsIn(QApplication& app, QObject* test, int argc, char** argv);

#define ORDAL_TEST_MAIN(TestClass)                                                                           \
    int main(int argc, char** argv) {                                                                        \
        TestClass tc;                                                                                        \
        return RunTests(&tc, argc, argv);                                                                    \
    }

// A test run inside an application of the given QApplication subclass.
#define ORDAL_TEST_MAIN_APP(TestClass, AppClass)                                                             \
    int main(int argc, char** argv) {                                                                        \
        UseOffscreenPlatform();                                                                              \
        AppClass app(argc, argv);                                                                            \
        TestClass tc;                                                                                        \
        return RunTestsIn(app, &tc, argc, argv);                                                             \
    }
