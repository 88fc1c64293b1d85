// "Отчёт за смену" from the main window against the tests' private MariaDB:
// the shift's data read, the charts drawn off screen, the template filled and
// saved as PDF from the print window; a shift without data and a failed load
// say so on their pages.

#include "AlarmService.h"
#include "AppFixture.h"
#include "Global.h"
#include "Setpoints.h"
#include "ShiftReport.h"
#include "Webprint.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTableWidget>

namespace {

QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(tool), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Shift 1 of 05.03.2026 (first shift at 08:00, as ConnectedIni has it): `minutes` of records a second
// from 08:00, two setpoints (one the controller takes at once, one never),
// and journal lines, one with characters HTML gives a meaning to.
void PutShift(int minutes) {
    ResetPlantTables(1100);
    // seq_0_to_N: the server's sequence engine.
    QVERIFY(ExecAdmin(
        QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                       "select '2026-03-05 08:00:00' + interval seq second, 1850 + 20 * sin(seq / 300), "
                       "if(seq < 600, 1800, 1850), 60, 45, 40, 50, 1850, "
                       "if(seq between 1200 and 1500, 1, 0) from seq_0_to_%1")
            .arg(minutes * 60 - 1)));
    ExecAdmin("insert into control_vector (RecMoment, UserName, _PLSZ) values "
              "('2026-03-05 08:10:00', 'op@pult', 1850), ('2026-03-05 08:20:00', 'op@pult', 1950)");
    ExecAdmin("insert into control_log (RecMoment, MessageText) values "
              "('2026-03-05 08:10:00', 'Задание плотности суспензии: 1800 → 1850 кг/м3'), "
              "('2026-03-05 08:30:00', 'Проверка <b>&amp; знаков')");
}

} // namespace

class TstShiftReport : public QObject {
    Q_OBJECT
    QString pdf_;
    int shown_ = 0;

    // Makes the report of shift 1 of 05.03.2026 and saves what the print
    // window shows as PDF.
    void MakeReport(App& app) {
        QDir().mkpath(TestDir() + "/Template");
        QFile::remove(TestDir() + "/Template/ShiftReport.html");
        QVERIFY(QFile::copy(ORDAL_SOURCE_DIR "/templates/ShiftReport.html",
                            TestDir() + "/Template/ShiftReport.html"));
        pdf_ = TestDir() + "/shift.pdf";
        QFile::remove(pdf_);
        TP().saveFile = pdf_;
        shown_ = 0;
        TP().dialogHandler = [this](QDialog& d) {
            if (auto* print = qobject_cast<TFormWebPrint*>(&d)) {
                ++shown_;
                print->ButSavePdfClick(nullptr);
            }
            return int(QDialog::Rejected);
        };
        app->PrintShiftReport(EncodeDate(2026, 3, 5), 1);
        QVERIFY(app->ShiftReportBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!app->ShiftReportBusy(), 30000);
        QCOMPARE(shown_, 1);
        QVERIFY(QFile::exists(pdf_));
    }

private Q_SLOTS:
    void init() { TP().Reset(); }

