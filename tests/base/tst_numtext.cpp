#include "DateTime.h"
#include "NumText.h"
#include "TColor.h"
#include "TestSupport.h"

#include <cmath>

class TstNumText : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    void floatToStr_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("integer") << 1600.0 << "1600";
        QTest::newRow("half") << 1650.5 << "1650,5";
        QTest::newRow("tiny step") << 2100.0000001 << "2100,0000001";
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << "0,3";
        QTest::newRow("negative") << -12.25 << "-12,25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("minus zero") << -0.0 << "0";
        QTest::newRow("large") << 1.5e20 << "1,5E20";
        QTest::newRow("small") << 1e-6 << "1E-6";
        QTest::newRow("small fixed") << 0.00001 << "0,00001";
    }
    void floatToStr() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(FloatToStr(value, ','), expected);
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
};

ORDAL_TEST_MAIN(TstNumText)
#include "tst_numtext.moc"
