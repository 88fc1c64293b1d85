// The main configuration file on its own, without a window or a server.

#include "Cp1251.h"
#include "Eventlog.h"
#include "IniFile.h"
#include "MainConfig.h"
#include "ObeyPermissions.h"
#include "TestSupport.h"
#include "Vmcrypt.h"

#include <QFile>
#include <sys/stat.h>

namespace {

QString Ini() { return TestDir() + QStringLiteral("/ordal.INI"); }

void Write(const QByteArray& text) {
    QFile f(Ini());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QByteArray Read() {
    QFile f(Ini());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString LastEvent() { return Cp1251ToString(EventQueue.Entry(EventQueue.Count() - 1).text); }

} // namespace

class TstMainConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QFile::remove(Ini()); }

    void noFileGivesDefaultsAndAsksForTheLogin() {
        TMainConfig c;
        int logins = 0;
        QVERIFY(c.Load(Ini(), [&](TMainConfig& cfg) {
            ++logins;
            QCOMPARE(cfg.MySQLLogin, QString("root"));
            cfg.MySQLPassword = "typed";
        }));
        QCOMPARE(logins, 1);
        QCOMPARE(c.MySQLHost, QString("127.0.0.1"));
        QCOMPARE(c.MySQLVersion, 5);
        QCOMPARE(c.FirstChangeStart, 7);
        QCOMPARE(c.Caption, QString("ОРДАЛ-М ( 1.17 )"));
        QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::Saved);
        QCOMPARE(Read(), QByteArray("[main]\nCaption=ОРДАЛ-М ( 1.17 )\nFirstChangeStart=7\nDateIncrement=0\n"
                                    "ShutdownOnExit=0\n\n[MySQL]\nLogin=root\nComp=127.0.0.1\nVersion=5\n"
                                    "SavePassword=0\nPassword=\n"));
    }

    // The scaled scheme is remembered once switched on, also when it is
    // switched off again; a file that never had it does not get it.
    void schemeFitToWindowIsRemembered() {
        TMainConfig c;
        QVERIFY(c.Load(Ini(), [](TMainConfig&) {}));
        QVERIFY(!c.MnemoFitToWindow);
        QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::Saved);
        QVERIFY(!Read().contains("MnemoFitToWindow"));
        c.MnemoFitToWindow = true;
        QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::Saved);
        TMainConfig again;
        QVERIFY(again.Load(Ini(), [](TMainConfig&) {}));
        QVERIFY(again.MnemoFitToWindow);
        again.MnemoFitToWindow = false;
        QCOMPARE(again.Save(Ini()), TMainConfig::SaveResult::Saved);
        QVERIFY(Read().contains("MnemoFitToWindow=0\n"));
    }

    void storedPasswordIsReadWithoutLogin() {
        ScramblerState s(7);
        Write(QStringLiteral("[mysql]\ncomp=plant-db:3307\nsavepassword=1\npassword=%1\n")
                  .arg(ScrambleText(s, "Пароль;=1"))
                  .toUtf8());
        TMainConfig c;
        QVERIFY(c.Load(Ini(), [](TMainConfig&) { QFAIL("no login dialog with a stored password"); }));
        QCOMPARE(c.MySQLPassword, QString("Пароль;=1"));
        QCOMPARE(c.MySQLHost, QString("plant-db:3307"));
    }

    void damagedPasswordStopsThePass_data() {
        QTest::addColumn<QString>("stored");
        ScramblerState s(11);
        QString good = ScrambleText(s, "pw");
        QTest::newRow("short") << "0123";
        QTest::newRow("outside the code page") << good.insert(10, QChar(0x2713));
    }
    void damagedPasswordStopsThePass() {
        QFETCH(QString, stored);
        Write(("[MySQL]\nLogin=op\nSavePassword=1\nPassword=" + stored + "\n").toUtf8());
        const int before = EventQueue.Count();
        TMainConfig c;
        QVERIFY(!c.Load(Ini(), {}));
        QCOMPARE(c.MySQLLogin, QString("op")); // read before the password
        QCOMPARE(c.MySQLPassword, QString());
        QCOMPARE(EventQueue.Count(), before + 1);
        QCOMPARE(LastEvent(), QString("Ошибка в LoadConfig"));
    }

    void passwordThatCannotBeStored() {
        // An old scrambled password must not stay behind to be used next time.
        ScramblerState s(5);
        Write(QStringLiteral("[MySQL]\nSavePassword=1\nPassword=%1\n").arg(ScrambleText(s, "old")).toUtf8());
        TMainConfig c;
        QVERIFY(c.Load(Ini(), {}));
        QCOMPARE(c.MySQLPassword, QString("old"));
        c.MySQLPassword = QString::fromUtf8("新しい");
        QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::PasswordNotStored);
        QVERIFY(!c.SavePassword);
        IniFile ini(Ini());
        QCOMPARE(ini.ReadString("MySQL", "SavePassword", "?"), QString("0"));
        QCOMPARE(ini.ReadString("MySQL", "Password", "?"), QString());
        // The next start asks for the password instead of using a stale one.
        TMainConfig next;
        int logins = 0;
        QVERIFY(next.Load(Ini(), [&](TMainConfig&) { ++logins; }));
        QCOMPARE(logins, 1);
        QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::Saved); // once refused, later saves are quiet
    }

    // A configuration file that exists but cannot be read: the start reads the
    // defaults (and asks for the login, as without a file), and the save when
    // the program is left is refused, goes to the event queue as any failed
    // save, and leaves the stored password, the colours and all else in the
    // file. Before, the save replaced the file with the main window's keys.
    void unreadableFileIsNotOverwritten() {
        ScramblerState s(7);
        const QByteArray text =
            QStringLiteral("[main]\nFirstChangeStart=8\n[MySQL]\nLogin=operator\nSavePassword=1\n"
                           "Password=%1\n[OnColors]\nWater=0x00FFFF00\n")
                .arg(ScrambleText(s, "secret"))
                .toUtf8();
        Write(text);
        const QByteArray path = QFile::encodeName(Ini());
        {
            ObeyPermissions obey;
            if (!obey.Active())
                QSKIP("file permissions cannot be enforced for this process");
            QVERIFY(::chmod(path.constData(), 0200) == 0); // written, not read
            TMainConfig c;
            int logins = 0;
            QVERIFY(c.Load(Ini(), [&](TMainConfig&) { ++logins; }));
            QCOMPARE(logins, 1);
            QCOMPARE(c.FirstChangeStart, 7);
            QCOMPARE(c.MySQLLogin, QString("root"));
            c.MySQLPassword = "typed";
            c.SavePassword = true;
            const int before = EventQueue.Count();
            QCOMPARE(c.Save(Ini()), TMainConfig::SaveResult::Failed);
            QCOMPARE(EventQueue.Count(), before + 1);
            QCOMPARE(LastEvent(), QString("Ошибка в SaveConfig()"));
            QVERIFY(::chmod(path.constData(), 0644) == 0);
        }
        QCOMPARE(Read(), text);
    }
};

ORDAL_TEST_MAIN(TstMainConfig)
#include "tst_mainconfig.moc"