    void reportOfAShift() {
        PutShift(40);
        App app;
        // One alarm of the shift, from the workstation's own history.
        TAlarmTransition raised;
        raised.Moment = EncodeDate(2026, 3, 5) + EncodeTime(9, 0, 0);
        raised.Id = "URKS_HI";
        raised.Text = "Уровень в сборнике КС высокий (проверка)";
        raised.Priority = TAlarmPriority::High;
        raised.Event = TAlarmEvent::Activate;
        raised.To = TAlarmState::ActiveUnack;
        raised.Value = 93;
        QVERIFY(app->Alarms->History().Append(raised));
        MakeReport(app);
        QVERIFY(TP().messages.isEmpty());
        QVERIFY(Poppler("pdfinfo", {pdf_}).contains(QRegularExpression("Pages: +6\n")));
        QVERIFY(Poppler("pdfinfo", {pdf_}).contains(QRegularExpression("Page size: +842 x 595 pts")));
        const QString text = Poppler("pdftotext", {"-layout", pdf_, "-"});
        for (const char* expected :
             {"Отчёт за смену", "за 05.03.2026", "Смена №1", "05.03.2026 08:00 – 05.03.2026 19:59",
              "Плотность суспензии, кг/м3", "Уровень в сборнике КС, %",
              "График работы делителя потока суспензии", "Проверка <b>&amp; знаков", "Сменный мастер:"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)),
                     qPrintable(QString::fromUtf8(expected) + "\n" + text));
        QVERIFY(text.contains(QRegularExpression("05.03.2026 08:10:00 +1850 +op@pult +08:10:00 +принято")));
        QVERIFY(text.contains(QRegularExpression("05.03.2026 08:20:00 +1950 +op@pult +— +не принято")));
        QVERIFY(text.contains(QRegularExpression("Ручной режим +0 ч 05 мин")));
        QVERIFY(text.contains(QRegularExpression("Записей контроллера +2400")));
        QVERIFY(text.contains(QRegularExpression("высокий +1\n")));
        QVERIFY(text.contains("Уровень в сборнике КС высокий (проверка)"));
        QVERIFY(text.contains(QRegularExpression("Сигнализаций за период +1")));
        // Five chart pictures, at print resolution.
        const QStringList images = Poppler("pdfimages", {"-list", pdf_}).split('\n').filter(" image ");
        QCOMPARE(images.size(), 5);
        for (const QString& line : images)
            QVERIFY2(line.simplified().split(' ').value(3).toInt() >= 2000, qPrintable(line));
    }

    // The same setpoints in their own window, judged by the same rule.
    void setpointsWindow() {
        PutShift(40);
        App app;
        TFormSetpoints w;
        TDateTime start = 0, stop = 0;
        GetShiftPeriod(EncodeDate(2026, 3, 5), 1, start, stop);
        bool done = false;
        w.Load(app->SQLConnection1, start, stop, {}, 30, [&] { done = true; });
        QTRY_VERIFY(done);
        QCOMPARE(w.GridSetpoints->rowCount(), 2);
        QCOMPARE(w.GridSetpoints->item(0, 3)->text(), QString("08:10:00"));
        QCOMPARE(w.GridSetpoints->item(0, 4)->text(), QString("принято"));
        QCOMPARE(w.GridSetpoints->item(1, 4)->text(), QString("не принято"));
        // A failed load says why instead of an empty list.
        QVERIFY(ExecAdmin("rename table control_vector to control_vector_away"));
        done = false;
        w.Load(app->SQLConnection1, start, stop, {}, 30, [&] { done = true; });
        QTRY_VERIFY(done);
        ExecAdmin("rename table control_vector_away to control_vector");
        QCOMPARE(w.GridSetpoints->rowCount(), 0);
        QVERIFY2(w.LabelPeriod->text().contains("не загружено"), qPrintable(w.LabelPeriod->text()));
    }

    void shiftWithoutDataSaysSo() {
        ResetPlantTables(1100);
        App app;
        MakeReport(app);
        const QString text = Poppler("pdftotext", {"-layout", pdf_, "-"});
        QVERIFY(text.contains("Нет данных за смену: контроллер не записал ни одной записи"));
        QCOMPARE(text.count("Нет данных за смену: графики не построены."), 3);
        QVERIFY(text.contains("За смену задания плотности не отправлялись."));
        QVERIFY(Poppler("pdfimages", {"-list", pdf_}).split('\n').filter(" image ").isEmpty());
    }

    void failedLoadSaysSo() {
        PutShift(5);
        App app;
        QVERIFY(ExecAdmin("rename table control_log to control_log_away"));
        MakeReport(app);
        ExecAdmin("rename table control_log_away to control_log");
        const QString text = Poppler("pdftotext", {"-layout", pdf_, "-"});
        QVERIFY(text.contains("Журнал контроллера не загружен:"));
        // The rest of the report is there.
        QCOMPARE(Poppler("pdfimages", {"-list", pdf_}).split('\n').filter(" image ").size(), 5);
    }
};

ORDAL_TEST_MAIN(TstShiftReport)
#include "tst_shiftreport.moc"
