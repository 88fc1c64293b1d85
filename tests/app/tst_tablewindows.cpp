// The event journal, the database browser and the settings dialog against the
// tests' private MariaDB: shift ranges, the automatic refresh and its failures,
// the print preview, the browser's ranges, a workstation started without a
// server, the connection test, the constants round trip and refusals, the
// colour sets and the set-up mode. The windows ask the database and are
// answered later: a test waits for the answer where it wants the outcome, and
// holds a table from a client of its own to catch a window while it waits.

#include "AppFixture.h"
#include "Arrow.h"
#include "Baseview.h"
#include "ColorSets.h"
#include "Config.h"
#include "Controls.h"
#include "Eventlog.h"
#include "Global.h"
#include "IniFile.h"
#include "Logview.h"
#include "Mnemo.h"
#include "NumText.h"
#include "ObeyPermissions.h"
#include "Outfield.h"
#include "Services.h"
#include "Sql.h"

#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <csignal>
#include <memory>
#include <sys/stat.h>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 10);

void Journal(const QString& moment, const QString& text) {
    QVERIFY(ExecAdmin(QStringLiteral("insert into control_log (RecMoment, MessageText) values ('%1', '%2')")
                          .arg(moment, text)));
}

QStringList Column(TDBGridEh* grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid->Model()->rowCount(); ++r)
        texts << grid->Model()->index(r, column).data().toString();
    return texts;
}

TSQLConnection* Db() {
    return FormMain->SQLConnection1;
}

// Every request answered and its answer run.
void Settle() {
    QVERIFY(WaitForDatabase(Db()));
}

QStringList TestParams() {
    const TestDb db = TestDatabase();
    return {"HostName=" + db.hostWithPort(), "Database=ordalm", "User_Name=" + db.user, "Password=" + db.password};
}

// Another client of the server, on the test thread: it reads what the server
// holds, and locks a table as someone else's long statement would, so that a
// window's statement waits for it.
class OtherClient {
public:
    OtherClient() : session_("other") { session_.SetSettings(TConnectionSettings::FromParams(TestParams())); }
    ~OtherClient() {
        if (locked_)
            Unlock();
    }
    TResultTable Select(const QString& sql) { return session_.Select(sql, TStatementKind::Command); }
    void Execute(const QString& sql) { session_.Execute(sql, {}, TStatementKind::Command); }
    void Lock(const QString& table) {
        Execute("lock tables " + table + " write");
        locked_ = true;
    }
    void Unlock() {
        locked_ = false;
        Execute("unlock tables");
    }

private:
    TDbSession session_;
    bool locked_ = false;
};

// Whether a statement beginning with `start` waits for a table lock now.
bool WaitsForLock(const QString& start) {
    OtherClient watcher;
    return watcher
               .Select("select 1 from information_schema.processlist where info like '" + start +
                       "%' and state like '%lock%'")
               .RowCount() > 0;
}

void LoadJournalOf(TDateTime day, int shiftIndex) {
    FormLogView->DateTimePicker1->SetDateTime(day);
    FormLogView->ComboBox1->SetItemIndex(shiftIndex);
    QVERIFY(FormLogView->LoadJournal());
    Settle();
}

// One auto-refresh tick of the journal and what it started.
void RefreshTick() {
    FormLogView->TimerAutoRefreshTimer();
    Settle();
}

// The configuration window's first showing, with its constants read.
void ShowConfig() {
    FormConfig->FormShow();
    Settle();
    QVERIFY(FormConfig->ClientDataSetConst.Active());
}

// Types a text into a cell of the constants grid as the operator does: the
// cell's editor, then Enter; the posted row is applied from the event loop,
// and (unless told not to) its save is waited for.
void TypeCell(int row, int column, const QString& text, bool settle = true) {
    TDBGridEh* grid = FormConfig->DBGridEh2;
    QVERIFY(grid->isEnabled());
    const QModelIndex index = grid->Model()->index(row, column);
    if (!grid->Editing()) {
        grid->setCurrentIndex(index);
        grid->edit(index);
    }
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden())
            editor = e;
    QVERIFY(editor);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The commit, then the posted row, then the editor's end: one event each.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (settle)
        Settle();
}

int RowNamed(const QString& name) {
    const TConstantsCopy& copy = FormConfig->ClientDataSetConst;
    for (int r = 0; r < copy.RowCount(); ++r)
        if (copy.DisplayText(r, TConstantsCopy::ConstName) == name)
            return r;
    return -1;
}

// The rows of setup as the server holds them: name -> (value text, comment).
QMap<QString, QStringList> SetupInDatabase() {
    const TResultTable t = OtherClient().Select(Sql::Constants);
    QMap<QString, QStringList> rows;
    for (int r = 0; r < t.RowCount(); ++r)
        rows[t.Text(r, 0)] = {t.IsNull(r, 1) ? "NULL" : GridCellText(t, r, 1),
                              t.IsNull(r, 2) ? "NULL" : t.Text(r, 2)};
    return rows;
}

// How many rows of setup carry the name (a name stored twice shows here).
int SetupRowsNamed(const QString& name) {
    return OtherClient().Select("select 1 from setup where ConstName = '" + name + "'").RowCount();
}

void StopServer() {
    QVERIFY(::kill(pid_t(TestDatabase().serverPid()), SIGSTOP) == 0);
}
void ContinueServer() {
    QVERIFY(::kill(pid_t(TestDatabase().serverPid()), SIGCONT) == 0);
}

} // namespace

class TstTableWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
        SetDecimalSeparator('.');
        InteractiveSetupMode = false;
        OnColors = kDefaultStateColors;
        OffColors = kDefaultStateColors;
    }
    void cleanup() {
        ContinueServer(); // whatever a failed case left stopped
        for (const char* t : {"control_log", "pu_data", "setup"})
            ExecAdmin(QStringLiteral("rename table %1_away to %1").arg(QLatin1String(t)));
    }

    // ---- the journal ----

    void journalShowsTheChosenShift_data() {
        QTest::addColumn<int>("shift");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("Смена №1") << 0 << QStringList{"07:00:00", "18:59:59"};
        QTest::newRow("Смена №2") << 1 << QStringList{"19:00:00", "next 06:59:59"};
        QTest::newRow("Обе смены") << 2 << QStringList{"07:00:00", "18:59:59", "19:00:00", "next 06:59:59"};
    }
    void journalShowsTheChosenShift() {
        QFETCH(int, shift);
        QFETCH(QStringList, entries);
        App app;
        FirstChangeStart = 7;
        DateIncrement = 0;
        Journal("2026-03-10 06:59:59", "06:59:59");
        Journal("2026-03-10 07:00:00", "07:00:00");
        Journal("2026-03-10 18:59:59", "18:59:59");
        Journal("2026-03-10 19:00:00", "19:00:00");
        Journal("2026-03-11 06:59:59", "next 06:59:59");
        Journal("2026-03-11 07:00:00", "next 07:00:00");
        LoadJournalOf(kDay + 0.5, shift);
        QCOMPARE(Column(FormLogView->DBGridEh1, 1), entries);
        QCOMPARE(Column(FormLogView->DBGridEh1, 0).first(), "10.03.2026 " + entries.first().right(8));
        QCOMPARE(FormLogView->LogShift, shift + 1);
        QCOMPARE(FormLogView->LogDay, kDay);
    }

    void journalAutoRefresh() {
        App app;
        FirstChangeStart = 7;
        DateIncrement = 0;
        Journal("2026-03-10 08:00:00", "first");
        // Before the first load the timer does nothing.
        RefreshTick();
        QCOMPARE(FormLogView->Loads(), 0);
        LoadJournalOf(kDay, 2);
        QCOMPARE(FormLogView->Loads(), 1);
        // The first tick reloads once more (the newest entry is inside the range),
        // then not again until a newer entry arrives inside it.
        RefreshTick();
        RefreshTick();
        QCOMPARE(FormLogView->Loads(), 2);
        Journal("2026-03-10 09:30:00", "second");
        RefreshTick();
        RefreshTick();
        QCOMPARE(FormLogView->Loads(), 3);
        QCOMPARE(Column(FormLogView->DBGridEh1, 1), (QStringList{"first", "second"}));

        // A day in the past: the newest entry lies after its range, never a reload.
        LoadJournalOf(kDay - 1, 2);
        const int loads = FormLogView->Loads();
        for (int i = 0; i < 3; ++i)
            RefreshTick();
        Journal("2026-03-10 10:00:00", "third");
        RefreshTick();
        QCOMPARE(FormLogView->Loads(), loads);
        QVERIFY(TP().messages.isEmpty());
    }

    void journalAutoRefreshFailureOpensNoBox() {
        App app;
        FirstChangeStart = 7;
        Journal("2026-03-10 08:00:00", "kept");
        LoadJournalOf(kDay, 2);
        const int queued = EventQueue.Count();
        QVERIFY(ExecAdmin("rename table control_log to control_log_away"));
        for (int i = 0; i < 3; ++i)
            RefreshTick();
        QVERIFY(TP().messages.isEmpty()); // nobody may be at the desk
        QCOMPARE(EventQueue.Count(), queued + 3);
        QVERIFY(FormLogView->Stale());
        QVERIFY(FormLogView->PanelStale->GetVisible());
        QVERIFY(FormLogView->windowTitle().contains("не обновляется"));
        QCOMPARE(Column(FormLogView->DBGridEh1, 1), QStringList{"kept"}); // the list stays
        // A load the operator asks for still gets the error box.
        QTest::keyClick(FormLogView->DateTimePicker1, Qt::Key_Return);
        Settle();
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.contains("control_log"));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(Column(FormLogView->DBGridEh1, 1), QStringList{"kept"});
        // Back: the next tick finds the list current again.
        QVERIFY(ExecAdmin("rename table control_log_away to control_log"));
        RefreshTick();
        QVERIFY(!FormLogView->Stale());
        QCOMPARE(FormLogView->windowTitle(), QString("Журнал работы отсадочных машин"));
    }

    // A first load that failed leaves nothing to refresh; the auto-refresh
    // tries it again (quietly) until it succeeds.
    void journalAutoRefreshRetriesAFailedFirstLoad() {
        App app;
        FirstChangeStart = 0; // today's shift day is the calendar day
        Journal(SqlDateTimeText(Now()), "пропущенное");
        QVERIFY(ExecAdmin("rename table control_log to control_log_away"));
        app->show();
        app->ActionWorkLog->trigger(); // the first load, when the window is shown
        QTRY_COMPARE(TP().messages.size(), 1);
        QCOMPARE(FormLogView->Loads(), 0);
        QCOMPARE(FormLogView->LogShift, -1);
        QVERIFY(FormLogView->Stale());
        const int queued = EventQueue.Count();
        RefreshTick(); // still failing: no box, a diagnostic entry
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(EventQueue.Count(), queued + 1);
        QCOMPARE(FormLogView->Loads(), 0);
        QVERIFY(ExecAdmin("rename table control_log_away to control_log"));
        RefreshTick();
        QCOMPARE(FormLogView->Loads(), 1);
        QCOMPARE(Column(FormLogView->DBGridEh1, 1), QStringList{"пропущенное"});
        QVERIFY(!FormLogView->Stale());
        QCOMPARE(TP().messages.size(), 1);
    }

    void journalPrintPreview_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("period");
        // Before any load: the zero date-time range and an empty grid.
        QTest::newRow("before any load") << -1 << "за период с 30.12.1899 00:00 по 30.12.1899 00:00";
        QTest::newRow("a long shift") << 200 << "за период с 10.03.2026 07:00 по 11.03.2026 06:59";
    }
    void journalPrintPreview() {
        QFETCH(int, entries);
        QFETCH(QString, period);
        App app;
        FirstChangeStart = 7;
        DateIncrement = 0;
        if (entries >= 0) {
            QVERIFY(ExecAdmin(QStringLiteral("insert into control_log (RecMoment, MessageText) select "
                                             "timestamp('2026-03-10 07:00:00') + interval seq minute, "
                                             "concat('Сообщение ', seq) from seq_1_to_%1")
                                  .arg(entries)));
            LoadJournalOf(kDay, 2);
        }
        QVERIFY(FormLogView->PrintHeading().contains(period));
        QVERIFY(FormLogView->PrintHeading().contains(
            "Журнал регистрации режимов работы тяжелосредного гидроциклона"));
        int pages = -1;
        TP().dialogHandler = [&](QDialog& d) {
            if (!qobject_cast<QPrintPreviewDialog*>(&d))
                return int(QDialog::Rejected);
            auto* preview = d.findChild<QPrintPreviewWidget*>();
            preview->updatePreview();
            pages = preview->pageCount();
            return int(QDialog::Rejected);
        };
        app->ActionPrintGCWorkReg->trigger();
        QCOMPARE(TP().dialogs, 1);
        QCOMPARE(pages, FormLogView->PrintDBGridEh1->PageCount());
        if (entries < 0)
            QCOMPARE(pages, 1);
        else
            QVERIFY2(pages > 2 && pages < entries / 10, qPrintable(QString::number(pages)));
    }

    // ---- the database browser ----

    void browserRanges_data() {
        QTest::addColumn<int>("stopDay"); // days after the start day
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("whole day, both ends included")
            << 0 << QStringList{"10.03.2026 00:00:00", "10.03.2026 23:59:59"};
        QTest::newRow("stop before start: empty, no error") << -1 << QStringList{};
    }
    void browserRanges() {
        QFETCH(int, stopDay);
        QFETCH(QStringList, rows);
        // A shift day from midnight: the pickers start on 00:00:00 and 23:59:59.
        App app(ConnectedIni().replace("FirstChangeStart=8", "FirstChangeStart=0"));
        for (const char* t :
             {"2026-03-09 23:59:59", "2026-03-10 00:00:00", "2026-03-10 23:59:59", "2026-03-11 00:00:00"})
            QVERIFY(ExecAdmin(
                QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, "
                               "_PLSZ, AR1) values ('%1', 1650.5, 1700, 55, 40, 35, 50, NULL, 1)")
                    .arg(QLatin1String(t))));
        FormBaseView->DateTimePicker1->SetDateTime(kDay + 0.3);
        FormBaseView->DateTimePicker3->SetDateTime(kDay + stopDay);
        QTest::keyClick(FormBaseView->DateTimePicker4, Qt::Key_Return); // Enter loads, as "Загрузить" does
        Settle();
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(Column(FormBaseView->DBGridEh1, 0), rows);
        if (!rows.isEmpty()) {
            QCOMPARE(
                FormBaseView->DBGridEh1->Model()->headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(),
                QString("Задание плотности"));
            QCOMPARE(
                FormBaseView->DBGridEh1->Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                QString("PLS"));
            QCOMPARE(Column(FormBaseView->DBGridEh1, 1).first(), QString("1650.5"));
            QCOMPARE(Column(FormBaseView->DBGridEh1, 7).first(), QString()); // NULL
        }
    }

    void browserLoadFailureLeavesTheGridEmpty() {
        App app;
        PutRecord();
        FirstChangeStart = 0;
        FormBaseView->DateTimePicker1->SetDateTime(std::floor(Now()) - 1);
        FormBaseView->DateTimePicker3->SetDateTime(std::floor(Now()) + 1);
        FormBaseView->ButLoadClick(nullptr);
        Settle();
        QCOMPARE(FormBaseView->DBGridEh1->Model()->rowCount(), 1); // rows that a failure must not leave
        QVERIFY(ExecAdmin("rename table pu_data to pu_data_away"));
        FormBaseView->ButLoadClick(nullptr);
        Settle();
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.contains("pu_data"));
        QCOMPARE(FormBaseView->DBGridEh1->Model()->rowCount(), 0);
    }

    // "Загрузить" pressed again while the server holds a load back: the grid
    // ends on the range asked for last, never on an older load that ended later.
    void browserSecondLoadWhileTheFirstWaits() {
        App app;
        for (const char* t : {"2026-03-10 10:00:00", "2026-03-11 10:00:00", "2026-03-11 11:00:00"})
            QVERIFY(ExecAdmin(QStringLiteral("insert into pu_data (RecMoment, PLS) values ('%1', 1700)")
                                  .arg(QLatin1String(t))));
        auto pick = [](TDateTime day) {
            FormBaseView->DateTimePicker1->SetDateTime(day);
            FormBaseView->DateTimePicker2->SetDateTime(0);
            FormBaseView->DateTimePicker3->SetDateTime(day);
            FormBaseView->DateTimePicker4->SetDateTime(EncodeTime(23, 59, 59));
        };
        // Another client holds the table: the browser's statement waits for it.
        {
            OtherClient other;
            other.Lock("pu_data");
            pick(EncodeDate(2026, 3, 10));
            FormBaseView->ButLoadClick(nullptr); // the first press, held back
            QVERIFY(FormBaseView->Loading);
            QTRY_VERIFY(WaitsForLock("select * from pu_data"));
            pick(EncodeDate(2026, 3, 11));
            FormBaseView->ButLoadClick(nullptr); // the second press, while the first waits
            QVERIFY(FormBaseView->Loading);
            // Queued behind the first, not sent beside it.
            QCOMPARE(Db()->Pending(TSessionRole::History), 1);
            // Held past a moment, the caption (the main window's title) says so.
            QTRY_VERIFY(FormBaseView->windowTitle().endsWith(QString::fromUtf8(kLoadingCaptionSuffix)));
            other.Unlock();
        }
        Settle();
        QVERIFY(!FormBaseView->Loading);
        QCOMPARE(Column(FormBaseView->DBGridEh1, 0),
                 (QStringList{"11.03.2026 10:00:00", "11.03.2026 11:00:00"}));
        QCOMPARE(SqlDateTimeText(FormBaseView->Loaded().start), QString("2026-03-11 00:00:00"));
        QCOMPARE(TP().messages.size(), 0);
        // No longer saying that it loads.
        QCOMPARE(FormBaseView->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(FormBaseView->ButLoad->toolTip(), QString());
        QVERIFY(!FormBaseView->windowTitle().contains(QString::fromUtf8(kLoadingCaptionSuffix)));
        QVERIFY(!FormBaseView->windowTitle().isEmpty());
    }

    // Closed for good while the server holds its statement back: the answer
    // that comes later finds no window and is dropped; the program goes on.
    void windowClosedWhileItsLoadIsHeld_data() {
        QTest::addColumn<bool>("journal");
        QTest::newRow("the journal") << true;
        QTest::newRow("the browser, a second load queued") << false;
    }
    void windowClosedWhileItsLoadIsHeld() {
        QFETCH(bool, journal);
        App app(ConnectedIni().replace("FirstChangeStart=8", "FirstChangeStart=0"));
        Journal(SqlDateTimeText(Now()), "после закрытия");
        PutRecord();
        QWidget* window = nullptr;
        {
            OtherClient other;
            other.Lock(journal ? "control_log" : "pu_data");
            if (journal) {
                FormLogView->TimerAutoRefresh->stop();
                QVERIFY(FormLogView->LoadJournal());
                QVERIFY(FormLogView->Loading);
                QCOMPARE(FormLogView->LabelTop2->toolTip(), QString("Журнал загружается..."));
                QTRY_COMPARE(FormLogView->windowTitle(),
                             QString("Журнал работы отсадочных машин") + QString::fromUtf8(kLoadingCaptionSuffix));
                // The frame shows it, and with it the main window's title.
                QCOMPARE(app->SubWindowOf(FormLogView)->windowTitle(), FormLogView->windowTitle());
                QVERIFY(!FormLogView->LoadJournal()); // one load at a time
                window = FormLogView;
            } else {
                FormBaseView->ButLoadClick(nullptr);
                QVERIFY(FormBaseView->Loading);
                QCOMPARE(FormBaseView->ButLoad->toolTip(), QString("Данные загружаются..."));
                FormBaseView->ButLoadClick(nullptr); // waits for the first
                window = FormBaseView;
            }
            QCOMPARE(window->cursor().shape(), Qt::BusyCursor);
            QTRY_VERIFY(WaitsForLock(journal ? "select * from control_log" : "select * from pu_data"));
            delete window;
            QVERIFY(!FormLogView || !FormBaseView);
            other.Unlock();
        }
        Settle();
        QVERIFY(TP().messages.isEmpty());
        // Opened again, the window loads as before.
        app->show();
        if (journal) {
            app->ActionWorkLog->trigger();
            QTRY_COMPARE(FormLogView->Loads(), 1);
            QCOMPARE(Column(FormLogView->DBGridEh1, 1), QStringList{"после закрытия"});
            QCOMPARE(FormLogView->cursor().shape(), Qt::ArrowCursor);
            QCOMPARE(FormLogView->LabelTop2->toolTip(), QString());
            QCOMPARE(FormLogView->windowTitle(), QString("Журнал работы отсадочных машин"));
        } else {
            app->ActionBaseView->trigger();
            FormBaseView->ButLoadClick(nullptr);
            Settle();
            QCOMPARE(FormBaseView->DBGridEh1->Model()->rowCount(), 1);
        }
        QVERIFY(TP().messages.isEmpty());
    }

    void startedWithoutServerConnectsOnAnOperatorsLoad_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Загрузить") << "browser";
        QTest::newRow("Конфигурация") << "configuration";
    }
    void startedWithoutServerConnectsOnAnOperatorsLoad() {
        QFETCH(QString, way);
        StopServer();
        App app;
        ContinueServer();
        FirstChangeStart = 0;              // today's shift day is today
        QCOMPARE(TP().messages.size(), 1); // the start's one failure message
        QVERIFY(!app->SQLConnection1->Connected());
        app->show();
        app->ActionWorkLog->trigger(); // shown while not connected: nothing loads
        QCoreApplication::processEvents();
        QCOMPARE(FormLogView->Loads(), 0);
        Journal(SqlDateTimeText(Now()), "после пуска");

        if (way == "browser") {
            app->ActionBaseView->trigger();
            FormBaseView->ButLoadClick(nullptr);
            Settle();
        } else {
            TP().dialogHandler = [](QDialog&) { return int(QDialog::Accepted); };
            app->ActionConfig->trigger();
            QCOMPARE(TP().dialogs, 1);
            Settle();
            QVERIFY(FormConfig->ClientDataSetConst.Active());
            QCOMPARE(FormConfig->ClientDataSetConst.DisplayText(0, 0), QString("MIN_PLS"));
        }
        QVERIFY(app->SQLConnection1->Connected());
        QCOMPARE(app->MinPLS, 1100.0);
        QVERIFY(app->ActionSetPLSZ->isEnabled());
        QCOMPARE(TP().messages.size(), 1);
        // The journal on the screen fills itself once the program is connected.
        QTRY_COMPARE(FormLogView->Loads(), 1);
        QVERIFY(Column(FormLogView->DBGridEh1, 1).contains("после пуска"));
    }

    // ---- the settings dialog ----

    void generalPage() {
        App app;
        FirstChangeStart = 23;
        DateIncrement = 0;
        ShutdownOnExit = false;
        ShowConfig();
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
        QCOMPARE(FormConfig->EditMySQL_Host->GetText(), TestDatabase().hostWithPort());
        QVERIFY(FormConfig->CheckBoxSavePassword->GetChecked());
        QVERIFY(FormConfig->EditMySQL_Password->isEnabled());
        QCOMPARE(FormConfig->EditMySQL_Password->GetText(), QString()); // never filled from the store
        FormConfig->ButIncHout->click();
        QCOMPARE(FormConfig->StartChangeLabel->GetCaption(), QString("0:00"));
        FormConfig->ButDecHour->click();
        FormConfig->ButDecHour->click();
        QCOMPARE(FormConfig->StartChangeLabel->GetCaption(), QString("22:00"));
        for (int i = 0; i < 5; ++i)
            FormConfig->ButIncDay->click();
        QCOMPARE(FormConfig->StartChangeDayLabel->GetCaption(), QString("3"));
        FormConfig->ButDecDay->click();
        // Nothing is taken over until "Принять изменения".
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet2);
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
        QCOMPARE(FormConfig->StartChangeLabel->GetCaption(), QString("23:00"));
        FormConfig->ButDecHour->click();
        FormConfig->ButIncDay->click();
        FormConfig->EditMySQL_Host->SetText("db.plant:3307");
        FormConfig->CheckBoxSavePassword->click();
        QVERIFY(!FormConfig->EditMySQL_Password->isEnabled());
        FormConfig->CheckBoxShutdownOnExit->click();
        const QStringList params = app->SQLConnection1->Params;
        FormConfig->ButApplyGeneralPage->click();
        QCOMPARE(FirstChangeStart, 22);
        QCOMPARE(DateIncrement, 1);
        QVERIFY(ShutdownOnExit);
        QCOMPARE(app->MySQLHost, QString("db.plant:3307"));
        QVERIFY(!app->SavePassword);
        QCOMPARE(app->SQLConnection1->Params, params); // the running connection is untouched
        QVERIFY(app->SQLConnection1->Connected());
        ShutdownOnExit = false;
        app->SaveConfig();
        const IniFile ini(IniPath());
        QCOMPARE(ini.ReadString("MySQL", "Password", "x"), QString());
        QCOMPARE(ini.ReadInteger("main", "FirstChangeStart", -1), 22);
    }

    void connectionTest_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::newRow("server answers")
            << TestDatabase().hostWithPort() << "Подключение к серверу успешно установлено."
            << "Тест подключения" << int(QMessageBox::Information);
        QTest::newRow("nobody listens") << "127.0.0.1:1"
                                        << "Не удалось подключиться к MySQL серверу."
                                        << "Ошибка" << int(QMessageBox::Critical);
    }
    void connectionTest() {
        QFETCH(QString, host);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        App app;
        ShowConfig();
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
        FormConfig->EditMySQL_Host->SetText(host);
        FormConfig->EditMySQL_Password->SetText(TestDatabase().password);
        const QStringList params = app->SQLConnection1->Params;
        FormConfig->ButMySQL_Test->click();
        QVERIFY(WaitForDatabase(FormConfig->SQLConnectionTest));
        QVERIFY(!FormConfig->Testing());
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, text);
        QCOMPARE(TP().messages[0].caption, caption);
        QCOMPARE(int(TP().messages[0].icon), icon);
        QVERIFY(!FormConfig->SQLConnectionTest->Connected());
        QCOMPARE(FormConfig->SQLConnectionTest->Param("HostName"), host);
        QCOMPARE(app->SQLConnection1->Params, params);
        QVERIFY(app->SQLConnection1->Connected());
    }

    // The dialog goes on answering while a stalled server holds the test; the
    // button waits for the outcome, which comes as its box.
    void connectionTestDoesNotHoldTheDialog() {
        App app;
        ShowConfig();
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
        FormConfig->EditMySQL_Password->SetText(TestDatabase().password);
        StopServer();
        FormConfig->ButMySQL_Test->click();
        QVERIFY(FormConfig->Testing());
        QVERIFY(!FormConfig->ButMySQL_Test->isEnabled());
        QCOMPARE(FormConfig->cursor().shape(), Qt::BusyCursor);
        QVERIFY(TP().messages.isEmpty());
        // Typed into meanwhile, from the event loop.
        QTest::keyClicks(FormConfig->EditMySQL_Login, "x");
        QCOMPARE(FormConfig->EditMySQL_Login->GetText(), TestDatabase().user + "x");
        QVERIFY(FormConfig->Testing());
        QVERIFY(WaitForDatabase(FormConfig->SQLConnectionTest));
        ContinueServer();
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Не удалось подключиться к MySQL серверу."));
        QVERIFY(!FormConfig->Testing());
        QVERIFY(FormConfig->ButMySQL_Test->isEnabled());
        QCOMPARE(FormConfig->cursor().shape(), Qt::ArrowCursor);
    }

    void constantRoundTrip() {
        // Written by other code with all the digits a double has.
        QVERIFY(ExecAdmin("insert into setup values ('THIRD', 1/3e0, 'треть')"));
        App app;
        ShowConfig();
        TypeCell(RowNamed("THIRD"), 2, "одна треть");
        QVERIFY2(TP().messages.isEmpty(), TP().messages.isEmpty() ? "" : qPrintable(TP().messages[0].text));
        QCOMPARE(SetupInDatabase().value("THIRD").last(), QString("одна треть"));
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet2);
        const QString name = "K'1\\;";
        const QString comment = "Плотность 'кондиции'; C:\\путь\\ -- \"конец\" \\'";
        FormConfig->NavInsertClick(nullptr);
        const int row = FormConfig->DBGridEh2->CurrentRow();
        QCOMPARE(FormConfig->ClientDataSetConst.Mark(row), TGridData::RowMark::Inserting);
        TypeCell(row, 0, name);
        TypeCell(row, 1, "1650.5");
        TypeCell(row, 2, comment);
        QVERIFY(TP().messages.isEmpty());
        QCOMPARE(SetupInDatabase().value(name), (QStringList{"1650.5", comment}));
        QVERIFY(!FormConfig->ClientDataSetConst.HasPendingChanges());
        // A value the server stores with all its digits is still found by it.
        TypeCell(RowNamed(name), 1, "0.1");
        QCOMPARE(SetupInDatabase().value(name).first(), QString("0.1"));
        // Typed another way, the same value changes no row: saved, not "not found".
        TypeCell(RowNamed(name), 1, "0.10");
        QVERIFY2(TP().messages.isEmpty(), TP().messages.isEmpty() ? "" : qPrintable(TP().messages[0].text));
        QVERIFY(!FormConfig->ClientDataSetConst.HasPendingChanges());
        QCOMPARE(SetupInDatabase().value(name).first(), QString("0.1"));
        // Deleted after the question.
        FormConfig->DBGridEh2->SetCurrentRow(RowNamed(name));
        TP().answers = {QMessageBox::Yes};
        FormConfig->NavDeleteClick(nullptr);
        Settle();
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Удалить запись?"));
        QVERIFY(!SetupInDatabase().contains(name));
        QCOMPARE(RowNamed(name), -1);
        QCOMPARE(FormConfig->ClientDataSetConst.RowCount(), 2);
        // Closing the dialog takes the text of a cell still being edited.
        TDBGridEh* grid = FormConfig->DBGridEh2;
        const QModelIndex cell = grid->Model()->index(RowNamed("THIRD"), 2);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (!e->isHidden())
                editor = e;
        QVERIFY(editor);
        editor->setText("закрыто без Enter");
        FormConfig->ButClose->click();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        Settle();
        QCOMPARE(SetupInDatabase().value("THIRD").last(), QString("закрыто без Enter"));
    }

    // Under the control room's C library locale (a decimal comma), the grids
    // show and take numbers in the workstation's separator, whichever it is.
    void numbersInTheWorkstationsSeparator_data() {
        QTest::addColumn<QChar>("sep");
        QTest::newRow("comma") << QChar(',');
        QTest::newRow("point") << QChar('.');
    }
    void numbersInTheWorkstationsSeparator() {
        QFETCH(QChar, sep);
        RussianCLocale russian;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(russian);
        SetDecimalSeparator(sep);
        auto in = [&](QString text) { return text.replace(QLatin1Char('.'), sep); };
        ResetPlantTables(1700.5);
        QVERIFY(ExecAdmin("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                          "values ('2026-03-10 10:00:00', 1700.5, 1650.25, 55.125, 0.001, 1e-6, 2100, 1650.5, 1)"));
        // A shift start of 0: the browser's day pickers then span the calendar day.
        App app(ConnectedIni().replace("FirstChangeStart=8", "FirstChangeStart=0"));

        // The database browser.
        FormBaseView->DateTimePicker1->SetDateTime(kDay);
        FormBaseView->DateTimePicker3->SetDateTime(kDay);
        FormBaseView->ButLoadClick(nullptr);
        Settle();
        QVERIFY(TP().messages.isEmpty());
        TDBGridEh* browser = FormBaseView->DBGridEh1;
        QCOMPARE(browser->Model()->rowCount(), 1);
        QStringList row;
        for (int c = 0; c < browser->Model()->columnCount(); ++c)
            row << browser->Model()->index(0, c).data().toString();
        QCOMPARE(row, (QStringList{"10.03.2026 10:00:00", in("1700.5"), in("1650.25"), in("55.125"), in("0.001"),
                                   in("1E-6"), "2100", in("1650.5")}));

        // The constants page of the configuration window.
        ShowConfig();
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet2);
        TDBGridEh* constants = FormConfig->DBGridEh2;
        const int minPls = RowNamed("MIN_PLS");
        QVERIFY(minPls >= 0);
        QCOMPARE(constants->Model()->index(minPls, 1).data().toString(), in("1700.5"));
        QCOMPARE(constants->Model()->index(minPls, 1).data(Qt::EditRole).toString(), in("1700.5"));
        TypeCell(minPls, 1, in("1234.75"));
        QVERIFY2(TP().messages.isEmpty(), TP().messages.isEmpty() ? "" : qPrintable(TP().messages[0].text));
        QCOMPARE(SetupInDatabase().value("MIN_PLS").first(), in("1234.75"));
        QCOMPARE(constants->Model()->index(RowNamed("MIN_PLS"), 1).data().toString(), in("1234.75"));
    }

    void refusedConstantChangesStayMarked() {
        App app;
        ShowConfig();
        TConstantsCopy& copy = FormConfig->ClientDataSetConst;
        // Changed by someone else after the dialog read it: the update finds no row.
        QVERIFY(ExecAdmin("update setup set ConstVal = 1200 where ConstName = 'MIN_PLS'"));
        TypeCell(0, 1, "1150");
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.contains("не найдена"), qPrintable(TP().messages[0].text));
        QCOMPARE(copy.DisplayText(0, 1), QString("1150")); // still shown, marked
        QCOMPARE(copy.Mark(0), TGridData::RowMark::NotSaved);
        QCOMPARE(FormConfig->DBGridEh2->Model()->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(),
                 QString("✖"));
        QVERIFY(FormConfig->DBGridEh2->Model()
                    ->index(0, 0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("не сохранено"));
        QCOMPARE(SetupInDatabase().value("MIN_PLS").first(), QString("1200"));

        // Refused by the server; taken once the table is back.
        TP().Reset();
        QVERIFY(ExecAdmin("update setup set ConstVal = 1100 where ConstName = 'MIN_PLS'"));
        QVERIFY(ExecAdmin("rename table setup to setup_away"));
        FormConfig->NavInsertClick(nullptr);
        QCOMPARE(FormConfig->DBGridEh2->CurrentRow(), 0);
        TypeCell(0, 0, "NEW_ONE");
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.contains("setup"));
        QCOMPARE(copy.RowCount(), 2);
        QCOMPARE(copy.Mark(0), TGridData::RowMark::NotSaved);
        QVERIFY(ExecAdmin("rename table setup_away to setup"));
        FormConfig->ButSaveConst->click();
        Settle();
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(copy.Mark(0), TGridData::RowMark::None);
        QCOMPARE(copy.Mark(1), TGridData::RowMark::None);
        const auto rows = SetupInDatabase();
        QVERIFY(rows.contains("NEW_ONE"));
        QCOMPARE(rows.value("MIN_PLS").first(), QString("1150"));
        // The same change made meanwhile by someone else: nothing to refuse.
        TP().Reset();
        QVERIFY(ExecAdmin("update setup set ConstVal = 1300 where ConstName = 'MIN_PLS'"));
        TypeCell(RowNamed("MIN_PLS"), 1, "1300");
        QVERIFY2(TP().messages.isEmpty(), TP().messages.isEmpty() ? "" : qPrintable(TP().messages[0].text));
        QCOMPARE(copy.Mark(RowNamed("MIN_PLS")), TGridData::RowMark::None);
        QCOMPARE(SetupInDatabase().value("MIN_PLS").first(), QString("1300"));
    }

    // A save the server holds back: the dialog answers meanwhile, and what the
    // operator asks for during it follows it, nothing lost and nothing sent twice.
    void constantSaveHeldByTheServer_data() {
        QTest::addColumn<QString>("during");
        QTest::newRow("another row deleted") << "delete another";
        QTest::newRow("the changed row on its way deleted") << "delete changed";
        QTest::newRow("the new row on its way deleted") << "delete new";
        QTest::newRow("a row inserted before it") << "insert";
    }
    void constantSaveHeldByTheServer() {
        QFETCH(QString, during);
        QVERIFY(ExecAdmin("insert into setup values ('SECOND', 2, 'второй')"));
        App app;
        ShowConfig();
        TConstantsCopy& copy = FormConfig->ClientDataSetConst;
        TDBGridEh* grid = FormConfig->DBGridEh2;
        {
            OtherClient other;
            other.Lock("setup");
            // On its way: a new constant, or (for its deletion) a changed one.
            if (during == "delete changed") {
                TypeCell(RowNamed("SECOND"), 2, "изменен", false);
            } else {
                FormConfig->NavInsertClick(nullptr);
                TypeCell(grid->CurrentRow(), 0, "NEW", false);
            }
            QTRY_VERIFY(WaitsForLock(during == "delete changed" ? "update setup" : "insert into setup"));
            QVERIFY(FormConfig->SavingConstants());
            QVERIFY(!grid->isEnabled());
            QVERIFY(!FormConfig->ButSaveConst->isEnabled());
            // The dialog answers meanwhile.
            FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
            QTest::keyClicks(FormConfig->EditMySQL_Login, "x");
            QCOMPARE(FormConfig->EditMySQL_Login->GetText(), TestDatabase().user + "x");
            FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet2);
            QVERIFY(FormConfig->SavingConstants());
            QCOMPARE(FormConfig->ConstantSaves(), 0);
            if (during == "insert") {
                grid->SetCurrentRow(RowNamed("NEW"));
                FormConfig->NavInsertClick(nullptr);
            } else {
                grid->SetCurrentRow(RowNamed(during == "delete new" ? "NEW" : "SECOND"));
                TP().answers = {QMessageBox::Yes};
                FormConfig->NavDeleteClick(nullptr);
            }
            QCoreApplication::processEvents();
            other.Unlock();
        }
        Settle();
        QVERIFY(!FormConfig->SavingConstants());
        QVERIFY(grid->isEnabled());
        if (during == "insert") {
            QCOMPARE(FormConfig->ConstantSaves(), 1);
            QCOMPARE(copy.Mark(RowNamed("NEW")), TGridData::RowMark::None);
            // The new row, left empty, is still the operator's to fill.
            QCOMPARE(copy.RowCount(), 4);
            const int blank = RowNamed("NEW") - 1;
            QCOMPARE(copy.Mark(blank), TGridData::RowMark::Inserting);
            FormConfig->ButSaveConst->click();
            Settle();
        } else {
            QCOMPARE(FormConfig->ConstantSaves(), 2);
            QCOMPARE(RowNamed(during == "delete new" ? "NEW" : "SECOND"), -1);
        }
        QVERIFY2(TP().messages.size() == (during == "insert" ? 0 : 1),
                 qPrintable(TP().messages.isEmpty() ? QString() : TP().messages.last().text));
        QVERIFY(!copy.HasPendingChanges());
        const auto rows = SetupInDatabase();
        QCOMPARE(SetupRowsNamed("NEW"), during.startsWith("delete") && during != "delete another" ? 0 : 1);
        QCOMPARE(SetupRowsNamed("SECOND"), during == "delete another" || during == "delete changed" ? 0 : 1);
        QCOMPARE(rows.value("MIN_PLS").first(), QString("1100"));
    }

    void newConstantWhoseAnswerIsLostIsNotSentTwice() {
        App app;
        ShowConfig();
        TConstantsCopy& copy = FormConfig->ClientDataSetConst;
        qint64 session = -1;
        Db()->Post<qint64>(
            TSessionRole::Live, Db(),
            [](TDbSession& s) { return qint64(s.Select("select connection_id()", TStatementKind::Command).Number(0, 0)); },
            [&](TDbReply<qint64>& r) { session = r.Ok() ? *r.value : -1; });
        Settle();
        QVERIFY(session > 0);
        // The insert reaches the server and waits for a table lock; meanwhile
        // its session is killed.
        {
            OtherClient other;
            other.Lock("setup");
            FormConfig->NavInsertClick(nullptr);
            const int row = FormConfig->DBGridEh2->CurrentRow();
            TypeCell(row, 0, "MAYBE", false);
            QTRY_VERIFY(WaitsForLock("insert into setup"));
            other.Execute(QStringLiteral("kill %1").arg(session));
            other.Unlock();
        }
        Settle();
        const int row = RowNamed("MAYBE");
        QVERIFY(row >= 0);
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.contains("неизвестно"), qPrintable(TP().messages[0].text));
        QVERIFY(copy.At(row).uncertain);
        QCOMPARE(copy.Mark(row), TGridData::RowMark::NotSaved);
        // The next edit is saved without sending the new row again...
        TypeCell(RowNamed("MIN_PLS"), 2, "другое описание");
        QCOMPARE(TP().messages.size(), 1);
        auto rows = SetupInDatabase();
        QCOMPARE(rows.value("MIN_PLS").last(), QString("другое описание"));
        QVERIFY(!rows.contains("MAYBE"));
        // ...the operator's "Сохранить изменения" does.
        FormConfig->ButSaveConst->click();
        Settle();
        rows = SetupInDatabase();
        QVERIFY(rows.contains("MAYBE"));
        QCOMPARE(copy.Mark(RowNamed("MAYBE")), TGridData::RowMark::None);
        QCOMPARE(TP().messages.size(), 1);
    }

    void coloursReachFileAndSchemeAtOnce() {
        App app;
        FormMnemo->Timer1->stop();
        FormMnemo->RefreshScheme();                                 // no data: the switched-off set
        TArrow* arrow = FormMnemo->Layout().Get<TArrow>("Arrow31"); // Tag 100
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet1);
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet3);
        auto* off = FormConfig->Layout().Get<TOutField>("OutFieldKS0");
        auto* on = FormConfig->Layout().Get<TOutField>("OutFieldWC1");
        QCOMPARE(off->Brush()->GetColor(), clRed);
        QCOMPARE(on->Brush()->GetColor(), clAqua);
        QCOMPARE(FormConfig->ColorFields().size(), 18);

        TP().nextColor = clFuchsia;
        off->Click();
        TP().nextColor = clNavy;
        on->Click();
        QCOMPARE(off->Brush()->GetColor(), clFuchsia);
        // Not applied yet: neither the file nor the scheme, not even at its next tick.
        FormMnemo->RefreshScheme();
        QVERIFY(!IniFile(IniPath()).SectionExists("OffColors"));
        QCOMPARE(arrow->GetColor(), clRed);
        QCOMPARE(OffColors[0], clRed);
        // Closed and opened again: the field keeps the chosen colour.
        FormConfig->ButClose->click();
        FormConfig->FormShow();
        QCOMPARE(off->Brush()->GetColor(), clFuchsia);

        FormConfig->ButApplyNewColors->click();
        const IniFile ini(IniPath());
        QCOMPARE(ini.ReadString("OffColors", "Condition", ""), QString("0x00FF00FF"));
        QCOMPARE(ini.ReadString("OnColors", "WaterCyrcle", ""), QString("0x00800000"));
        QCOMPARE(ini.ReadString("AdvLabels", "FontName", ""), QString("Courier New Cyr"));
        QCOMPARE(ini.ReadInteger("AdvLabels", "FontSize", 0), 8);
        QCOMPARE(ini.ReadInteger("AdvLabels", "FontColor", 0), 65280);
        QCOMPARE(arrow->GetColor(), clFuchsia);
        QCOMPARE(OffColors[0], clFuchsia);
        QCOMPARE(OnColors[8], clNavy);
        QVERIFY(TP().messages.isEmpty());
    }

    // Colours applied while the configuration file cannot be read: the error
    // box says why, the scheme takes them all the same, and the file keeps
    // the stored password and all else (before, it kept only the colours).
    void coloursForAnUnreadableConfiguration() {
        App app;
        FormMnemo->Timer1->stop();
        const QByteArray before = ReadFileText(IniPath());
        TArrow* arrow = FormMnemo->Layout().Get<TArrow>("Arrow31");
        FormConfig->PageControl1->SetActivePage(FormConfig->TabSheet3);
        TP().nextColor = clFuchsia;
        FormConfig->Layout().Get<TOutField>("OutFieldKS0")->Click();
        {
            ObeyPermissions obey;
            if (!obey.Active())
                QSKIP("file permissions cannot be enforced for this process");
            const QByteArray path = QFile::encodeName(IniPath());
            QVERIFY(::chmod(path.constData(), 0200) == 0);
            FormConfig->ButApplyNewColors->click();
            QVERIFY(::chmod(path.constData(), 0644) == 0);
        }
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.startsWith(
                     "Цвета не сохранены в файле конфигурации: Не удается прочитать файл " + IniPath()),
                 qPrintable(TP().messages[0].text));
        QCOMPARE(arrow->GetColor(), clFuchsia);
        QCOMPARE(ReadFileText(IniPath()), before);
    }

    void setupModeSwitch() {
        App app;
        FormMnemo->Timer1->stop();
        TArrow* arrow = FormMnemo->Layout().Get<TArrow>("Arrow24");
        FormConfig->ButColorConfigOn->click();
        QVERIFY(InteractiveSetupMode);
        arrow->Click();
        QCOMPARE(TP().dialogs, 1); // the arrow editor
        FormConfig->ButColorConfigOff->click();
        QVERIFY(!InteractiveSetupMode);
        arrow->Click();
        QCOMPARE(TP().dialogs, 1);
    }
};

ORDAL_TEST_MAIN(TstTableWindows)
#include "tst_tablewindows.moc"
