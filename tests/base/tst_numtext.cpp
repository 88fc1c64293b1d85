#include "DateTime.h"
#include "NumText.h"
#include "TColor.h"
#include "TestSupport.h"

#include <cmath>
#include <optional>

class TstNumText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole test runs under the control room's C library locale.
    void initTestCase() {
        russian_.emplace();
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(*russian_);
    }
    void cleanupTestCase() { russian_.reset(); }

    void strToFloat_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma ok") << "1650,5" << "," << true << 1650.5;
        QTest::newRow("point under comma") << "1650.5" << "," << false << 0.0;
        QTest::newRow("point ok") << "1650.5" << "." << true << 1650.5;
        QTest::newRow("comma under point") << "1650,5" << "." << false << 0.0;
        QTest::newRow("empty") << "" << "." << false << 0.0;
        QTest::newRow("blank") << "   " << "." << false << 0.0;
        QTest::newRow("abc") << "abc" << "." << false << 0.0;
        QTest::newRow("exponent") << "1e3" << "." << true << 1000.0;
        QTest::newRow("exp no digits") << "1e" << "." << false << 0.0;
        QTest::newRow("minus zero") << "-0" << "." << true << 0.0;
        QTest::newRow("trimmed") << " 1700 " << "." << true << 1700.0;
        QTest::newRow("plus") << "+1700" << "." << true << 1700.0;
        QTest::newRow("two separators") << "1.6.5" << "." << false << 0.0;
        QTest::newRow("sql tail") << "1650); drop table x; --" << "." << false << 0.0;
        QTest::newRow("quote") << "1650'" << "." << false << 0.0;
        QTest::newRow("inf") << "inf" << "." << false << 0.0;
        QTest::newRow("nan") << "nan" << "." << false << 0.0;
        QTest::newRow("overflow") << "1e400" << "." << false << 0.0;
        QTest::newRow("hex") << "0x10" << "." << false << 0.0;
        QTest::newRow("long") << QString(100000, '9') << "." << false << 0.0;
        QTest::newRow("long zeros") << "1650." + QString(5000, '0') << "." << true << 1650.0;
    }
    void strToFloat() {
        QFETCH(QString, text);
        QFETCH(QString, sep);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto v = StrToFloatOpt(text, sep[0]);
        QCOMPARE(bool(v), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    // What the program wrote under one separator reads under the other.
    void storedStrToFloat_data() {
        QTest::addColumn<QString>("workstation");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma under comma") << "," << "1650,5" << true << 1650.5;
        QTest::newRow("point under comma") << "," << "1650.5" << true << 1650.5;
        QTest::newRow("comma under point") << "." << "1650,5" << true << 1650.5;
        QTest::newRow("point under point") << "." << "1650.5" << true << 1650.5;
        QTest::newRow("exponent under comma") << "," << "1.5E-6" << true << 1.5e-6;
        QTest::newRow("both marks") << "," << "1,650.5" << false << 0.0;
        QTest::newRow("two commas") << "." << "1,6,5" << false << 0.0;
        QTest::newRow("empty") << "," << "" << false << 0.0;
        QTest::newRow("letters") << "." << "abc" << false << 0.0;
    }
    void storedStrToFloat() {
        QFETCH(QString, workstation);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        SetDecimalSeparator(workstation[0]);
        const auto v = StoredStrToFloatOpt(text);
        SetDecimalSeparator(QLatin1Char('.'));
        QCOMPARE(bool(v), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    // Formatting must not go through the C library: it runs under the control
    // room's locale here, whose decimal mark is a comma.
    void floatToStr_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("expected");
        for (const QString& sep : {QStringLiteral(","), QStringLiteral(".")}) {
            auto row = [&](const char* name, double value, QString expected) {
                QTest::addRow("%s, sep %s", name, qPrintable(sep))
                    << value << sep << expected.replace(QLatin1Char('.'), sep[0]);
            };
            row("integer", 1600.0, "1600");
            row("half", 1650.5, "1650.5");
            row("density", 1700.5, "1700.5");
            row("tiny step", 2100.0000001, "2100.0000001");
            row("fifteen digits", 0.1 + 0.2, "0.3");
            row("a third", 1.0 / 3, "0.333333333333333");
            row("rounds up to the next power", 9.9999999999999999, "10");
            row("negative", -12.25, "-12.25");
            row("zero", 0.0, "0");
            row("minus zero", -0.0, "0");
            row("large fixed", 123456789012345.0, "123456789012345");
            row("large", 1.5e20, "1.5E20");
            row("fifteen integer digits round to E15", 999999999999999.9, "1E15");
            row("small", 1e-6, "1E-6");
            row("small negative", -2.5e-7, "-2.5E-7");
            row("small fixed", 0.00001, "0.00001");
            row("largest", 1.7976931348623157e308, "1.79769313486232E308");
            row("denormal", 4.9406564584124654e-324, "4.94065645841247E-324");
            row("not a number", std::nan(""), "NAN");
            row("infinity", -HUGE_VAL, "-INF");
        }
    }
    void floatToStr() {
        QFETCH(double, value);
        QFETCH(QString, sep);
        QFETCH(QString, expected);
        QCOMPARE(FloatToStr(value, sep[0]), expected);
    }

    void colours() {
        QCOMPARE(ColorToQColor(clRed), QColor(255, 0, 0));
        QCOMPARE(ColorToQColor(clCream), QColor(0xFF, 0xFB, 0xF0));
        QCOMPARE(QColorToColor(QColor(0, 0, 255)), clBlue);
        QCOMPARE(*ColorFromName("clAqua"), clAqua);
        QCOMPARE(*ColorFromName("$0000FF00"), clLime);
        QCOMPARE(*ColorFromName("65280"), clLime);
        QVERIFY(!ColorFromName("clNoSuch"));
        QCOMPARE(ColorToName(clLime), QString("clLime"));
    }

    void dateTimes() {
        const TDateTime dt = EncodeDate(2026, 12, 10) + EncodeTime(7, 5, 9);
        QCOMPARE(EncodeDate(1899, 12, 30), 0.0);
        QCOMPARE(SqlDateTimeText(dt), QString("2026-12-10 07:05:09"));
        QCOMPARE(FormatDateTime("hh:nn:ss", dt), QString("07:05:09"));
        QCOMPARE(FormatDateTime("dd.mm.yyyy", dt), QString("10.12.2026"));
        QCOMPARE(FormatDateTime("h:mm", dt), QString("7:05"));
        QCOMPARE(DateTimeToQ(dt), QDateTime(QDate(2026, 12, 10), QTime(7, 5, 9)));
        QCOMPARE(DateTimeFromQ(QDateTime(QDate(2026, 12, 10), QTime(7, 5, 9))), dt);
    }

private:
    std::optional<RussianCLocale> russian_;
};

ORDAL_TEST_MAIN(TstNumText)
#include "tst_numtext.moc"
