// The trend windows' parts that need no server: spreading history rows over
// the chart steps, the rows kept for the CSV export and their text, and the
// chart settings dialog.

#include "Editgraph.h"
#include "GraphData.h"
#include "Levelgraph.h"
#include "NumText.h"
#include "TestSupport.h"

#include <QLineEdit>

namespace {

const TDateTime kDay = EncodeDate(2026, 3, 5);

// "10:00:30" on kDay.
TDateTime At(const QString& hms) {
    const QTime t = QTime::fromString(hms, QStringLiteral("hh:mm:ss"));
    return kDay + EncodeTime(t.hour(), t.minute(), t.second());
}

QString Hms(TDateTime t) {
    return FormatDateTime(QStringLiteral("hh:nn:ss"), t);
}

// A result as the data set reads it: RecMoment and numeric columns; a row is
// "hh:mm:ss v1 v2 ..." on kDay, "-" for NULL.
TResultTable Rows(const QStringList& columns, const QStringList& rows) {
    TResultTable t;
    t.AddColumn(QStringLiteral("RecMoment"), TResultTable::Type::DateTime);
    for (const QString& c : columns)
        t.AddColumn(c, TResultTable::Type::Number);
    for (const QString& row : rows) {
        const QStringList parts = row.split(QLatin1Char(' '));
        std::vector<QByteArray> texts;
        texts.push_back(("2026-03-05 " + parts[0]).toLatin1());
        for (int i = 1; i < parts.size(); ++i)
            texts.push_back(parts[i].toLatin1());
        std::vector<std::pair<const char*, size_t>> cells;
        for (const QByteArray& s : texts)
            cells.push_back(s == "-" ? std::pair<const char*, size_t>{nullptr, 0}
                                     : std::pair<const char*, size_t>{s.constData(), size_t(s.size())});
        t.AppendRow(cells);
    }
    return t;
}

const QList<TTrendSeries> kDensity = {{"PLS", 0, 0, {}}, {"PLSZ", 0, 1, "AR1"}};

} // namespace

