// The main window against the tests' private MariaDB: configuration, start,
// connection, the state poll, the density setpoint, and leaving the program.

#include "AppFixture.h"
#include "Cp1251.h"
#include "Eventlog.h"
#include "Global.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphSuspLevel.h"
#include "IniFile.h"
#include "Inputnewset.h"
#include "MainMenu.h"
#include "Mnemo.h"
#include "NumText.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolBar>
#include <QToolButton>

namespace {

QVariant AdminValue(const QString& sql) {
    QVariant v;
    const TestDb t = TestDatabase();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", "ordal_test_value");
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        db.setDatabaseName("ordalm");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                v = q.value(0);
        }
    }
    QSqlDatabase::removeDatabase("ordal_test_value");
    return v;
}

// A session of the test's own on its thread, kept open across statements (a
// table lock lasts as long as its session).
class AdminSession {
public:
    AdminSession() {
        const TestDb t = TestDatabase();
        db_ = QSqlDatabase::addDatabase("QMYSQL", "ordal_test_admin");
        db_.setHostName(t.host);
        db_.setPort(t.port);
        db_.setUserName(t.user);
        db_.setPassword(t.password);
        db_.setDatabaseName("ordalm");
        db_.open();
    }
    ~AdminSession() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase("ordal_test_admin");
    }
    bool Exec(const QString& sql) { return QSqlQuery(db_).exec(sql); }
    // Statements of the workstation's sessions that the server holds now.
    int Running(const QString& like) {
        QSqlQuery q(db_);
        q.prepare("select count(*) from information_schema.processlist where info like ? and id <> connection_id()");
        q.addBindValue(like);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

private:
    QSqlDatabase db_;
};

