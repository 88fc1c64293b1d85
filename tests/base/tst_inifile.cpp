#include "Cp1251.h"
#include "IniFile.h"
#include "NumText.h"
#include "TestSupport.h"

#include <QFile>

namespace {
void WriteBytes(const QString& name, const QByteArray& data) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
QByteArray ReadBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowsSemantics() {
        WriteBytes("a.ini", "; comment kept\r\n[MySQL]\r\nLogin = root \r\nPassword=3;<=>?@Z\r\n"
                            "login=second\r\nQuoted=\"a b\"\r\n[mysql]\r\nLogin=other\r\n");
        IniFile ini("a.ini");
        QCOMPARE(ini.ReadString("mysql", "LOGIN", "x"), QString("root"));      // case, first match, trimmed
        QCOMPARE(ini.ReadString("MySQL", "Password", ""), QString("3;<=>?@Z")); // ";" "=" inside value
        QCOMPARE(ini.ReadString("MySQL", "Quoted", ""), QString("a b"));
        QCOMPARE(ini.ReadString("MySQL", "Missing", "def"), QString("def"));
        QCOMPARE(ini.ReadString("Nope", "Login", "def"), QString("def"));
        ini.WriteString("MYSQL", "login", "ordal");
        ini.WriteString("MySQL", "Comp", "10.0.0.1:3307");
        ini.WriteString("main", "Caption", "ОРДАЛ");
        const QByteArray out = ReadBytes("a.ini");
        QVERIFY(out.startsWith("; comment kept\r\n[MySQL]\r\nlogin=ordal\r\n"));
        QVERIFY(out.contains("Quoted=\"a b\"\r\nComp=10.0.0.1:3307\r\n[mysql]\r\nLogin=other\r\n"));
        QVERIFY(out.endsWith("[main]\r\nCaption=ОРДАЛ\r\n"));
        QCOMPARE(IniFile("a.ini").ReadString("Main", "caption", ""), QString("ОРДАЛ"));
    }

