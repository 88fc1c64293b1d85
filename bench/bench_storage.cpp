// The day-file data set's costs, each as a ratio to a baseline measured in the
// same run on the same file. A day of one-per-second records (86400, four
// fields each) is written once, in both layouts: 24 hour files of 3600 records
// in a day folder, and one day file of 86400 records.
//
//  locate  finding a record of the open file by its stamp (DetectLocalRecordNumber
//          with a range on: the binary search over the header), against one key
//          read of the same file through the house's IniFile; and, stricter,
//          against one key read (of the same records' stamps) through the data
//          set's own indexed reader with its check that the file is current.
//          Target <= 20.
//  append  appending a record (count, stamp and the record's section in one
//          atomic write) against one key written into the same file through
//          IniFile (also one atomic write). Target <= 5.
//
// bench_storage [DIR] puts the files under DIR (default: a temporary folder);
// both sides of every ratio use the same file system.

#include "IndexedIniFile.h"
#include "IniFile.h"
#include "Inidataset.h"
#include "NumText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <utility>
#include <vector>

namespace {

const TDateTime kDay = EncodeDate(2024, 3, 15);
const QStringList kFields = {"RecordTime", "Level", "Density", "Valve", "Pump"};

// The fastest of `rounds` rounds, per call, in nanoseconds: other work on a
// shared machine only ever adds time, so the minimum is the steadiest figure.
double TimeIt(const std::function<void()>& fn, int rounds, int perRound) {
    std::vector<double> t;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i)
            fn();
        t.push_back(double(timer.nsecsElapsed()) / perRound);
    }
    return *std::min_element(t.begin(), t.end());
}

// The records of seconds [from, to) of the day, as Append and the field
// setters would have left them.
QByteArray FileText(int from, int to) {
    QByteArray head = "[Header]\nRecordCount=" + QByteArray::number(to - from) + "\n";
    QByteArray body;
    for (int s = from; s < to; ++s) {
        const int i = s - from;
        head +=
            "R" + QByteArray::number(i) + "=" + TIniDataSet::StampText(kDay + s * OneSecond).toUtf8() + "\n";
        body += "\n[R" + QByteArray::number(i) + "]\nLevel=" + QByteArray::number(1500 + s % 700) +
                "\nDensity=" + QByteArray::number(1300 + s % 500) +
                ".5\nValve=" + QByteArray::number(s % 100) + "\nPump=" + QByteArray::number(s % 2) + "\n";
    }
    return head + body;
}

// Two operations timed in alternating rounds, so that a change in the load of
// a shared machine reaches both; the fastest round of each, per call, in ns.
std::pair<double, double> TimePair(const std::function<void()>& a, const std::function<void()>& b, int rounds,
                                   int perRound) {
    double ta = 1e300, tb = 1e300;
    for (int r = 0; r < rounds; ++r) {
        ta = std::min(ta, TimeIt(a, 1, perRound));
        tb = std::min(tb, TimeIt(b, 1, perRound));
    }
    return {ta, tb};
}

void Write(const QString& name, const QByteArray& data) {
    QDir().mkpath(QFileInfo(name).path());
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
}

struct Layout {
    const char* name;
    bool hourToFile;
};

void Run(const QString& root, const Layout& layout) {
    TIniDataSet set;
    set.SetRootDir(root);
    set.SetTableName("T");
    set.SetHourToFile(layout.hourToFile);
    set.SetFieldList(kFields);
    if (layout.hourToFile) {
        for (int h = 0; h < 24; ++h)
            Write(set.FileNameByTime(kDay + h / 24.0), FileText(h * 3600, (h + 1) * 3600));
    } else {
        Write(set.FileNameByTime(kDay), FileText(0, 86400));
    }
    // A range: the record is found by the binary search over its file's header.
    set.SetRange(kDay, kDay + 1);
    if (set.GetRecordCount() != 86400) {
        std::fprintf(stderr, "loaded %d records, not 86400\n", set.GetRecordCount());
        return;
    }
    // Records of the hour 12 file (the whole day in the one-file layout).
    const int first = layout.hourToFile ? 12 * 3600 : 0;
    const int count = layout.hourToFile ? 3600 : 86400;
    set.GotoRecordNumber(first);
    const QString file = set.OpenFileName();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(first, first + count - 1);
    std::vector<int> targets(4096);
    for (int& t : targets)
        t = pick(rng);
    std::size_t k = 0;
    bool allFound = true;
    auto locateOne = [&] {
        set.SetRecordNumber(targets[k++ % targets.size()]);
        allFound = set.DetectLocalRecordNumber() && allFound;
    };
    const double gotoRecord = TimeIt([&] { set.GotoRecordNumber(targets[k++ % targets.size()]); }, 7, 2000);

    IniFile ini(file);
    const QString middle = "R" + QString::number(count / 2);
    ini.ReadString("Header", "RecordCount", QString()); // loaded once, as the data set's file is
    const auto [locateA, iniFirstKey] = TimePair(
        locateOne, [&] { ini.ReadString("Header", "RecordCount", QString()); }, 7, 20);
    const auto [locateB, iniMiddleKey] = TimePair(
        locateOne, [&] { ini.ReadString("Header", middle, QString()); }, 7, 20);
    // The same records' stamp keys, their texts made beforehand.
    QStringList keys;
    for (const int n : targets)
        keys << "R" + QString::number(n - first);
    std::size_t j = 0;
    IndexedIniFile own(file);
    own.Refresh();
    const auto [locate, ownKey] = TimePair(
        locateOne,
        [&] {
            own.Refresh();
            own.ReadString("Header", keys[qsizetype(j++ % targets.size())], QString());
        },
        15, 2000);

    std::printf("%s (%d records in the file)\n", layout.name, count);
    std::printf("  locate  %.0f ns%s; with the record's fields read (GotoRecordNumber) %.0f ns\n", locate,
                allFound ? "" : " (SOME NOT FOUND)", gotoRecord);
    std::printf(
        "          vs IniFile key read: first key %.0f ns, ratio %.3f; middle key %.0f ns, ratio %.4f\n",
        iniFirstKey, locateA / iniFirstKey, iniMiddleKey, locateB / iniMiddleKey);
    std::printf("          vs indexed key read with freshness check %.0f ns, ratio %.2f   (target <= 20)\n",
                ownKey, locate / ownKey);

    // Appends at the end of the day: into the open hour 23 file, or the day file.
    set.SetAppendMode(false);
    TDateTime t = kDay + 86399 * OneSecond;
    set.Append(t); // the file of the appends is now open
    const QString appendFile = set.OpenFileName();
    IniFile writer(appendFile);
    int value = 0;
    const int perRound = layout.hourToFile ? 20 : 4;
    const auto [append, write] = TimePair(
        [&] {
            t += EncodeTime(0, 0, 0, 1);
            if (!set.Append(t))
                std::fprintf(stderr, "append failed\n");
        },
        [&] { writer.WriteString("Header", "Bench", QString::number(++value)); }, 5, perRound);
    std::printf("  append  %.0f us vs IniFile key write %.0f us, ratio %.2f   (target <= 5)\n", append / 1000,
                write / 1000, append / write);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetDecimalSeparator('.');
    QTemporaryDir tmp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + "/bench_storage-XXXXXX" : QString());
    if (!tmp.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    Run(tmp.filePath("hours"), {"day of hour files", true});
    Run(tmp.filePath("day"), {"one day file", false});
    return 0;
}
