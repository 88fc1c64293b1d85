// Saving never leaves half a file: a child saves the main configuration and
// an element's look in a loop and is killed (SIGKILL) at a random moment, a
// thousand times, each time in a fresh folder of large files; every file is
// then whole, and wholly one of the two versions the child writes (the first
// round of saves has always ended before the kill, so neither the old file nor
// an empty or cut-off one is acceptable). A child made to write in place, as a
// writer that is not atomic would, must be caught.

#include "IniWriterRound.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace {

QByteArray Read(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& name, const QByteArray& data) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

void Seed(const QString& dir) {
    QVERIFY(QDir().mkpath(dir));
    Write(atomicsave::MainFile(dir), atomicsave::MainSeed());
    Write(atomicsave::LookFile(dir), atomicsave::LookSeed());
}

// The two versions of each file, as the real saves write them.
struct Versions {
    QByteArray main[2];
    QByteArray look[2];
};

void MakeVersions(Versions* v) {
    const QString dir = TestDir() + "/versions";
    Seed(dir);
    TArrow arrow;
    arrow.setObjectName(QStringLiteral("Arrow1"));
    for (const bool b : {false, true}) {
        atomicsave::SaveRound(dir, arrow, b);
        v->main[b] = Read(atomicsave::MainFile(dir));
        v->look[b] = Read(atomicsave::LookFile(dir));
    }
    // Version A written over B is the same file as A written over the seed.
    atomicsave::SaveRound(dir, arrow, false);
    QCOMPARE(Read(atomicsave::MainFile(dir)), v->main[0]);
    QCOMPARE(Read(atomicsave::LookFile(dir)), v->look[0]);
    QVERIFY(v->main[0] != v->main[1] && v->look[0] != v->look[1]);
    // Large enough that writing one takes many write calls.
    QVERIFY(v->main[0].size() > 64 * 1024 && v->look[0].size() > 64 * 1024);
}

struct Outcome {
    int kills = 0;
    int damaged = 0;
    int seen[2] = {0, 0}; // kills that found the main file in version A, B
    QString firstDamage;
};

// Kills a writer `times` times at random moments after its first round of
// saves (stopping at the first damaged file when asked) and judges the files.
void Kill(int times, bool inPlace, bool stopAtDamage, const Versions& v, Outcome* out) {
    // In memory where there is some: a kill, unlike a power cut, loses nothing
    // the kernel was given, so the outcome is that of a disk, and the saves
    // are quicker, so the kills hit more of them.
    const QString base = QDir("/dev/shm").isReadable() && QFileInfo("/dev/shm").isWritable()
                             ? QStringLiteral("/dev/shm/ordal-atomicsave-XXXXXX")
                             : TestDir() + "/kills-XXXXXX";
    QTemporaryDir root(base);
    QVERIFY(root.isValid());
    QRandomGenerator rng(12345);
    for (int i = 0; i < times; ++i) {
        const QString dir = root.filePath(QString::number(i));
        Seed(dir);
        QProcess child;
        QStringList args{dir};
        if (inPlace)
            args << QStringLiteral("--truncate-then-write");
        child.start(QStringLiteral(ORDAL_INI_WRITER), args);
        QByteArray said;
        while (!said.contains("ready\n")) {
            QVERIFY2(child.waitForReadyRead(30000), "the writer never finished its first round");
            said += child.readAllStandardOutput();
        }
        QThread::usleep(rng.bounded(20000));
        child.kill();
        QVERIFY(child.waitForFinished(30000));
        ++out->kills;
        const QByteArray main = Read(atomicsave::MainFile(dir));
        const QByteArray look = Read(atomicsave::LookFile(dir));
        const bool mainWhole = main == v.main[0] || main == v.main[1];
        const bool lookWhole = look == v.look[0] || look == v.look[1];
        if (main == v.main[1])
            ++out->seen[1];
        else if (main == v.main[0])
            ++out->seen[0];
        if (!mainWhole || !lookWhole) {
            ++out->damaged;
            if (out->firstDamage.isEmpty())
                out->firstDamage = QStringLiteral("kill %1: %2 of %3 bytes, %4 of %5 bytes")
                                       .arg(i)
                                       .arg(main.size())
                                       .arg(v.main[0].size())
                                       .arg(look.size())
                                       .arg(v.look[0].size());
            if (stopAtDamage)
                return;
        }
        QVERIFY(QDir(dir).removeRecursively());
    }
}

} // namespace

class TstAtomicSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileSavingLeavesWholeFiles() {
        Versions v;
        MakeVersions(&v);
        if (QTest::currentTestFailed())
            return;
        Outcome o;
        Kill(1000, false, false, v, &o);
        if (QTest::currentTestFailed())
            return;
        qInfo("%d kills: %d found version A, %d version B, %d a damaged file", o.kills, o.seen[0], o.seen[1],
              o.damaged);
        QCOMPARE(o.kills, 1000);
        QVERIFY2(o.damaged == 0, qPrintable(o.firstDamage));
        // The kills fell on many saves, not on one moment of the loop.
        QVERIFY(o.seen[0] > 0 && o.seen[1] > 0);
    }

    // The same kills catch a writer that truncates the file and writes it anew.
    void writingInPlaceIsCaught() {
        Versions v;
        MakeVersions(&v);
        if (QTest::currentTestFailed())
            return;
        Outcome o;
        Kill(200, true, true, v, &o);
        if (QTest::currentTestFailed())
            return;
        qInfo("in place: damaged after %d kills (%s)", o.kills, qPrintable(o.firstDamage));
        QVERIFY(o.damaged > 0);
    }
};

ORDAL_TEST_MAIN(TstAtomicSave)
#include "tst_atomicsave.moc"
