// A child of tst_atomicsave: saves the main configuration and an arrow's look
// into DIR over and over, alternating two versions of each, until it is
// killed. "ready" on stdout says that the first round of saves is on disk.
//   ini_writer DIR [--truncate-then-write]
// The switch makes it a writer that is not atomic, for the test to show that
// it catches one: the same files, written over in place (truncated, then
// written 4 KB at a time).

#include "IniWriterRound.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray Read(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteInPlace(const QString& name, const QByteArray& data) {
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_TRUNC | O_CREAT, 0644);
    if (fd < 0)
        return;
    for (qsizetype at = 0; at < data.size();) {
        const ssize_t n =
            ::write(fd, data.constData() + at, size_t(std::min<qsizetype>(4096, data.size() - at)));
        if (n <= 0)
            break;
        at += n;
    }
    ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const bool inPlace = argc > 2 && qstrcmp(argv[2], "--truncate-then-write") == 0;
    TArrow arrow;
    arrow.setObjectName(QStringLiteral("Arrow1"));

    // The versions, made by the real saves in a scratch folder.
    QByteArray main[2], look[2];
    if (inPlace) {
        const QString scratch = dir + QStringLiteral("/.versions");
        QDir().mkpath(scratch);
        QFile::copy(atomicsave::MainFile(dir), atomicsave::MainFile(scratch));
        QFile::copy(atomicsave::LookFile(dir), atomicsave::LookFile(scratch));
        for (const bool b : {false, true}) {
            atomicsave::SaveRound(scratch, arrow, b);
            main[b] = Read(atomicsave::MainFile(scratch));
            look[b] = Read(atomicsave::LookFile(scratch));
        }
    }
    for (unsigned n = 0;; ++n) {
        const bool b = n % 2;
        if (inPlace) {
            WriteInPlace(atomicsave::MainFile(dir), main[b]);
            WriteInPlace(atomicsave::LookFile(dir), look[b]);
        } else {
            atomicsave::SaveRound(dir, arrow, b);
        }
        if (n == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
}