// Answers the setpoint dialog with a text.
std::function<int(QDialog&)> Type(const QString& text) {
    return [text](QDialog& d) {
        auto* input = qobject_cast<TFormInputNewSet*>(&d);
        if (!input)
            return int(QDialog::Rejected);
        input->EditInput->setText(text);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TstMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
        SetDecimalSeparator('.');
        FirstChangeStart = 7;
        DateIncrement = 0;
        ShutdownOnExit = false;
    }

    void startsWithoutConfigurationFileOrServer() {
        QString title, database, user;
        TP().dialogHandler = [&](QDialog& d) {
            title = d.windowTitle();
            database = d.findChild<QLabel*>("LabelDatabase")->text();
            user = d.findChild<QLineEdit*>("EditUserName")->text();
            return int(QDialog::Rejected);
        };
        App app(QByteArray{}); // no file: 127.0.0.1:3306, where no server listens here
        QCOMPARE(title, QString("Database Login"));
        QCOMPARE(database, QString("ОРДАЛ-Б"));
        QCOMPARE(user, QString("root"));
        QCOMPARE(app->MySQLLogin, QString("root"));
        QCOMPARE(app->MySQLPassword, QString());
        QCOMPARE(app->MySQLHost, QString("127.0.0.1"));
        QCOMPARE(FirstChangeStart, 7);
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Не удается подключиться к MySQL серверу."));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        QVERIFY(QDir(TestDir() + "/Temp").exists());
        QVERIFY(QDir(TestDir() + "/Template").exists());

        TP().now = EncodeDate(2026, 12, 10) + EncodeTime(7, 5, 9);
        for (int i = 0; i < 3; ++i)
            app->TimerRefreshStateTimer();
        QCOMPARE(app->LabelClock->text(), QString("07:05:09"));
        QCOMPARE(TP().beeps, 0);
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clSilver);
        QVERIFY(!app->ActionSetPLSZ->isEnabled());
        TP().dialogs = 0;
        app->ActionSetPLSZExecute();
        QCOMPARE(TP().dialogs, 0);

        app->ExitConfirmed = true;
        QVERIFY(app->close());
        const QByteArray ini = ReadFileText(IniPath());
        QCOMPARE(ini, QByteArray("[main]\nCaption=ОРДАЛ-М ( 1.17 )\nFirstChangeStart=7\nDateIncrement=0\n"
                                 "ShutdownOnExit=0\n\n[MySQL]\nLogin=root\nComp=127.0.0.1\nVersion=5\n"
                                 "SavePassword=0\nPassword=\n"));
        QCOMPARE(TP().messages.size(), 1);
    }

    void loginDialogSuppliesUserAndPassword() {
        const TestDb db = TestDatabase();
        TP().dialogHandler = [&](QDialog& d) {
            d.findChild<QLineEdit*>("EditUserName")->setText(db.user);
            d.findChild<QLineEdit*>("EditPassword")->setText(db.password);
            return int(QDialog::Accepted);
        };
        App app(QStringLiteral("[MySQL]\nComp=%1\nSavePassword=0\nPassword=ignored\n").arg(db.hostWithPort()).toUtf8());
        QVERIFY(app->SQLConnection1->Connected());
        QCOMPARE(app->MinPLS, 1100.0);
        QVERIFY(TP().messages.isEmpty());
        QVERIFY(app->ActionSetPLSZ->isEnabled());
        app->SaveConfig();
        QCOMPARE(IniFile(IniPath()).ReadString("MySQL", "Password", "x"), QString()); // never stored
    }

    void storedPasswordCases_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("stored"); // "*" for a scrambled text of the password
        QTest::newRow("stored scrambled") << true << "Пароль-1" << "*";
        QTest::newRow("empty leaves key") << true << "" << "OLD";
        QTest::newRow("not saved clears") << false << "secret" << "";
    }
    void storedPasswordCases() {
        QFETCH(bool, save);
        QFETCH(QString, password);
        QFETCH(QString, stored);
        App app(QByteArray("[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\nPassword=OLD\n"));
        TP().Reset();
        app->SavePassword = save;
        app->MySQLPassword = password;
        app->SaveConfig();
        IniFile ini(IniPath());
        const QString text = ini.ReadString("MySQL", "Password", "missing");
        if (stored == "*") {
            QCOMPARE(text.size(), 50 + 4 * password.size());
            ScramblerState s(1);
            QCOMPARE(UnscrambleText(s, text), password);
        } else {
            QCOMPARE(text, stored);
        }
        QCOMPARE(ini.ReadSection("MySQL"),
                 QStringList({"Comp", "SavePassword", "Password", "Login", "Version"}));
    }

    void unstorablePasswordIsSaidWhenLeaving() {
        App app(QByteArray("[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n"));
        TP().Reset();
        app->MySQLPassword = QString::fromUtf8("密码");
        app->SaveConfig();
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QVERIFY(TP().messages[0].text.startsWith("Пароль содержит символы"));
        QVERIFY(!app->SavePassword);
        QCOMPARE(IniFile(IniPath()).ReadString("MySQL", "SavePassword", "?"), QString("0"));
    }

    void badConfigurationValues() {
        const int before = EventQueue.Count();
        App app(QByteArray("\x01\xff garbage\n[main]\nFirstChangeStart=abc\nDateIncrement=1x\nShutdownOnExit=yes\n"
                           "[MySQL]\nVersion=\nComp=127.0.0.1:1\nSavePassword=1\nPassword=5Q555Q<1U5\n"));
        QCOMPARE(FirstChangeStart, 7);
        QCOMPARE(DateIncrement, 0);
        QCOMPARE(ShutdownOnExit, false);
        QCOMPARE(app->MySQLVersion, 5);
        QCOMPARE(app->MySQLPassword, QString());
        QCOMPARE(TP().dialogs, 0); // a stored password that cannot be read brings no login dialog
        QCOMPARE(EventQueue.Count(), before + 1);
        QCOMPARE(EventQueue.Entry(EventQueue.Count() - 1).text, StringToCp1251Lossy("Ошибка в LoadConfig"));

        App hour(QByteArray("[main]\nFirstChangeStart=31\n[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n"));
        QCOMPARE(FirstChangeStart, 7); // no hour of a day
    }

    void unwritableConfigurationIsReported() {
        App app;
        const int before = EventQueue.Count();
        app->IniFileName = TestDir() + "/missing-dir/ordal.INI";
        app->SaveConfig();
        QCOMPARE(EventQueue.Count(), before + 1);
        QCOMPARE(EventQueue.Entry(EventQueue.Count() - 1).text, StringToCp1251Lossy("Ошибка в SaveConfig()"));
    }

    void driverTriples_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("triple");
        const QStringList v5{"getSQLDriverMYSQL50", "dbxopenmysql50.dll", "libmySQL5.dll"};
        const QStringList v4{"getSQLDriverMYSQL", "dbexpmysql.dll", "libmySQL4.dll"};
        QTest::newRow("5") << 5 << v5;
        QTest::newRow("4") << 4 << v4;
        QTest::newRow("6") << 6 << v4;
    }
    void driverTriples() {
        QFETCH(int, version);
        QFETCH(QStringList, triple);
        App app(ConnectedIni(QStringLiteral("Version=%1\n").arg(version)));
        const TSQLConnection* c = app->SQLConnection1;
        QCOMPARE(QStringList({c->GetDriverFunc, c->LibraryName, c->VendorLib}), triple);
        QVERIFY(c->Connected()); // one client library serves both on this platform
        QCOMPARE(c->Param("Database"), QString("ordalm"));
        QCOMPARE(c->Param("User_Name"), TestDatabase().user);
        QCOMPARE(c->Param("HostName"), TestDatabase().hostWithPort());
    }

    void connectionParameters() {
        App app(QByteArray("[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n"));
        TSQLConnection other;
        other.Params = {"HostName=x", "Database=ordalm", "User_Name=svc_Password", "Password=p"};
        // A parameter's line is the one starting with "name=": a value holding
        // another parameter's name is never taken for it.
        app->SetConnectionParam("Password", "secret", &other);
        app->SetConnectionParam("Name", "v", &other);
        QCOMPARE(other.Params, QStringList({"HostName=x", "Database=ordalm", "User_Name=svc_Password",
                                            "Password=secret", "Name=v"}));
        app->SetConnectionParam("Port", "3307", &other);
        QCOMPARE(other.Params.last(), QString("Port=3307"));
        other.VendorLib = "keep";
        TFormMain::CopyConnectionSettings(*app->SQLConnection1, other);
        QCOMPARE(other.Params, app->SQLConnection1->Params);
        QCOMPARE(other.GetDriverFunc, app->SQLConnection1->GetDriverFunc);
        QCOMPARE(other.VendorLib, QString("keep"));
    }

    void loginNamedAfterAnotherParameter() {
        // The login "svc_Password" once had its line overwritten by the
        // password: the workstation then connected as somebody else.
        const TestDb db = TestDatabase();
        // The account is made by the tests' server fixture.
        ScramblerState s(3);
        App app(QStringLiteral("[MySQL]\nLogin=svc_Password\nComp=%1\nSavePassword=1\nPassword=%2\n")
                    .arg(db.hostWithPort(), ScrambleText(s, "pw"))
                    .toUtf8());
        QCOMPARE(app->SQLConnection1->Param("User_Name"), QString("svc_Password"));
        QCOMPARE(app->SQLConnection1->Param("Password"), QString("pw"));
        QVERIFY(app->SQLConnection1->Connected());
        TSQLQuery who(app->SQLConnection1, "select current_user() as u");
        QVERIFY(who.Open());
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(who.Active());
        QVERIFY(who.AsString("u").startsWith("svc_Password@"));
    }

    void minPlsAfterConnect_data() {
        QTest::addColumn<QString>("setupSql");
        QTest::addColumn<double>("minPls");
        QTest::addColumn<int>("messages");
        QTest::newRow("row") << "update setup set ConstVal=1234.5" << 1234.5 << 0;
        QTest::newRow("no row") << "delete from setup" << 0.0 << 0;
        QTest::newRow("null") << "update setup set ConstVal=NULL" << 0.0 << 0;
        QTest::newRow("no table") << "rename table setup to setup_away" << 1000.0 << 1;
    }
    void minPlsAfterConnect() {
        QFETCH(QString, setupSql);
        QFETCH(double, minPls);
        QFETCH(int, messages);
        QVERIFY(ExecAdmin(setupSql));
        App app;
        ExecAdmin("rename table setup_away to setup");
        QCOMPARE(app->MinPLS, minPls);
        QCOMPARE(TP().messages.size(), messages);
        QVERIFY(app->SQLConnection1->Connected()); // the connection itself stays open
    }

    void linkColourRule_data() {
        QTest::addColumn<double>("age");
        QTest::addColumn<int>("colour");
        QTest::newRow("3 s") << 3.0 << clGreen;
        QTest::newRow("5 s") << 5.0 << clGreen;
        QTest::newRow("5.001 s") << 5.001 << clYellow;
        QTest::newRow("7 s") << 7.0 << clYellow;
        QTest::newRow("10 s") << 10.0 << clYellow;
        QTest::newRow("12 s") << 12.0 << clRed;
        QTest::newRow("negative") << -30.0 << clGreen;
    }
    void linkColourRule() {
        QFETCH(double, age);
        QFETCH(int, colour);
        const TDateTime t = EncodeDate(2026, 12, 10) + EncodeTime(12, 0, 0);
        QCOMPARE(TFormMain::LinkColor(t, t + age * OneSecond), TColor(colour));
    }

    void pollColoursLinkAndReadsNewestRecord() {
        ExecAdmin("insert into last_state (RecMoment) values ('2026-12-10 12:00:00')");
        ExecAdmin("insert into pu_data values ('2026-12-10 11:59:59', 1650, 1700, 40, 30, 20, 10, 1700, 0)");
        ExecAdmin("insert into pu_data values ('2026-12-10 12:00:00', 1725.5, 1720, 55, 45, 35, 50, 1720, 1)");
        App app;
        const TDateTime beat = EncodeDate(2026, 12, 10) + EncodeTime(12, 0, 0);
        const QList<QPair<int, TColor>> cases{{3, clGreen}, {7, clYellow}, {12, clRed}, {-5, clGreen}};
        for (const auto& [age, colour] : cases) {
            TP().now = beat + age * OneSecond;
            app.Poll();
            QCOMPARE(app->ShapeLink->Brush()->GetColor(), colour);
        }
        QCOMPARE(TP().beeps, 0);
        QVERIFY(app->LastDataActive());
        const TLastData d = app->LastData();
        QCOMPARE(d.PLS, 1725.5);
        QCOMPARE(d.AR1, 1.0);
        QCOMPARE(d.DSUS, 50.0);
        QCOMPARE(d.RecMoment, beat);
    }

    void firstLookAsSoonAsConnected() {
        // The frame is up before the connect at start is answered; the first
        // look goes with that answer, not at the timer's next tick (here an
        // hour away).
        PutHeartbeat(0);
        PutRecord(1725);
        WriteFileText(IniPath(), ConnectedIni());
        TFormMain main(ExePath());
        main.TimerRefreshState->setInterval(3600 * 1000);
        main.show(); // before any answer can have come
        QVERIFY(!main.SQLConnection1->Connected());
        QVERIFY(WaitForDatabase(main.SQLConnection1));
        QVERIFY(main.SQLConnection1->Connected());
        QVERIFY(main.LastDataActive());
        QCOMPARE(main.LastData().PLS, 1725.0);
        QCOMPARE(main.ShapeLink->Brush()->GetColor(), clGreen);
        main.ExitConfirmed = true;
    }

    void pollFailures() {
        App app;
        app.Poll(); // last_state empty: the zero date-time is ages old
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        QCOMPARE(TP().beeps, 0);

        PutHeartbeat(0);
        QVERIFY(ExecAdmin("alter table pu_data drop column AR1"));
        for (int i = 0; i < 3; ++i)
            app.Poll();
        QVERIFY(ExecAdmin("alter table pu_data add column AR1 double null"));
        QCOMPARE(TP().beeps, 3); // a declared column missing fails every tick
        QVERIFY(!app->LastDataActive());
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen); // the heartbeat of those ticks is fresh
        app.Poll();
        QCOMPARE(TP().beeps, 3);
        QVERIFY(app->LastDataActive());
    }

    void densitySetpoint_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("sent");
        const QString bad = "Правильно вводите числа.";
        const QString range = "Задание плотности вне допустимого диапазона.";
        QTest::newRow("lowest") << "." << "1600" << "" << "1600";
        QTest::newRow("highest") << "." << "2100" << "" << "2100";
        QTest::newRow("below") << "." << "1599.9" << range << "";
        QTest::newRow("above") << "." << "2100.1" << range << "";
        QTest::newRow("just above") << "." << "2100.0000001" << range << "";
        QTest::newRow("comma under comma") << "," << "1650,5" << "" << "1650.5";
        QTest::newRow("point under comma") << "," << "1650.5" << bad << "";
        QTest::newRow("point under point") << "." << "1650.5" << "" << "1650.5";
        QTest::newRow("comma under point") << "." << "1650,5" << bad << "";
        QTest::newRow("empty") << "." << "" << bad << "";
        QTest::newRow("letters") << "." << "abc" << bad << "";
        QTest::newRow("exponent") << "." << "1.7e3" << "" << "1700";
        QTest::newRow("exponent out of range") << "." << "1e3" << range << "";
        QTest::newRow("minus zero") << "." << "-0" << range << "";
        QTest::newRow("long number") << "." << QString(5000, '7') << range << ""; // the field keeps 64 digits
        QTest::newRow("long text") << "." << QString(5000, 'x') << bad << "";
        QTest::newRow("injection") << "." << "1700 ); delete from pu_data; --" << bad << "";
        QTest::newRow("quotes") << "." << "'1700'" << bad << "";
    }
    void densitySetpoint() {
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, sent);
        App app;
        SetDecimalSeparator(separator[0]);
        TP().dialogHandler = Type(text);
        app->ActionSetPLSZExecute();
        QCOMPARE(FormInputNewSet->LabelParName->text(), QString("Заданная плотность суспензии:"));
        // A value the dialog refuses is said at once and nothing is sent.
        QCOMPARE(app->SetpointSending(), message.isEmpty());
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(!app->SetpointSending());
        if (message.isEmpty()) {
            QVERIFY(TP().messages.isEmpty());
            // The value travels bound, never spliced into the statement.
            QCOMPARE(app->SQLQueryNewSet->SQL(),
                     QString("insert into control_vector\r\n( RecMoment, UserName, _PLSZ )\r\nVALUES ( Now(), USER(), ? ) "));
            QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 1);
            QCOMPARE(AdminValue("select _PLSZ from control_vector").toDouble(), sent.toDouble());
            QVERIFY(AdminValue("select _TNZ from control_vector").isNull());
            QVERIFY(AdminValue("select UserName from control_vector").toString().startsWith(TestDatabase().user + "@"));
            QVERIFY(AdminValue("select abs(timestampdiff(second, RecMoment, now())) from control_vector").toInt() < 5);
        } else {
            QCOMPARE(TP().messages.size(), 1);
            QCOMPARE(TP().messages[0].text, message);
            QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
            QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 0);
        }
        QVERIFY(AdminValue("select count(*) from pu_data").isValid());
    }

    void loadSetpointAndCancel() {
        App app;
        TP().dialogHandler = Type("240");
        app->ActionSet_TNZExecute();
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QCOMPARE(AdminValue("select _TNZ from control_vector").toDouble(), 240.0);
        TP().dialogHandler = Type("241");
        app->ActionSet_TNZExecute();
        QCOMPARE(TP().messages.last().text, QString("Задание нагрузки вне допустимого диапазона."));
        TP().messages.clear();
        TP().dialogHandler = [](QDialog& d) {
            qobject_cast<TFormInputNewSet*>(&d)->EditInput->setText("1700");
            return int(QDialog::Rejected);
        };
        app->ActionSetPLSZExecute();
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 1);
        // The load command is offered nowhere.
        for (QAction* menu : app->menuBar()->actions())
            QVERIFY(!menu->menu()->actions().contains(app->ActionSet_TNZ));
        for (auto* b : app->ToolBarMain->findChildren<QToolButton*>())
            QVERIFY(b->defaultAction() != app->ActionSet_TNZ);
    }

    void failedInsertShowsDatabaseText() {
        App app;
        QVERIFY(ExecAdmin("rename table control_vector to control_vector_away"));
        TP().dialogHandler = Type("1700");
        app->ActionSetPLSZExecute();
        QVERIFY(TP().messages.isEmpty()); // the box comes with the answer
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        ExecAdmin("rename table control_vector_away to control_vector");
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QVERIFY2(TP().messages[0].text.contains("control_vector"), qPrintable(TP().messages[0].text));
    }

    void setpointWhoseAnswerIsLost() {
        // The insert reaches the server and waits for a table lock; meanwhile
        // the session is killed. Whether the row was written cannot be known
        // here, and the operator is told so instead of a plain failure.
        App app;
        TSQLQuery id(app->SQLConnection1, "select connection_id() as id");
        QVERIFY(id.Open());
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        const qint64 session = qint64(id.AsFloat("id"));
        AdminSession admin;
        QVERIFY(admin.Exec("lock tables control_vector write"));
        TP().dialogHandler = Type("1750");
        app->ActionSetPLSZExecute();
        QTRY_COMPARE(admin.Running("insert into control_vector%"), 1);
        QVERIFY(admin.Exec(QStringLiteral("kill %1").arg(session)));
        QVERIFY(admin.Exec("unlock tables"));
        QVERIFY(TP().messages.isEmpty()); // not before the answer
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(!app->SetpointSending());
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.startsWith(kSetpointUnknown), qPrintable(TP().messages[0].text));
        QVERIFY(app->SQLConnection1->Lost());
    }

    void setpointIsSentOnce() {
        // The server holds the insert behind a table lock: the setpoint is on
        // its way, the screen goes on, and it cannot be sent a second time.
        App app;
        AdminSession admin;
        QVERIFY(admin.Exec("lock tables control_vector write"));
        TP().dialogHandler = Type("1700");
        app->ActionSetPLSZExecute();
        QCOMPARE(TP().dialogs, 1);
        QVERIFY(app->SetpointSending());
        QTRY_COMPARE(admin.Running("insert into control_vector%"), 1);
        QVERIFY(app->SetpointSending());
        QVERIFY(!app->ActionSetPLSZ->isEnabled());
        QVERIFY(!app->ActionSet_TNZ->isEnabled());
        app->ActionSetPLSZ->trigger();
        app->ActionSetPLSZExecute();
        app->ActionSet_TNZExecute();
        app->TimerRefreshStateTimer(); // a tick does not give the actions back
        QVERIFY(!app->ActionSetPLSZ->isEnabled());
        QCOMPARE(TP().dialogs, 1);
        QVERIFY(TP().messages.isEmpty());
        QVERIFY(admin.Exec("unlock tables"));
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(!app->SetpointSending());
        QVERIFY(app->ActionSetPLSZ->isEnabled());
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 1);
        // Given back, the action sends again.
        TP().dialogHandler = Type("1710");
        app->ActionSetPLSZ->trigger();
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QCOMPARE(TP().dialogs, 2);
        QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 2);
    }

    void setpointWhileARangeIsHeld() {
        // The journal's range waits behind a table lock on the history
        // session; the setpoint goes on the live one, is stored once and
        // answered while the range is still held, and so is the poll.
        App app;
        AdminSession admin;
        QVERIFY(admin.Exec("lock tables control_log write"));
        bool rangeAnswered = false;
        QVERIFY(FormLogView->LoadJournal([&](const EDatabaseError* e) {
            QVERIFY(!e);
            rangeAnswered = true;
        }));
        QTRY_COMPARE(admin.Running("%from control_log%"), 1);

        TP().dialogHandler = Type("1750");
        app->ActionSetPLSZExecute();
        QVERIFY(app->SetpointSending());
        const int answers = app->StatePoll->Answers();
        app->TimerRefreshStateTimer();
        QTRY_VERIFY_WITH_TIMEOUT(!app->SetpointSending() && app->StatePoll->Answers() > answers, 20000);
        QVERIFY(!rangeAnswered);
        QVERIFY(FormLogView->Loading);
        QCOMPARE(app->SQLConnection1->Pending(TSessionRole::History), 1);
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(AdminValue("select count(*) from control_vector where _PLSZ = 1750").toInt(), 1);

        QVERIFY(admin.Exec("unlock tables"));
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(rangeAnswered);
        QCOMPARE(AdminValue("select count(*) from control_vector").toInt(), 1);
    }

    void childWindowsAndPrintButton() {
        App app;
        const QList<std::tuple<int, QWidget*, QAction*>> keys{
            {Qt::Key_F2, FormMnemo, app->ActionPrint},
            {Qt::Key_F3, FormGraphHardParams, app->ActionPrintHardParams},
            {Qt::Key_F4, FormGraphSuspLevel, app->ActionPrintLevelGraph},
            {Qt::Key_F5, FormGraphDSUS, app->ActionPrintDiverGraph},
            {Qt::Key_F6, FormLogView, app->ActionPrintGCWorkReg},
            {Qt::Key_F1, FormMainMenu, app->ActionPrint}};
        for (const auto& [key, window, print] : keys) {
            QAction* action = nullptr;
            for (QAction* a : app->Actions())
                if (a->shortcuts().contains(QKeySequence(key)))
                    action = a;
            QVERIFY(action);
            action->trigger();
            QCOMPARE(app->CurrentChild.data(), window);
            QVERIFY(app->SubWindowOf(window)->isMaximized());
            QCOMPARE(app->MdiArea->activeSubWindow(), app->SubWindowOf(window));
            QCOMPARE(app->ToolButtonPrint->defaultAction(), print);
        }
        QVERIFY(QDir(TestDir() + "/config").exists());
        QCOMPARE(FormGraphDSUS->windowTitle(), QString("График работы делителя потока суспензии"));
        app->ActionGraphSuspLevel->trigger();
        app->ActionBaseView->trigger();
        QCOMPARE(app->CurrentChild.data(), FormBaseView);
        QCOMPARE(app->ToolButtonPrint->defaultAction(), app->ActionPrintLevelGraph);
        QVERIFY(!app->ActionPrint->isEnabled());
        QVERIFY(app->ActionAbout->shortcuts().contains(QKeySequence("Alt+F1")));
        QVERIFY(app->ActionAbout->shortcuts().contains(QKeySequence("Ctrl+F1")));
    }

    void clockAndLinkStayAtTheRightEnd_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("wide") << 1600;
        QTest::newRow("1000") << 1000;
        QTest::newRow("800") << 800;
    }
    void clockAndLinkStayAtTheRightEnd() {
        QFETCH(int, width);
        App app(QByteArray("[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n"));
        app->resize(width, 700);
        app->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.main.get()));
        QCoreApplication::processEvents();
        const QWidget* row = app->PanelInfo->parentWidget();
        QVERIFY(app->LabelClock->isVisible());
        QVERIFY(app->ShapeLink->isVisible());
        // The clock ends at the right end of the bar, the circle left of it.
        const QRect clock(app->LabelClock->mapTo(app.main.get(), QPoint()), app->LabelClock->size());
        const QRect circle(app->ShapeLink->mapTo(app.main.get(), QPoint()), app->ShapeLink->size());
        QCOMPARE(clock.right(), row->mapTo(app.main.get(), QPoint(row->width() - 1, 0)).x());
        QVERIFY(clock.right() < app->width());
        QCOMPARE(clock.size(), QSize(93, 40));
        QVERIFY(circle.right() < clock.left());
        QVERIFY(circle.left() >= app->ToolBarMain->mapTo(app.main.get(), QPoint(app->ToolBarMain->width(), 0)).x());
        // The panel fills the space behind the last button that fits.
        QCOMPARE(app->PanelInfo->x(), app->ToolBarMain->geometry().right() + 1);
    }

    void leavingAsksOnceAndSaves() {
        {
            App app;
            QSignalSpy saves(app.main.get(), &TFormMain::ConfigSaved);
            TP().answers = {QMessageBox::No};
            app->ActionExitExecute();
            QVERIFY(!app->ExitConfirmed);
            QCOMPARE(saves.count(), 0);
            TP().answers = {QMessageBox::Yes};
            app->ActionExitExecute();
            QCOMPARE(TP().messages.size(), 2);
            QCOMPARE(TP().messages[0].text, QString("Вы действительно хотите завершить работу с программой?"));
            QCOMPARE(TP().messages[0].caption, QString("Выход"));
            QCOMPARE(TP().messages[0].defaultButton, QMessageBox::No);
            QCOMPARE(saves.count(), 2); // once by the action, once by the close handler
            QVERIFY(ReadFileText(IniPath()).contains("FirstChangeStart=8"));
        }
        TP().Reset();
        {
            App app;
            QSignalSpy saves(app.main.get(), &TFormMain::ConfigSaved);
            TP().answers = {QMessageBox::No};
            QVERIFY(!app->close());
            TP().answers = {QMessageBox::Yes};
            QVERIFY(app->close());
            QCOMPARE(TP().messages.size(), 2);
            QCOMPARE(saves.count(), 1);
            QVERIFY(app->close()); // confirmed: no further question
            QCOMPARE(TP().messages.size(), 2);
        }
    }

    void shutdownAtExit_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<int>("shutdowns");
        QTest::newRow("off") << "0" << 0;
        QTest::newRow("on") << "1" << 1;
    }
    void shutdownAtExit() {
        QFETCH(QString, flag);
        QFETCH(int, shutdowns);
        {
            App app(QStringLiteral("[main]\nShutdownOnExit=%1\n[MySQL]\nComp=127.0.0.1:1\nSavePassword=1\n")
                        .arg(flag)
                        .toUtf8());
            QCOMPARE(TP().shutdowns, 0);
        }
        QCOMPARE(TP().shutdowns, shutdowns);
    }
};

ORDAL_TEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
