#include "FormatFloat.h"
#include "NumText.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>
#include <optional>

class TstFormatFloat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole test runs under the control room's C library locale (a
    // decimal comma), which no pattern may pick up.
    void initTestCase() {
        russian_.emplace();
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(*russian_);
    }
    void cleanupTestCase() { russian_.reset(); }

    // Decimal separator "." and thousands separator "," in this table.
    void patterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        // The scheme's own patterns.
        QTest::newRow("density") << "###0 кг/м" << 1700.0 << "1700 кг/м";
        QTest::newRow("density rounds up") << "###0 кг/м" << 1699.5 << "1700 кг/м";
        QTest::newRow("level percent") << "###%" << 45.6 << "46%";
        QTest::newRow("level zero shows no digit") << "###%" << 0.4 << "%";
        QTest::newRow("default one decimal") << "###0.0" << 12.34 << "12.3";
        QTest::newRow("half away from zero") << "###0.0" << 12.35 << "12.4";
        QTest::newRow("negative half away") << "###0" << -1699.5 << "-1700";
        QTest::newRow("three sections positive") << "##0.0 %; ;  " << 45.25 << "45.3 %";
        QTest::newRow("three sections negative") << "##0.0 %; ;  " << -3.0 << " ";
        QTest::newRow("three sections zero") << "##0.0 %; ;  " << 0.0 << "  ";
        QTest::newRow("rounds to zero section") << "##0.0 %; ;  " << 0.04 << "  ";
        QTest::newRow("blank groups") << "# ### ##0.0; ;  " << 1234567.89 << "1 234 567.9";
        QTest::newRow("blank groups short") << "# ### ##0.0; ;  " << 1234.5 << " 1 234.5";
        QTest::newRow("blank groups small") << "# ### ##0.0; ;  " << 5.0 << "  5.0";
        QTest::newRow("blank groups overflow") << "# ### ##0.0; ;  " << 12345678.9 << "12 345 678.9";
        QTest::newRow("blank groups negative") << "# ### ##0.0; ;  " << -12.0 << " ";
        // General rules.
        QTest::newRow("thousands") << "#,##0.00" << 1234567.891 << "1,234,567.89";
        QTest::newRow("thousands small") << "#,##0.00" << 5.0 << "5.00";
        QTest::newRow("thousands negative") << "#,##0.00" << -1234.5 << "-1,234.50";
        QTest::newRow("leading zeros") << "0000" << 42.0 << "0042";
        QTest::newRow("carry") << "0.0" << 9.96 << "10.0";
        QTest::newRow("carry across groups") << "#,##0" << 999999.5 << "1,000,000";
        QTest::newRow("decimal half of a binary fraction") << "0.00" << 2.675 << "2.68";
        QTest::newRow("optional decimals") << "0.##" << 1.5 << "1.5";
        QTest::newRow("no digit after point hides it") << "0.##" << 1.0 << "1";
        QTest::newRow("optional decimals round") << "0.##" << 1.005 << "1.01";
        QTest::newRow("no integer digit") << "#.##" << 0.05 << ".05";
        QTest::newRow("huge value all digits") << "###0" << 123456789012.0 << "123456789012";
        QTest::newRow("beyond fixed range") << "###0" << 1e20 << "1E20";
        QTest::newRow("scientific") << "0.00E+00" << 1234.5 << "1.23E+03";
        QTest::newRow("scientific small") << "0.00E+00" << 0.000123 << "1.23E-04";
        QTest::newRow("scientific e-") << "0.0e-0" << 1234.0 << "1.2e3";
        QTest::newRow("scientific e- negative exp") << "0.0e-0" << 0.5 << "5.0e-1";
        QTest::newRow("scientific zero") << "0.00E+00" << 0.0 << "0.00E+00";
        QTest::newRow("quoted") << "'Уровень: '0.0" << 3.14159 << "Уровень: 3.1";
        QTest::newRow("semicolon in quotes") << "\"a;b\"0" << 7.0 << "a;b7";
        QTest::newRow("fixed text") << "Сбой связи" << 12.0 << "Сбой связи";
        QTest::newRow("fixed text negative") << "Сбой связи" << -5.0 << "Сбой связи";
        QTest::newRow("negative section") << "0;(0);'нуль'" << -5.0 << "(5)";
        QTest::newRow("zero section") << "0;(0);'нуль'" << 0.0 << "нуль";
        QTest::newRow("rounded zero section") << "0;(0);'нуль'" << 0.2 << "нуль";
        QTest::newRow("empty negative section") << "0;;'нуль'" << -5.0 << "-5";
        QTest::newRow("negative zero has no sign") << "#0.0" << -0.04 << "0.0";
        QTest::newRow("empty pattern is general") << "" << 1.5 << "1.5";
        QTest::newRow("not a number") << "###0" << std::nan("") << "NAN";
        QTest::newRow("infinity") << "###0" << -HUGE_VAL << "-INF";
    }
    void patterns() {
        QFETCH(QString, pattern);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatFloat(pattern, value, '.', ','), text);
    }

    // Any pattern and any value give some text, without failing or hanging.
    void arbitraryPatterns() {
        QRandomGenerator rng(42);
        const QString alphabet = "0#.,;Ee+-'\"% x";
        const double values[] = {0.0,
                                 -0.0,
                                 1.0,
                                 -1.5,
                                 0.5,
                                 9.999999,
                                 123456789.123,
                                 -1e-300,
                                 1e300,
                                 std::numeric_limits<double>::denorm_min(),
                                 std::numeric_limits<double>::max(),
                                 -std::numeric_limits<double>::max()};
        for (int round = 0; round < 2000; ++round) {
            QString pattern;
            const int len = rng.bounded(16);
            for (int i = 0; i < len; ++i)
                pattern += alphabet[rng.bounded(int(alphabet.size()))];
            for (double v : values) {
                const QString text = FormatFloat(pattern, v, '.', ',');
                QVERIFY(text.size() < 400);
            }
        }
    }

    void workstationSeparators() {
        const QChar dec = DecimalSeparator(), thou = ThousandSeparator();
        SetDecimalSeparator(',');
        SetThousandSeparator(' ');
        QCOMPARE(FormatFloat("###0.0", 12.34), QString("12,3"));
        QCOMPARE(FormatFloat("#,##0.0", 1234.0), QString("1 234,0"));
        QCOMPARE(FormatFloat("", 0.5), QString("0,5"));
        QCOMPARE(FormatFloat("###0", 1.5e20), QString("1,5E20"));
        SetDecimalSeparator('.');
        SetThousandSeparator(',');
        QCOMPARE(FormatFloat("#,##0.0", 1700.45), QString("1,700.5"));
        QCOMPARE(FormatFloat("", 1700.5), QString("1700.5"));
        SetDecimalSeparator(dec);
        SetThousandSeparator(thou);
    }

private:
    std::optional<RussianCLocale> russian_;
};

ORDAL_TEST_MAIN(TstFormatFloat)
#include "tst_formatfloat.moc"
