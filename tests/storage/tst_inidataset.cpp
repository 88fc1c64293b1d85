// TIniDataSet: where records land, what a file holds after an append, moving
// between records, damaged files, and deleting a record.
#include "Cp1251.h"
#include "Inidataset.h"
#include "NumText.h"
#include "ObeyPermissions.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <memory>
#include <sys/stat.h>

namespace {

const TDateTime kDay = EncodeDate(2024, 3, 15);
TDateTime At(int h, int m, int s = 0) {
    return kDay + EncodeTime(h, m, s);
}

void WriteBytes(const QString& name, const QByteArray& data) {
    QDir().mkpath(QFileInfo(name).path());
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
QByteArray ReadBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<TIniDataSet> MakeSet(const QString& root, bool dayToDir = true, bool hourToFile = true) {
    auto set = std::make_unique<TIniDataSet>();
    set->SetRootDir(root);
    set->SetTableName(QStringLiteral("T"));
    set->SetDayToDir(dayToDir);
    set->SetHourToFile(hourToFile);
    set->SetFieldList({QStringLiteral("RecordTime"), QStringLiteral("Level"), QStringLiteral("Pump")});
    return set;
}

// Appends records stamped ts with Level values levels (the set is closed after).
void Fill(TIniDataSet& set, const QList<TDateTime>& ts, const QStringList& levels) {
    for (int i = 0; i < ts.size(); ++i) {
        QVERIFY(set.Append(ts[i]));
        QVERIFY(set.SetFieldValByName(QStringLiteral("Level"), levels[i]));
    }
}

// Level of every record from the first to the last, "-" for a record that is
// not found in its file. Stops after 100 moves whatever happens.
QStringList Walk(TIniDataSet& set) {
    QStringList out;
    for (bool ok = set.First(); ok && out.size() < 100; ok = set.Next())
        out << (set.GetLocalRecordNumber() < 0 ? QStringLiteral("-")
                                               : set.FieldByName("level")->GetAsString());
    return out;
}

} // namespace

class TstIniDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        SetDecimalSeparator('.');
    }

    void filesAndFolders_data() {
        QTest::addColumn<bool>("dayToDir");
        QTest::addColumn<bool>("hourToFile");
        QTest::addColumn<QString>("file");
        QTest::newRow("hour file in day folder") << true << true << "2024_03_15.VMD/T14.VMD";
        QTest::newRow("day file in day folder") << true << false << "2024_03_15.VMD/T.VMD";
        QTest::newRow("hour file in root") << false << true << "T14.VMD";
        QTest::newRow("one file for the table") << false << false << "T.VMD";
    }
    void filesAndFolders() {
        QFETCH(bool, dayToDir);
        QFETCH(bool, hourToFile);
        QFETCH(QString, file);
        const QString root = QStringLiteral("ff/") + QTest::currentDataTag();
        auto set = MakeSet(root, dayToDir, hourToFile);
        QCOMPARE(set->FileNameByTime(At(14, 5)), root + "/" + file);
        set->SetActive(true);
        QVERIFY(set->GetActive());
        QCOMPARE(set->GetRecordCount(), 0);
        QVERIFY(!set->First());
        Fill(*set, {At(14, 5), At(14, 5, 1)}, {"1", "2"});
        QVERIFY(QFile::exists(root + "/" + file));
        // Another table and a stray folder in the same place are not this table's.
        WriteBytes(root + "/" + (dayToDir ? "2024_03_15.VMD/" : "") + "U14.VMD",
                   "[Header]\nRecordCount=1\nR0=45366.5\n");
        QDir().mkpath(root + "/notes");
        auto again = MakeSet(root, dayToDir, hourToFile);
        again->SetActive(true);
        QCOMPARE(again->GetRecordCount(), 2);
        QCOMPARE(Walk(*again), QStringList({"1", "2"}));
        QCOMPARE(again->OpenFileName(), root + "/" + file);
        QVERIFY(TP().messages.isEmpty());
    }

    void firstAppendWritesHeaderAndSection() {
        auto set = MakeSet("first");
        set->SetActive(true);
        QVERIFY(set->Append(At(14, 5)));
        const QString s = TIniDataSet::StampText(At(14, 5));
        QCOMPARE(s, QString("45366.5868055556"));
        const QString name = "first/2024_03_15.VMD/T14.VMD";
        QCOMPARE(QString::fromUtf8(ReadBytes(name)),
                 "[Header]\nRecordCount=1\nR0=" + s + "\n\n[R0]\nLevel=\nPump=\n");
        QCOMPARE(set->GetRecordCount(), 1);
        QCOMPARE(set->GetRecordNumber(), 0);
        QCOMPARE(set->GetLocalRecordNumber(), 0);
        QCOMPARE(set->CurrentSection(), QString("R0"));
        // The typed views write their text forms at once.
        QVERIFY(set->First());
        set->FieldByName("Level")->SetAsFloat(1834.25);
        set->FieldByName("Pump")->SetAsBool(true);
        QVERIFY(ReadBytes(name).endsWith("[R0]\nLevel=1834.25\nPump=1\n"));
        set->FieldByName("Pump")->SetAsInteger(-7);
        QCOMPARE(set->GetFieldValByName("PUMP"), QString("-7"));
        QCOMPARE(set->FieldByName("RecordTime")->GetAsString(), s);
        // The date-time view changes the text in memory only.
        set->FieldByName("Level")->SetAsDateTime(At(15, 0));
        QCOMPARE(set->GetFieldValByName("Level"), QString("1834.25"));
        QCOMPARE(set->FieldByName("Level")->GetAsDateTime(), At(15, 0));
        QVERIFY(TP().messages.isEmpty());
        set->SetActive(false);
        QVERIFY(!set->FieldByName("Level"));
        QCOMPARE(set->GetRecordCount(), 1); // kept until the next load
    }

    void navigation() {
        auto set = MakeSet("nav");
        set->SetActive(true);
        // Two hours of one day and a second day.
        Fill(*set, {At(9, 0), At(9, 0, 1), At(10, 30), kDay + 1 + EncodeTime(8, 0, 0)}, {"a", "b", "c", "d"});
        set->SetActive(false);
        set->SetActive(true);
        QCOMPARE(set->GetRecordCount(), 4);
        QVERIFY(set->First());
        QVERIFY(!set->Prior()); // record 0: no move
        QCOMPARE(set->GetRecordNumber(), 0);
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("a"));
        QCOMPARE(set->CurrentTime(), At(9, 0));
        QVERIFY(set->Last());
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("d"));
        QVERIFY(!set->Next());
        QCOMPARE(set->GetRecordNumber(), 3);
        QVERIFY(set->Prior());
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("c"));
        QCOMPARE(set->GetLocalRecordNumber(), 0);
        QVERIFY(!set->GotoRecordNumber(4));
        QVERIFY(!set->GotoRecordNumber(-1));
        QCOMPARE(set->GetRecordNumber(), 2);

        // A range loads only its records (the second day's folder is not read)
        // and finds them in their files by a binary search.
        QVERIFY(set->SetRange(At(9, 0, 1), At(23, 0)));
        QCOMPARE(Walk(*set), QStringList({"b", "c"}));
        QVERIFY(!set->Append(At(8, 0))); // outside the range
        QVERIFY(set->Append(At(9, 30)));
        QVERIFY(set->CancelRange());
        QCOMPARE(set->GetRecordCount(), 5);
        QVERIFY(TP().messages.isEmpty());
    }

    void repeatedStamp() {
        auto set = MakeSet("repeat");
        set->SetAppendMode(false);
        set->SetActive(true);
        QVERIFY(set->Append(At(14, 5)));
        const QByteArray before = ReadBytes("repeat/2024_03_15.VMD/T14.VMD");
        QVERIFY(!set->Append(At(14, 5)));
        QCOMPARE(ReadBytes("repeat/2024_03_15.VMD/T14.VMD"), before);
        QCOMPARE(set->GetRecordCount(), 1);
        set->SetAppendMode(true);
        QVERIFY(set->Append(At(14, 5)));
        QCOMPARE(set->GetRecordCount(), 2);
        // Stamps that no load would ever show again are refused.
        QVERIFY(!set->Append(0.0));
        QVERIFY(!set->Append(std::numeric_limits<double>::quiet_NaN()));
    }

    void numbers_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("point under comma") << QChar(',') << "45366.5" << 45366.5;
        QTest::newRow("comma under comma") << QChar(',') << "45366,5" << 45366.5;
        QTest::newRow("comma under point") << QChar('.') << "45366,5" << 45366.5;
        QTest::newRow("integer") << QChar(',') << "45366" << 45366.0;
        QTest::newRow("empty") << QChar('.') << "" << 0.0;
        QTest::newRow("text") << QChar('.') << "abc" << 0.0;
        QTest::newRow("two points") << QChar(',') << "1.2.3" << 0.0;
    }
    void numbers() {
        QFETCH(QChar, separator);
        QFETCH(QString, text);
        QFETCH(double, value);
        SetDecimalSeparator(separator);
        QCOMPARE(TIniDataSet::StringToDouble(text), value);
    }

    void pointFileUnderCommaLocale() {
        WriteBytes(
            "comma/2024_03_15.VMD/T12.VMD",
            "[Header]\nRecordCount=2\nR0=45366.5\nR1=45366.5000115741\n[R0]\nLevel=1.5\n[R1]\nLevel=2,5\n");
        SetDecimalSeparator(',');
        auto set = MakeSet("comma");
        set->SetActive(true);
        QCOMPARE(set->GetRecordCount(), 2);
        QCOMPARE(set->CurrentTime(), 45366.5);
        QCOMPARE(set->FieldByName("Level")->GetAsFloat(), 1.5);
        QVERIFY(set->Next());
        QCOMPARE(set->GetLocalRecordNumber(), 1);
        QCOMPARE(set->FieldByName("Level")->GetAsFloat(), 2.5);
        // New stamps and values are written with the workstation's separator.
        set->FieldByName("Level")->SetAsFloat(0.125);
        QCOMPARE(set->GetFieldValByName("Level"), QString("0,125"));
        QVERIFY(set->Append(At(12, 0, 2)));
        QVERIFY(ReadBytes("comma/2024_03_15.VMD/T12.VMD").contains("R2=45366,5000231481\n"));
    }

    void windows1251FileStaysSo() {
        const QByteArray text = *StringToCp1251(QStringLiteral("[Header]\r\nRecordCount=1\r\nR0=45366.5\r\n"
                                                               "[R0]\r\nLevel=1\r\nPump=вкл\r\n"));
        WriteBytes("cp/2024_03_15.VMD/T12.VMD", text);
        auto set = MakeSet("cp");
        set->SetActive(true);
        QCOMPARE(set->FieldByName("Pump")->GetAsString(), QString("вкл"));
        set->FieldByName("Level")->SetAsInteger(2);
        QCOMPARE(ReadBytes("cp/2024_03_15.VMD/T12.VMD"), QByteArray(text).replace("Level=1", "Level=2"));
    }

    void damagedHeaderInBinarySearch() {
        // Eight records, the stamp of R3 missing.
        QByteArray text = "[Header]\nRecordCount=8\n";
        for (int i = 0; i < 8; ++i)
            if (i != 3)
                text +=
                    "R" + QByteArray::number(i) + "=" + TIniDataSet::StampText(At(7, 0, i)).toUtf8() + "\n";
        for (int i = 0; i < 8; ++i)
            text += "[R" + QByteArray::number(i) + "]\nLevel=" + QByteArray::number(i) + "\n";
        WriteBytes("damaged/2024_03_15.VMD/T07.VMD", text);
        auto set = MakeSet("damaged");
        QVERIFY(set->SetRange(kDay, kDay + 1));
        QCOMPARE(set->GetRecordCount(), 7);
        QVERIFY(TP().messages.isEmpty());  // the first record is found without a search
        QVERIFY(set->GotoRecordNumber(4)); // R5: neither first nor last
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Файл поврежден!"));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        QCOMPARE(set->GetLocalRecordNumber(), -1);
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString());
        // Nothing is written into a record that was not found.
        QVERIFY(!set->SetFieldValByName("Level", "x"));
        QVERIFY(!ReadBytes("damaged/2024_03_15.VMD/T07.VMD").contains("[R-1]"));
        // Without a range a record's place in the list names its place in the
        // file, but not past the missing stamp: there the header decides, and
        // no record is shown with another record's values.
        QVERIFY(set->CancelRange());
        TP().Reset();
        QCOMPARE(Walk(*set), QStringList({"0", "1", "2", "-", "-", "-", "7"}));
        QCOMPARE(TP().messages.size(), 3);
    }

    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("range");
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<int>("messages");
        const QByteArray s0 = TIniDataSet::StampText(At(7, 0, 0)).toUtf8();
        const QByteArray s1 = TIniDataSet::StampText(At(7, 0, 1)).toUtf8();
        const QByteArray s2 = TIniDataSet::StampText(At(7, 0, 2)).toUtf8();
        const QByteArray three = "R0=" + s0 + "\nR1=" + s1 + "\nR2=" + s2 + "\n";
        QTest::newRow("stamp is text") << "RecordCount=3\nR0=" + s0 + "\nR1=xyz\nR2=" + s2 + "\n"
                                       << false << QStringList{"a", "c"} << 0;
        QTest::newRow("stamp is text, range") << "RecordCount=3\nR0=" + s0 + "\nR1=xyz\nR2=" + s2 + "\n"
                                              << true << QStringList{"a", "c"} << 0;
        QTest::newRow("first stamp is text") << "RecordCount=3\nR0=abc\nR1=" + s1 + "\nR2=" + s2 + "\n"
                                             << false << QStringList{"b", "c"} << 0;
        QTest::newRow("stamp beyond any date") << "RecordCount=3\nR0=" + s0 + "\nR1=1e300\nR2=" + s2 + "\n"
                                               << false << QStringList{"a", "c"} << 0;
        QTest::newRow("count beyond the records")
            << "RecordCount=1000000000\n" + three << false << QStringList{"a", "b", "c"} << 0;
        QTest::newRow("count beyond the records, range")
            << "RecordCount=2147483647\n" + three << true << QStringList{"a", "-", "-"} << 2;
        QTest::newRow("count is text") << "RecordCount=abc\n" + three << false << QStringList{} << 0;
        // Reached by the count though the keys before it are missing (R0 among
        // them, so no record of the file can be located).
        QTest::newRow("only the last stamp") << "RecordCount=3\nR2=" + s2 + "\n" << false << QStringList{"-"} << 0;
        QTest::newRow("count negative") << "RecordCount=-5\n" + three << true << QStringList{} << 0;
    }
    void damagedFiles() {
        QFETCH(QByteArray, header);
        QFETCH(bool, range);
        QFETCH(QStringList, levels);
        QFETCH(int, messages);
        const QString root = QStringLiteral("bad/") + QTest::currentDataTag();
        const QString file = root + "/2024_03_15.VMD/T07.VMD";
        WriteBytes(file, "[Header]\n" + header + "[R0]\nLevel=a\n[R1]\nLevel=b\n[R2]\nLevel=c\n");
        auto set = MakeSet(root);
        if (range)
            set->SetRange(kDay, kDay + 1);
        else
            set->SetActive(true);
        QCOMPARE(Walk(*set), levels);
        QCOMPARE(TP().messages.size(), messages);
        // An append never overwrites a record, whatever the count says, and
        // adds its record alone: opened again, the list is the one in memory.
        set->Append(At(7, 30));
        QVERIFY(ReadBytes(file).contains("[R0]\nLevel=a\n[R1]\nLevel=b\n[R2]\nLevel=c\n"));
        auto again = MakeSet(root);
        if (range)
            again->SetRange(kDay, kDay + 1);
        else
            again->SetActive(true);
        QCOMPARE(again->RecordList(), set->RecordList());
    }

    void deleteRecord() {
        auto set = MakeSet("del");
        set->SetActive(true);
        QVERIFY(!set->Delete()); // nothing to delete
        Fill(*set, {At(9, 0), At(9, 0, 1), At(9, 0, 2), At(10, 0)}, {"a", "b", "c", "d"});
        set->SetActive(false);
        QVERIFY(!set->Delete()); // closed
        set->SetActive(true);
        QVERIFY(set->GotoRecordNumber(1));
        QVERIFY(set->Delete());
        // The record after it took its place, in the list and in the file.
        QCOMPARE(set->GetRecordCount(), 3);
        QCOMPARE(set->GetRecordNumber(), 1);
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("c"));
        QCOMPARE(set->GetLocalRecordNumber(), 1);
        const QString file = "del/2024_03_15.VMD/T09.VMD";
        const QString s0 = TIniDataSet::StampText(At(9, 0));
        const QString s2 = TIniDataSet::StampText(At(9, 0, 2));
        QCOMPARE(QString::fromUtf8(ReadBytes(file)),
                 "[Header]\nRecordCount=2\nR0=" + s0 + "\nR1=" + s2 +
                     "\n\n[R0]\nLevel=a\nPump=\n\n[R1]\nLevel=c\nPump=\n");
        // The last record of a file, then the last of all.
        QVERIFY(set->Delete());
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("d"));
        QVERIFY(set->Delete());
        QCOMPARE(set->GetRecordNumber(), 0);
        QCOMPARE(set->FieldByName("Level")->GetAsString(), QString("a"));
        QVERIFY(set->Delete());
        QCOMPARE(set->GetRecordCount(), 0);
        QVERIFY(!set->Delete());
        set->SetActive(false);
        set->SetActive(true);
        QCOMPARE(set->GetRecordCount(), 0);
        QVERIFY(TP().messages.isEmpty());
    }

    void deleteRefusedWhenNotFound() {
        auto set = MakeSet("delgone");
        set->SetActive(true);
        Fill(*set, {At(9, 0), At(9, 0, 1)}, {"a", "b"});
        QVERIFY(set->First());
        // Someone else rewrote the file meanwhile: the record is no longer there.
        const QString file = "delgone/2024_03_15.VMD/T09.VMD";
        const QByteArray other = "[Header]\nRecordCount=1\nR0=45366.1\n[R0]\nLevel=z\n";
        WriteBytes(file, other);
        QVERIFY(!set->Delete());
        QCOMPARE(ReadBytes(file), other);
        QCOMPARE(set->GetRecordCount(), 2);
    }

    void openAndWriteErrors() {
        TIniDataSet set;
        set.SetActive(true);
        QVERIFY(!set.GetActive());
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Set RootDir and TableName!"));
        QCOMPARE(TP().messages[0].caption, QString("Error"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        WriteBytes("afile", "x");
        set.SetRootDir("afile/sub");
        set.SetTableName("T");
        set.SetActive(true);
        QVERIFY(!set.GetActive());
        QCOMPARE(TP().messages.last().text, QString("Invalid RootDir!"));

        // A file that cannot be written: the append says so and changes nothing.
        TP().Reset();
        auto ok = MakeSet("wfail");
        ok->SetActive(true);
        // (a day folder nobody may write into)
        QVERIFY(QDir().mkpath("wfail/2024_03_15.VMD"));
        QVERIFY(::chmod("wfail/2024_03_15.VMD", 0555) == 0);
        {
            ObeyPermissions obey;
            if (obey.Active()) {
                QVERIFY(!ok->Append(At(14, 5)));
                QCOMPARE(ok->GetRecordCount(), 0);
                QCOMPARE(TP().messages.size(), 1);
                QVERIFY2(TP().messages[0].text.startsWith("Не удается записать файл"),
                         qPrintable(TP().messages[0].text));
            }
        }
        QVERIFY(::chmod("wfail/2024_03_15.VMD", 0755) == 0);
        if (TP().messages.isEmpty())
            qWarning("the unwritable folder was not tried: permissions cannot be enforced here");
        // A value that would break its line is refused.
        QVERIFY(ok->Append(At(15, 0)));
        QVERIFY(!ok->SetFieldValByName("Level", "1\n[R0]"));
        QVERIFY(!ok->SetFieldValByName("Nope", "1"));
        QVERIFY(!ReadBytes("wfail/2024_03_15.VMD/T15.VMD").contains("[R0]\nLevel=1"));
    }

    // A day file that exists but cannot be read is no empty file: nothing is
    // appended to it or written into it (that would replace its records with
    // one), the reason is shown, and the file is as it was once readable again.
    void unreadableFileIsLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("loadSays"); // opening the set names the file
        QTest::newRow("no read permission") << "permission" << true;
        QTest::newRow("a folder in its place") << "folder" << false; // a folder is no day file to load
        QTest::newRow("a pipe in its place") << "fifo" << false; // not listed; opening one would wait for a writer
    }
    void unreadableFileIsLeftAlone() {
        QFETCH(QString, kind);
        QFETCH(bool, loadSays);
        const QString root = QStringLiteral("unreadable/") + kind;
        const QString file = root + "/2024_03_15.VMD/T14.VMD";
        const QString aside = file + ".aside";
        auto live = MakeSet(root);
        live->SetActive(true);
        Fill(*live, {At(14, 5), At(14, 6), At(15, 0)}, {"a", "b", "c"});
        QVERIFY(live->First());
        const QByteArray before = ReadBytes(file);
        QVERIFY(before.contains("Level=b"));

        std::optional<ObeyPermissions> obey;
        if (kind == "permission") {
            obey.emplace();
            if (!obey->Active())
                QSKIP("file permissions cannot be enforced for this process");
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0) == 0);
        } else {
            QVERIFY(QFile::rename(file, aside));
            if (kind == "folder")
                QVERIFY(QDir().mkpath(file));
            else
                QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0644) == 0);
        }
        const QString says = "Не удается прочитать файл " + file;
        // The set that had it open...
        QVERIFY(!live->SetFieldValByName("Level", "x"));
        TP().Reset();
        live->FieldByName("Level")->SetAsString("y");
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.startsWith(says), qPrintable(TP().messages[0].text));
        QCOMPARE(live->FieldByName("Level")->GetAsString(), QString("a"));
        TP().Reset();
        QVERIFY(!live->Append(At(14, 30)));
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.startsWith(says), qPrintable(TP().messages[0].text));
        QCOMPARE(live->GetRecordCount(), 3);
        QVERIFY(!live->Delete());
        // ...and one opened now: the other hour's record is there, this hour's
        // are missing for a reason given.
        TP().Reset();
        auto fresh = MakeSet(root);
        fresh->SetActive(true);
        QCOMPARE(fresh->GetRecordCount(), 1);
        QCOMPARE(TP().messages.size(), loadSays ? 1 : 0);
        if (loadSays)
            QVERIFY2(TP().messages[0].text.startsWith(says), qPrintable(TP().messages[0].text));
        TP().Reset();
        QVERIFY(!fresh->Append(At(14, 30)));
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY2(TP().messages[0].text.startsWith(says), qPrintable(TP().messages[0].text));

        if (kind == "permission") {
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);
            obey.reset();
        } else {
            QVERIFY(!QFileInfo(file).isFile());
            QVERIFY(kind == "folder" ? QDir().rmdir(file) : QFile::remove(file));
            QVERIFY(QFile::rename(aside, file));
        }
        QCOMPARE(ReadBytes(file), before);
        // Readable again, it is written again.
        QVERIFY(fresh->Append(At(14, 30)));
        QVERIFY(live->First());
        QVERIFY(live->SetFieldValByName("Level", "z"));
        auto again = MakeSet(root);
        again->SetActive(true);
        QCOMPARE(Walk(*again), QStringList({"z", "b", "", "c"}));
    }
};

ORDAL_TEST_MAIN(TstIniDataSet)
#include "tst_inidataset.moc"
