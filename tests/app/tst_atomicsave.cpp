// Saving never leaves half a file: a child saves the main configuration and
// an element's look in a loop and is killed (SIGKILL) at random moments, a
// thousand times; each file is then whole, and wholly the old or the new one.

#include "IniFile.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

namespace {

QByteArray Read(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The two versions of the main configuration, as written.
QByteArray MainVersion(bool b) {
    return QStringLiteral("[main]\nCaption=%1\nFirstChangeStart=%2\nDateIncrement=%3\nShutdownOnExit=0\n\n"
                          "[MySQL]\nLogin=%4\nComp=%5\nVersion=5\nSavePassword=0\nPassword=\n")
        .arg(b ? "B" : "A", b ? "8" : "7", b ? "1" : "0", b ? "login-b" : "login-a", b ? "host-b" : "host-a")
        .toUtf8();
}

} // namespace

class TstAtomicSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileSavingLeavesWholeFiles() {
        const QString dir = TestDir() + "/kill";
        QDir().mkpath(dir);
        QRandomGenerator rng(12345);
        int killedWriting = 0;
        for (int i = 0; i < 1000; ++i) {
            QProcess child;
            child.start(QStringLiteral(ORDAL_INI_WRITER), {dir});
            QVERIFY(child.waitForReadyRead(10000));
            QThread::usleep(rng.bounded(20000));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            const QByteArray main = Read(dir + "/ordal.INI");
            if (main.isEmpty())
                continue; // killed before its first save
            QVERIFY2(main == MainVersion(false) || main == MainVersion(true), main.constData());
            const QByteArray look = Read(dir + "/FormMnemo.INI");
            if (look.isEmpty())
                continue;
            IniFile ini(dir + "/FormMnemo.INI");
            const int width = ini.ReadInteger("Arrow1", "ArrowWidth", -1);
            const int colour = ini.ReadInteger("Arrow1", "Color", -1);
            const int edge = ini.ReadInteger("Arrow1", "EdgeLength", -1);
            const bool a = width == 3 && colour == 0x000000FF && edge == 10;
            const bool b = width == 5 && colour == 0x00FF0000 && edge == 12;
            QVERIFY2(a || b, look.constData());
            killedWriting += 1;
        }
        qInfo("%d kills after the first save", killedWriting);
        QVERIFY(killedWriting > 900);
    }
};

ORDAL_TEST_MAIN(TstAtomicSave)
#include "tst_atomicsave.moc"
