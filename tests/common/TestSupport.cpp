#include "TestSupport.h"

#include "FormatFloat.h"
#include "NumText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <clocale>
#include <cmath>
#include <cstdio>

namespace {
TestPlatform* g_tp = nullptr;
QTemporaryDir* g_dir = nullptr;
} // namespace

QMessageBox::StandardButton TestPlatform::MessageBox(const QString& text, const QString& caption,
                                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
    messages.append({text, caption, icon, buttons, defaultButton});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
}

int TestPlatform::ExecDialog(QDialog& dialog) {
    ++dialogs;
    return dialogHandler ? dialogHandler(dialog) : int(QDialog::Rejected);
}

bool TestPlatform::ChooseColor(TColor& color, QWidget*) {
    if (nextColor == clNone)
        return false;
    color = nextColor;
    return true;
}

bool TestPlatform::ChooseFont(QFont& font, TColor& color, QWidget* parent) {
    if (nextFont) {
        font = nextFont->first;
        color = nextFont->second;
        return true;
    }
    // The program's own font dialog, run through ExecDialog (dialogHandler).
    return Platform::ChooseFont(font, color, parent);
}

void TestPlatform::Reset() {
    beeps = 0;
    tone = false;
    toneStarts = 0;
    shutdowns = 0;
    dialogs = 0;
    messages.clear();
    answers.clear();
    dialogHandler = nullptr;
    now.reset();
    tickMs.reset();
    nextColor = clNone;
    nextFont.reset();
    saveFile.clear();
    saveFileOffered.clear();
}

TestPlatform& TP() { return *g_tp; }
QString TestDir() { return g_dir->path(); }

TestDb TestDatabase() {
    TestDb db;
    db.host = qEnvironmentVariable("ORDAL_TEST_DB_HOST", QStringLiteral("127.0.0.1"));
    db.port = qEnvironmentVariableIntValue("ORDAL_TEST_DB_PORT");
    db.user = qEnvironmentVariable("ORDAL_TEST_DB_USER", QStringLiteral("ordal"));
    db.password = qEnvironmentVariable("ORDAL_TEST_DB_PASSWORD", QStringLiteral("ordal"));
    db.dir = qEnvironmentVariable("ORDAL_TEST_DB_DIR");
    return db;
}

qint64 TestDb::serverPid() const {
    QFile f(dir + QStringLiteral("/mysqld.pid"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().trimmed().toLongLong();
}

bool ExecAdmin(const QString& sql, QString* error) {
    const TestDb t = TestDatabase();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("ordal_test_admin"));
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        db.setDatabaseName(QStringLiteral("ordalm"));
        db.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=5;MYSQL_OPT_READ_TIMEOUT=10"));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok && error)
                *error = q.lastError().text();
        } else if (error) {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("ordal_test_admin"));
    return ok;
}

void ResetPlantTables(double minPls) {
    for (const char* t : {"pu_data", "last_state", "control_log", "setup", "control_vector"}) {
        QString err;
        if (!ExecAdmin(QStringLiteral("delete from %1").arg(QLatin1String(t)), &err))
            qWarning("reset %s: %s", t, qPrintable(err));
    }
    if (!std::isnan(minPls))
        ExecAdmin(QStringLiteral("insert into setup (ConstName, ConstVal, Comment) values ('MIN_PLS', %1, "
                                 "'Минимальная плотность работающей секции')")
                      .arg(minPls));
}

RussianCLocale::RussianCLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8"))
        return;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    ok_ = qstrcmp(buf, "1,5") == 0;
}

RussianCLocale::~RussianCLocale() { std::setlocale(LC_ALL, saved_.constData()); }

void UseOffscreenPlatform() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

int RunTests(QObject* test, int argc, char** argv) {
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    return RunTestsIn(app, test, argc, argv);
}

int RunTestsIn(QApplication&, QObject* test, int argc, char** argv) {
    // The C library's locale stays as QApplication set it from the environment
    // (under ru_RU a decimal comma), so a number that goes through it shows up;
    // the workstation's own separators are pinned, and a test about the comma
    // sets it.
    SetDecimalSeparator(QLatin1Char('.'));
    SetThousandSeparator(QLatin1Char(','));
    QTemporaryDir dir;
    g_dir = &dir;
    QDir::setCurrent(dir.path());
    TestPlatform tp;
    g_tp = &tp;
    SetPlatform(&tp);
    const int rc = QTest::qExec(test, argc, argv);
    SetPlatform(nullptr);
    g_tp = nullptr;
    g_dir = nullptr;
    return rc;
}