    void integers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "65280" << 65280;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("0x") << "0x0000FF00" << 65280;
        QTest::newRow("dollar") << "$FF" << 255;
        QTest::newRow("0x full") << "0xFFFFFFFF" << -1;
        QTest::newRow("garbage") << "12abc" << 77;
        QTest::newRow("empty") << "" << 77;
        QTest::newRow("float") << "1.5" << 77;
        QTest::newRow("too large") << "99999999999" << 77;
    }
    void integers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        WriteBytes("i.ini", ("[s]\nk=" + text + "\n").toUtf8());
        QCOMPARE(IniFile("i.ini").ReadInteger("s", "k", 77), expected);
    }

    void booleans() {
        WriteBytes("b.ini", "[s]\nzero=0\none=1\nseven=7\nbad=yes\n");
        IniFile ini("b.ini");
        QCOMPARE(ini.ReadBool("s", "zero", true), false);
        QCOMPARE(ini.ReadBool("s", "one", false), true);
        QCOMPARE(ini.ReadBool("s", "seven", false), true);
        QCOMPARE(ini.ReadBool("s", "bad", true), true);
        ini.WriteBool("s", "new", true);
        QCOMPARE(ini.ReadString("s", "new", ""), QString("1"));
    }

    // A file written on a workstation with one decimal separator is read on
    // one with the other (the C library in the control room's locale).
    void floatsCrossTheSeparators_data() {
        QTest::addColumn<QChar>("writer");
        QTest::addColumn<QChar>("reader");
        QTest::addColumn<QString>("written");
        QTest::newRow("comma to point") << QChar(',') << QChar('.') << "1700,5";
        QTest::newRow("point to comma") << QChar('.') << QChar(',') << "1700.5";
        QTest::newRow("comma to comma") << QChar(',') << QChar(',') << "1700,5";
    }
    void floatsCrossTheSeparators() {
        QFETCH(QChar, writer);
        QFETCH(QChar, reader);
        QFETCH(QString, written);
        RussianCLocale russian;
        ORDAL_REQUIRE_RUSSIAN_C_LOCALE(russian);
        QFile::remove("f.ini");
        SetDecimalSeparator(writer);
        IniFile("f.ini").WriteFloat("s", "k", 1700.5);
        IniFile("f.ini").WriteFloat("s", "tiny", 1e-7);
        IniFile("f.ini").WriteString("s", "bad", "1,700.5");
        SetDecimalSeparator(reader);
        const IniFile ini("f.ini");
        const QString k = ini.ReadString("s", "k", "");
        const double v = ini.ReadFloat("s", "k", 0), tiny = ini.ReadFloat("s", "tiny", 0);
        const double bad = ini.ReadFloat("s", "bad", 42);
        SetDecimalSeparator('.');
        QCOMPARE(k, written);
        QCOMPARE(v, 1700.5);
        QCOMPARE(tiny, 1e-7);
        QCOMPARE(bad, 42.0); // not a number under either: the default
    }

    void windows1251FileStaysWindows1251() {
        const QByteArray cyr = *StringToCp1251(QString("Оператор"));
        WriteBytes("w.ini", "[main]\r\nCaption=" + cyr + "\r\n");
        IniFile ini("w.ini");
        QCOMPARE(ini.ReadString("main", "Caption", ""), QString("Оператор"));
        ini.WriteString("main", "Other", "Смена");
        QCOMPARE(ReadBytes("w.ini"), "[main]\r\nCaption=" + cyr + "\r\nOther=" + *StringToCp1251("Смена") + "\r\n");
    }

    // A Windows-1251 file is written back so only while its bytes read back
    // as the same text: bytes that happen to be valid UTF-8 would not.
    void writtenTextReadsBack_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("stays");                        // in Windows-1251
        QTest::newRow("bytes that are UTF-8") << "РЎ" << false; // D0 A1, UTF-8 for "С"
        QTest::newRow("bytes that are not") << "Смена" << true;
    }
    void writtenTextReadsBack() {
        QFETCH(QString, value);
        QFETCH(bool, stays);
        WriteBytes("text.ini", "[m]\nA=\xC6\n"); // "Ж": no UTF-8
        IniFile ini("text.ini");
        ini.WriteString("m", "A", value);
        QCOMPARE(IniFile("text.ini").ReadString("m", "A", ""), value);
        QCOMPARE(ReadBytes("text.ini"), "[m]\nA=" + (stays ? *StringToCp1251(value) : value.toUtf8()) + "\n");
    }

    void seesChangesByOtherWriters() {
        IniFile a("shared.ini"), b("shared.ini");
        QCOMPARE(a.ReadInteger("s", "k", 1), 1);
        b.WriteInteger("s", "k", 2);
        QCOMPARE(a.ReadInteger("s", "k", 1), 2);
        a.WriteInteger("s", "k", 3);
        QCOMPARE(b.ReadInteger("s", "k", 1), 3);
    }

    void sectionsAndKeys() {
        WriteBytes("s.ini", "[A]\nx=1\ny=2\n\n[B]\nz=3\n");
        IniFile ini("s.ini");
        QCOMPARE(ini.ReadSections(), QStringList({"A", "B"}));
        QCOMPARE(ini.ReadSection("a"), QStringList({"x", "y"}));
        QVERIFY(ini.SectionExists("b"));
        QVERIFY(!ini.ValueExists("b", "x"));
        ini.WriteString("A", "w", "4"); // new keys go after the section's last key, before the blank line
        QCOMPARE(ReadBytes("s.ini"), QByteArray("[A]\nx=1\ny=2\nw=4\n\n[B]\nz=3\n"));
        ini.DeleteKey("A", "x");
        ini.EraseSection("B");
        QCOMPARE(ReadBytes("s.ini"), QByteArray("[A]\ny=2\nw=4\n\n"));
    }

    void unwritableFileThrowsAndKeepsNothingHalf() {
        IniFile ini(TestDir() + "/no/such/dir/x.ini");
        QVERIFY_THROWS_EXCEPTION(IniFileError, ini.WriteString("s", "k", "v"));
    }
};

ORDAL_TEST_MAIN(TstIniFile)
#include "tst_inifile.moc"
