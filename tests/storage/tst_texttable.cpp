// TTextTable: splitting lines into fields, the header line, edit mode, growing
// and shrinking the table, and writing it back.
#include "Cp1251.h"
#include "TestSupport.h"
#include "Texttable.h"

#include <QDir>
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

// A table over name holding data, opened, with the given field names.
void OpenTable(TTextTable& t, const QString& name, const QByteArray& data, const QStringList& fields) {
    WriteBytes(name, data);
    t.SetTableName(name);
    t.SetFieldList(fields);
    t.SetActive(true);
    QVERIFY(t.GetActive());
}

} // namespace

class TstTextTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TP().Reset(); }

    void splitting_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("each value ends with a tab")
            << QByteArray("a\tb\t") << QStringList{"x", "y"} << QStringList{"a", "b"};
        QTest::newRow("empty value between")
            << QByteArray("a\t\tc\t") << QStringList{"x", "y", "z"} << QStringList{"a", "", "c"};
        QTest::newRow("no tab after the last")
            << QByteArray("a\tb") << QStringList{"x", "y"} << QStringList{"a", "b"};
        QTest::newRow("short line") << QByteArray("a\t") << QStringList{"x", "y", "z"}
                                    << QStringList{"a", "", ""};
        QTest::newRow("more values than names")
            << QByteArray("a\tb\tc\t") << QStringList{"x", "y"} << QStringList{"a", "b"};
        QTest::newRow("leading tab") << QByteArray("\tb\t") << QStringList{"x", "y"} << QStringList{"", "b"};
    }
    void splitting() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        TTextTable t;
        OpenTable(t, "split.txt", line + "\r\n", names);
        QVERIFY(t.First());
        QCOMPARE(t.GetFields(), values);
    }

    void navigation() {
        TTextTable t;
        OpenTable(t, "nav.txt", "a\tb\t\nc\td\t\n\n", {"x", "y"});
        QCOMPARE(t.GetRecordCount(), 2);  // the empty last line is dropped
        QVERIFY(t.GetFields().isEmpty()); // the first move fills them
        QVERIFY(!t.Prev());
        QVERIFY(t.First());
        QCOMPARE(t.GetFields(), QStringList({"a", "b"}));
        QVERIFY(t.Next());
        QCOMPARE(t.GetFieldByName("X"), QString("c"));
        QCOMPARE(t.GetFieldByName("y"), QString("d"));
        QVERIFY(!t.Next());
        QCOMPARE(t.GetRecordNum(), 1);
        QVERIFY(t.Prev());
        QCOMPARE(t.GetFields(), QStringList({"a", "b"}));
        QVERIFY(TP().messages.isEmpty());
        // A name that is not a field.
        QCOMPARE(t.GetFieldByName("q"), QString());
        t.SetFieldByName("q", "1");
        QCOMPARE(TP().messages.size(), 2);
        QCOMPARE(TP().messages[0].text, QString("Неизвестное поле \"q\""));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        QCOMPARE(t.GetFields(), QStringList({"a", "b"}));
    }

    void headerLine() {
        TTextTable t;
        t.SetFirstLineIsHeader(true);
        OpenTable(t, "head.txt", "x\ty\tz\n1\t2\t3\t\n", {"old"});
        QCOMPARE(t.GetFieldList(), QStringList({"x", "y", "z"}));
        QCOMPARE(t.GetLines(), QStringList({"1\t2\t3\t"}));
        QVERIFY(t.Last());
        QCOMPARE(t.GetFieldByName("z"), QString("3"));
        t.SetActive(false);
        QVERIFY(!t.GetActive());
        QCOMPARE(ReadBytes("head.txt"), QByteArray("x\ty\tz\t\n1\t2\t3\t\n"));
        QCOMPARE(t.GetLines().first(), QString("x\ty\tz\t")); // kept in memory
    }

    void editModeRewritesBeforeMoving() {
        TTextTable t;
        OpenTable(t, "edit.txt", "a\tb\t\nc\td\t\n", {"x", "y"});
        // Switched on before anything was loaded: the first move has nothing to
        // post and leaves the line alone.
        t.SetEditMode(true);
        QVERIFY(t.First());
        QCOMPARE(t.GetLines()[0], QString("a\tb\t"));
        t.SetEditMode(true);
        t.SetFieldByName("y", "B");
        QCOMPARE(t.GetLines()[0], QString("a\tb\t")); // not before the post
        QVERIFY(t.Next());
        QCOMPARE(t.GetLines()[0], QString("a\tB\t"));
        QVERIFY(!t.GetEditMode()); // posting ends edit mode
        // Setting RecordNum posts first, too.
        t.SetEditMode(true);
        t.SetFieldByName("x", "C");
        t.SetRecordNum(0);
        QCOMPARE(t.GetLines()[1], QString("C\td\t"));
        QCOMPARE(t.GetFields(), QStringList({"C", "d"})); // not reloaded
        // A value with a line break would split its record in two.
        t.SetFieldByName("x", "1\n2");
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(t.GetFields(), QStringList({"C", "d"}));
        t.SetActive(false);
        QCOMPARE(ReadBytes("edit.txt"), QByteArray("a\tB\t\nC\td\t\n"));
    }

    // A value that would not read back as written is refused with a message,
    // whether given by name or as the whole list, and the record stays as it
    // was through closing and opening again.
    void unwritableValues_data() {
        QTest::addColumn<int>("border");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("says");
        const QString sep = "Значение поля \"y\" содержит разделитель полей";
        const QString br = "Значение поля \"y\" содержит перевод строки";
        QTest::newRow("tab") << 9 << "1\t2" << sep;
        QTest::newRow("tab at the end") << 9 << "1\t" << sep;
        QTest::newRow("semicolon") << int(';') << "1;5" << sep;
        QTest::newRow("Cyrillic separator") << 0xC6 << "ЖЖ" << sep; // Windows-1251 "Ж"
        QTest::newRow("line feed") << 9 << "1\n2" << br;
        QTest::newRow("carriage return") << int(';') << "1\r" << br;
    }
    void unwritableValues() {
        QFETCH(int, border);
        QFETCH(QString, value);
        QFETCH(QString, says);
        const QChar sep =
            QString::fromUtf8(border == 0xC6 ? "Ж" : QByteArray(1, char(border)).constData())[0];
        const QString line = QStringList({"a", "b", "c", ""}).join(sep);
        TTextTable t;
        t.SetFieldBorderCode(border);
        OpenTable(t, "unwritable.txt", line.toUtf8() + "\n", {"x", "y", "z"});
        QVERIFY(t.First());
        t.SetEditMode(true);
        t.SetFieldByName("y", value);
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, says);
        QCOMPARE(t.GetFields(), QStringList({"a", "b", "c"}));
        t.SetFields({"a", value, "c"});
        QVERIFY(!t.Post());
        QCOMPARE(TP().messages.size(), 2);
        QCOMPARE(TP().messages[1].text, says);
        QCOMPARE(t.GetLines(), QStringList({line}));
        t.SetActive(false);
        TTextTable again;
        again.SetFieldBorderCode(border);
        again.SetTableName("unwritable.txt");
        again.SetFieldList({"x", "y", "z"});
        again.SetActive(true);
        QVERIFY(again.First());
        QCOMPARE(again.GetFields(), QStringList({"a", "b", "c"}));
        QCOMPARE(again.GetRecordCount(), 1);
    }

    // A table is written back in its encoding only while its bytes read back
    // as the same text; otherwise in UTF-8, with a byte order mark when the
    // text begins with U+FEFF (a reader takes the first one for the mark).
    void writtenTextReadsBack_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>(
            "value"); // set as the first record's x, or else the first record is deleted
        QTest::addColumn<QString>("first"); // x of the first record, read back
        QTest::newRow("Windows-1251 whose bytes become UTF-8") << QByteArray("\xC6\t\n") << "РЎ"
                                                               << "РЎ";
        QTest::newRow("Windows-1251 that begins like a mark") << QByteArray("\xC6\t\n\xEF\xBB\xBF\t\n") << ""
                                                              << "п»ї";
        QTest::newRow("UTF-8 that begins with U+FEFF")
            << QByteArray("a\t\n\xEF\xBB\xBF\t\n") << "" << QString(QChar(0xFEFF));
        QTest::newRow("a mark, then U+FEFF") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                                     "a\t\n")
                                             << QString(QChar(0xFEFF)) + "a" << QString(QChar(0xFEFF)) + "a";
        QTest::newRow("Windows-1251 that stays so") << QByteArray("\xC6\t\n") << "Смена"
                                                    << "Смена";
    }
    void writtenTextReadsBack() {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        QFETCH(QString, first);
        TTextTable t;
        OpenTable(t, "text.txt", file, {"x"});
        QVERIFY(t.First());
        if (value.isEmpty()) {
            QVERIFY(t.Delete());
        } else {
            t.SetFieldByName("x", value);
            QVERIFY(t.Post());
        }
        t.SetActive(false);
        TTextTable again;
        OpenTable(again, "text.txt", ReadBytes("text.txt"), {"x"});
        QVERIFY(again.First());
        QCOMPARE(again.GetFields(), QStringList({first}));
        if (first == "Смена")
            QCOMPARE(ReadBytes("text.txt"), *StringToCp1251("Смена\t\n"));
    }

    void growAndShrink() {
        TTextTable t;
        OpenTable(t, "grow.txt", "a\tb\t\nc\td\t\n", {"x", "y"});
        t.SetRecordCount(0);
        QCOMPARE(t.GetRecordCount(), 2);
        t.SetRecordCount(t.GetRecordCount() + 1);
        QCOMPARE(t.GetRecordCount(), 3);
        QCOMPARE(t.GetRecordNum(), 2);
        QCOMPARE(t.GetFields(), QStringList({"", ""}));
        t.SetFieldByName("x", "e");
        QVERIFY(t.Post());
        QCOMPARE(t.GetLines()[2], QString("e\t\t"));
    }

    // The record before the removed one becomes current; at the first line, the
    // one that took its place, and the removed values are never posted.
    void deleting() {
        TTextTable t;
        OpenTable(t, "del.txt", "a\t\nb\t\nc\t\n", {"x"});
        QVERIFY(t.Last());
        QVERIFY(t.Delete());
        QCOMPARE(t.GetRecordNum(), 1);
        QCOMPARE(t.GetFields(), QStringList({"b"}));
        QVERIFY(t.First());
        t.SetEditMode(true);
        QVERIFY(t.Delete());
        QCOMPARE(t.GetRecordNum(), 0);
        QCOMPARE(t.GetFields(), QStringList({"b"}));
        QVERIFY(!t.Next());
        QVERIFY(t.Delete());
        QVERIFY(t.GetFields().isEmpty());
        QVERIFY(!t.Delete());
        QVERIFY(!t.First());
        t.SetActive(false);
        QCOMPARE(ReadBytes("del.txt"), QByteArray());
    }

    void openingAndWriting() {
        TTextTable t;
        t.SetTableName("new.txt");
        t.SetFieldList({"x", "y"});
        t.SetActive(true);
        QVERIFY(!t.GetActive()); // no file, no AutoCreate
        QVERIFY(TP().messages.isEmpty());
        t.SetAutoCreate(true);
        t.SetFirstLineIsHeader(true);
        t.SetActive(true);
        QVERIFY(t.GetActive());
        QVERIFY(t.Append());
        t.SetFieldByName("y", "Плотность");
        QVERIFY(t.Post());
        t.SetActive(false);
        QCOMPARE(QString::fromUtf8(ReadBytes("new.txt")), QString("x\ty\t\n\tПлотность\t\n"));

        // Windows-1251 with CR LF, another separator (the low 8 bits count),
        // written back the way it came.
        const QByteArray cp = *StringToCp1251(QStringLiteral("Уровень;Насос;\r\n1;вкл;\r\n"));
        TTextTable w;
        w.SetFieldBorderCode(0x100 + ';');
        w.SetFirstLineIsHeader(true);
        OpenTable(w, "cp.txt", cp, {});
        QCOMPARE(w.GetFieldList(), QStringList({"Уровень", "Насос"}));
        QVERIFY(w.First());
        QCOMPARE(w.GetFieldByName("насос"), QString("вкл"));
        w.SetActive(false);
        QCOMPARE(ReadBytes("cp.txt"), cp);

        // A table that cannot be written stays open, its lines kept.
        TTextTable d;
        d.SetTableName("nodir/t.txt");
        d.SetAutoCreate(true);
        d.SetFirstLineIsHeader(true);
        d.SetFieldList({"x"});
        d.SetActive(true);
        d.SetLines({"1\t"});
        d.SetActive(false);
        QVERIFY(d.GetActive());
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(d.GetLines(), QStringList({"1\t"}));
        QVERIFY(QDir().mkpath("nodir"));
        d.SetActive(false);
        QVERIFY(!d.GetActive());
        QCOMPARE(ReadBytes("nodir/t.txt"), QByteArray("x\t\n1\t\n"));
        // A file that cannot be read is no empty table to write over it.
        TTextTable f;
        QVERIFY(QDir().mkpath("adir"));
        f.SetTableName("adir");
        f.SetAutoCreate(true);
        f.SetActive(true);
        QVERIFY(!f.GetActive());
        QCOMPARE(TP().messages.size(), 2);
    }
};

ORDAL_TEST_MAIN(TstTextTable)
#include "tst_texttable.moc"