class TstGraphData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        SetDecimalSeparator(QLatin1Char(','));
    }

    // Rows "hh:mm:ss PLS PLSZ AR1"; the points as "series@hh:mm:ss=value".
    void spreading_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("series"); // the one whose points are listed; -1 all
        QTest::addColumn<QStringList>("points");
        QTest::addColumn<QString>("last");
        // The worked example: :00 once, :30 spread from :00, :40 from :20.
        QTest::newRow("10-second fill") << QStringList{"10:00:00 1 1 0", "10:00:30 2 2 0", "10:00:40 3 3 0"}
                                        << 0 << QStringList{"0@10:00:00=1", "0@10:00:00=2", "0@10:00:10=2",
                                                            "0@10:00:20=2", "0@10:00:20=3", "0@10:00:30=3"}
                                        << "10:00:30";
        QTest::newRow("6 minutes of silence: own moment")
            << QStringList{"10:00:00 1 1 0", "10:06:00 2 2 0"} << 0
            << QStringList{"0@10:00:00=1", "0@10:06:00=2"} << "10:06:00";
        QTest::newRow("exactly 5 minutes: still spread") << QStringList{"10:00:00 1 1 0", "10:05:00 2 2 0"}
                                                         << 0 <<
            [] {
                QStringList p{"0@10:00:00=1"};
                for (int s = 0; s < 300; s += 10)
                    p << QStringLiteral("0@%1=2").arg(Hms(At("10:00:00") + s * OneSecond));
                return p;
            }() << "10:04:50";
        QTest::newRow("same second twice: same moment")
            << QStringList{"10:00:00 1 1 0", "10:00:00 2 2 0"} << 0
            << QStringList{"0@10:00:00=1", "0@10:00:00=2"} << "10:00:00";
        QTest::newRow("manual: the setpoint is 0")
            << QStringList{"10:00:00 1750 1800 1", "10:00:10 1760 1800 0.5"} << -1
            << QStringList{"0@10:00:00=1750", "1@10:00:00=0", "0@10:00:00=1760", "1@10:00:00=1800"}
            << "10:00:00";
    }
    void spreading() {
        QFETCH(QStringList, rows);
        QFETCH(int, series);
        QFETCH(QStringList, points);
        QFETCH(QString, last);
        const TResultTable table = Rows({"PLS", "PLSZ", "AR1"}, rows);
        QStringList got;
        TDateTime lastMoment = 0;
        const int n = LoadTrendRecords(table, kDensity, lastMoment, [&](int s, TDateTime at, double v) {
            if (series < 0 || s == series)
                got << QStringLiteral("%1@%2=%3").arg(s).arg(Hms(at)).arg(v);
        });
        QCOMPARE(n, rows.size());
        QCOMPARE(got, points);
        QCOMPARE(Hms(lastMoment), last);
    }

    void missingColumnAndNoRows() {
        TDateTime last = 7;
        int points = 0;
        const auto count = [&](int, TDateTime, double) { ++points; };
        QCOMPARE(LoadTrendRecords(Rows({"PLS"}, {}), kDensity, last, count), 0);
        QCOMPARE(last, 7.0); // nothing plotted, nothing moved
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 LoadTrendRecords(Rows({"PLS"}, {"10:00:00 1"}), kDensity, last, count));
        QCOMPARE(points, 0);
    }

    void keptRowsAndCsv() {
        TTrendRows rows({"PLS", "AR1"});
        QCOMPARE(rows.Append(Rows({"PLS", "AR1", "URKS"}, {"10:00:00 1700.25 0 1", "10:00:01 - 1 1"})), 2);
        // An update reads again from the last plotted moment: only newer rows are added.
        QCOMPARE(rows.Append(Rows({"PLS", "AR1"}, {"10:00:01 5 5", "10:00:02 0.001 0"})), 1);
        QCOMPARE(rows.Count(), 3);
        QVERIFY(rows.IsNull(1, 0));
        QCOMPARE(rows.Value(2, 0), 0.001);
        SetDecimalSeparator(QLatin1Char('.')); // the export writes a comma whatever the workstation uses
        const QByteArray csv = TrendCsv(rows, {"Дата, время", "Плотность; кг/м3", "Режим"});
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n")),
                 QStringList({"Дата, время;\"Плотность; кг/м3\";Режим", "05.03.2026 10:00:00;1700,25;0",
                              "05.03.2026 10:00:01;;1", "05.03.2026 10:00:02;0,001;0", ""}));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, rows.Append(Rows({"PLS"}, {"10:00:03 1"})));
    }

    // The settings dialog: the texts the operator leaves, and what the chart ends with.
    void editChartScale_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("yMin");
        QTest::addColumn<QString>("yMax");
        QTest::addColumn<bool>("autoMax");
        QTest::addColumn<double>("wantMin");
        QTest::addColumn<double>("wantMax");
        QTest::addColumn<bool>("wantAutoMax");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel changes nothing") << false << "1"
                                                << "2" << true << 1700.0 << 2501.0 << false << "";
        QTest::newRow("min above the old max") << true << "3000"
                                               << "3500" << true << 3000.0 << 3500.0 << true << "";
        QTest::newRow("abc as max after a valid min")
            << true << "1800"
            << "abc" << true << 1800.0 << 2501.0 << false << "Правильно вводите числа.";
        QTest::newRow("decimal comma") << true << "1700,5"
                                       << "2500,25" << false << 1700.5 << 2500.25 << false << "";
    }
    void editChartScale() {
        QFETCH(bool, ok);
        QFETCH(QString, yMin);
        QFETCH(QString, yMax);
        QFETCH(bool, autoMax);
        QFETCH(double, wantMin);
        QFETCH(double, wantMax);
        QFETCH(bool, wantAutoMax);
        QFETCH(QString, message);
        TLevelGraph g;
        g.SetYMax(2501);
        g.SetYMin(1700);
        g.SetYLabelStep(100);
        g.SetAutoYMin(true);
        QStringList filled;
        bool yMinShown = true;
        TP().dialogHandler = [&](QDialog& d) {
            auto& e = static_cast<TFormEditGraph&>(d);
            filled << e.EditYMin->text() << e.EditYMax->text() << e.EditYLabelStep->text();
            yMinShown = !e.EditYMin->isHidden();
            e.CheckBoxAutoYMax->SetChecked(autoMax);
            e.EditYMin->setText(yMin);
            e.EditYMax->setText(yMax);
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        EditChartScale(&g);
        QCOMPARE(TP().dialogs, 1);
        QCOMPARE(filled, QStringList({"1700", "2501", "100"}));
        QVERIFY(!yMinShown); // AutoYMin: the minimum's edit is hidden
        QCOMPARE(g.GetYMin(), wantMin);
        QCOMPARE(g.GetYMax(), wantMax);
        QCOMPARE(g.GetAutoYMax(), wantAutoMax);
        QCOMPARE(g.GetAutoYMin(), true);
        QCOMPARE(TP().messages.isEmpty() ? QString() : TP().messages[0].text, message);
        if (!message.isEmpty()) {
            QCOMPARE(TP().messages[0].caption, QStringLiteral("Ошибка"));
            QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        }
        EditChartScale(nullptr); // nothing for no chart
        QCOMPARE(TP().dialogs, 1);
    }

    // Under the control room's C library locale (a decimal comma) the dialog
    // shows the scale in the workstation's separator and takes it back in it.
    void chartScaleInTheWorkstationsSeparator_data() {
        QTest::addColumn<QChar>("sep");
        QTest::newRow("comma") << QChar(',');
        QTest::newRow("point") << QChar('.');
    }
    void chartScaleInTheWorkstationsSeparator() {
        QFETCH(QChar, sep);
        RussianCLocale russian;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(russian);
        SetDecimalSeparator(sep);
        auto in = [&](QString text) { return text.replace(QLatin1Char('.'), sep); };
        TLevelGraph g;
        g.SetYMax(2500.75);
        g.SetYMin(1700.5);
        g.SetYLabelStep(0.25);
        g.SetRightYMin(-1.5);
        g.SetRightScaleStep(1e-6);
        QStringList filled;
        TP().dialogHandler = [&](QDialog& d) {
            auto& e = static_cast<TFormEditGraph&>(d);
            for (const QLineEdit* edit : {e.EditYMin, e.EditYMax, e.EditYLabelStep, e.EditRightYMin, e.EditRightScaleStep})
                filled << edit->text();
            e.EditYMin->setText(in("1600.25"));
            e.EditYMax->setText(in("2400.5"));
            e.EditRightScaleStep->setText(in("12.5"));
            return int(QDialog::Accepted);
        };
        EditChartScale(&g);
        QCOMPARE(filled, (QStringList{in("1700.5"), in("2500.75"), in("0.25"), in("-1.5"), in("1E-6")}));
        QVERIFY2(TP().messages.isEmpty(), TP().messages.isEmpty() ? "" : qPrintable(TP().messages[0].text));
        QCOMPARE(g.GetYMin(), 1600.25);
        QCOMPARE(g.GetYMax(), 2400.5);
        QCOMPARE(g.GetYLabelStep(), 0.25);
        QCOMPARE(g.GetRightYMin(), -1.5);
        QCOMPARE(g.GetRightScaleStep(), 12.5);
    }

    void editVisibilityFollowsTheBoxes() {
        TFormEditGraph d;
        d.CheckBoxAutoYMin->SetChecked(true);
        d.CheckBoxAutoYMin->Click();
        QVERIFY(d.EditYMin->isHidden());
        d.EditYMin->setText("42");
        d.CheckBoxAutoYMin->SetChecked(false);
        d.CheckBoxAutoYMin->Click();
        QVERIFY(!d.EditYMin->isHidden());
        QCOMPARE(d.EditYMin->text(), QStringLiteral("42"));
        d.CheckBoxShowRightScale->SetChecked(false);
        d.CheckBoxShowRightScale->Click();
        QVERIFY(d.EditRightYMin->isHidden());
        QVERIFY(d.EditRightScaleStep->isHidden());
    }
};

ORDAL_TEST_MAIN(TstGraphData)
#include "tst_graphdata.moc"
