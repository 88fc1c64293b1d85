#include "Cp1251.h"
#include "IniFile.h"
#include "NumText.h"
#include "ObeyPermissions.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>

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

// Releases a reader that waits on the pipe for a writer that never comes, by
// coming as that writer, and remembers that it had to: a read of a pipe put in
// a file's place would otherwise hold the test (and the program) for ever.
// The wait before it steps in only keeps it from meeting a reader that opens
// and closes the pipe at once, which does not wait.
class PipeWatch {
public:
    explicit PipeWatch(const QString& fifo) {
        if (!fifo.isEmpty())
            thread_ = std::thread([this, path = QFile::encodeName(fifo)] { Watch(path); });
    }
    ~PipeWatch() { Stop(); }
    bool ReaderWaited() {
        Stop();
        return waited_;
    }

private:
    void Watch(const QByteArray& path) {
        std::unique_lock lock(m_);
        if (cv_.wait_for(lock, std::chrono::seconds(30), [this] { return stop_; }))
            return;
        while (!cv_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; })) {
            // Opens only while somebody has the reading end open.
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                waited_ = true;
                ::close(fd);
            }
        }
    }
    void Stop() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    bool waited_ = false;
    std::thread thread_;
};

// Runs a write: the text it was refused with, or "(written)".
template <class F> QString Refusal(F&& write) {
    try {
        write();
    } catch (const IniFileError& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(written)");
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

    // A configuration file that exists but cannot be read is no empty file:
    // every read gives its default, every write is refused with the reason and
    // leaves the file as it was (before, the first write replaced it with a
    // file of one key: the stored password, the colours and the looks were
    // gone), and a pipe in its place does not hold the reader. Once readable,
    // the same object reads it and writes into it again.
    void unreadableFileIsLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no permission at all") << "mode 000";
        QTest::newRow("written but not read") << "mode 200";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("a pipe in its place") << "pipe";
        QTest::newRow("a read that fails") << "io error"; // /proc/self/mem at offset 0 gives EIO
    }
    void unreadableFileIsLeftAlone() {
        QFETCH(QString, kind);
        const QString name = TestDir() + "/unreadable-" + QString(kind).replace(' ', '-') + ".ini";
        const QString aside = name + ".aside";
        const QByteArray content =
            "; workstation\r\n[main]\r\nFirstChangeStart=8\r\n[MySQL]\r\nSavePassword=1\r\n"
            "Password=5Q555Q<1U5\r\n[OnColors]\r\nWater=0x00FFFF00\r\n";
        WriteBytes(name, content);
        IniFile ini(name); // read once while readable, then not
        QCOMPARE(ini.ReadString("MySQL", "Password", "-"), QString("5Q555Q<1U5"));

        std::optional<ObeyPermissions> obey;
        const QByteArray path = QFile::encodeName(name);
        if (kind.startsWith("mode")) {
            obey.emplace();
            if (!obey->Active())
                QSKIP("file permissions cannot be enforced for this process");
            QVERIFY(::chmod(path.constData(), kind == "mode 000" ? 0 : 0200) == 0);
        } else {
            QVERIFY(QFile::rename(name, aside));
            if (kind == "folder")
                QVERIFY(QDir().mkpath(name));
            else if (kind == "pipe")
                QVERIFY(::mkfifo(path.constData(), 0644) == 0);
            else
                QVERIFY(QFile::link("/proc/self/mem", name));
        }
        const QString says = "Не удается прочитать файл " + name + ": ";
        {
            PipeWatch watch(kind == "pipe" ? name : QString());
            IniFile fresh(name); // as at start-up
            for (const IniFile* f : {&ini, &fresh}) {
                QCOMPARE(f->ReadString("MySQL", "Password", "-"), QString("-"));
                QCOMPARE(f->ReadInteger("main", "FirstChangeStart", 7), 7);
                QVERIFY(f->ReadSections().isEmpty());
                QVERIFY(!f->SectionExists("OnColors"));
                QVERIFY2(f->ReadError().startsWith(says), qPrintable(f->ReadError()));
            }
            const QList<std::function<void()>> writes = {
                [&] { ini.WriteString("MySQL", "Login", "root"); },
                [&] { fresh.WriteInteger("main", "FirstChangeStart", 9); },
                [&] {
                    fresh.Begin();
                    fresh.WriteString("MySQL", "Comp", "127.0.0.1");
                    fresh.WriteBool("MySQL", "SavePassword", false);
                    fresh.Commit();
                },
                [&] { ini.DeleteKey("MySQL", "Password"); },
                [&] { ini.EraseSection("OnColors"); },
            };
            for (const auto& write : writes) {
                const QString refusal = Refusal(write);
                QVERIFY2(refusal.startsWith(says), qPrintable(refusal));
            }
            QVERIFY2(!watch.ReaderWaited(), "a read waited for a writer on the pipe in the file's place");
        }

        if (obey) {
            QVERIFY(::chmod(path.constData(), 0644) == 0);
            obey.reset();
        } else {
            QVERIFY(kind == "folder" ? QDir().rmdir(name) : QFile::remove(name));
            QVERIFY(QFile::rename(aside, name));
        }
        QCOMPARE(ReadBytes(name), content);
        QVERIFY(ini.ReadError().isEmpty());
        QCOMPARE(ini.ReadString("MySQL", "Password", "-"), QString("5Q555Q<1U5"));
        ini.WriteString("MySQL", "Login", "root");
        QCOMPARE(ReadBytes(name), QByteArray(content).replace("Password=5Q555Q<1U5\r\n",
                                                              "Password=5Q555Q<1U5\r\nLogin=root\r\n"));
    }

    void unwritableFileThrowsAndKeepsNothingHalf() {
        IniFile ini(TestDir() + "/no/such/dir/x.ini");
        QVERIFY_THROWS_EXCEPTION(IniFileError, ini.WriteString("s", "k", "v"));
    }
};

ORDAL_TEST_MAIN(TstIniFile)
#include "tst_inifile.moc"
