// A damaged day file (any bytes: a cut-off write, a hand edit, another
// program's file) through TIniDataSet beside a sound file of the next hour:
// open, walk every record, append one, open again, delete it, open again.
// Claims: every listed record can be reached; a record shown is the record
// asked for, with the values its section holds; an append adds exactly its
// record (or is refused and changes no byte); deleting it again gives the
// list as it was.
//   byte 0: bit 0 load a range (the whole day), bit 1 AppendMode false
//   the rest: the file of hour 14

#include "FuzzSupport.h"
#include "IniFile.h"
#include "Inidataset.h"

#include <QDir>
#include <QFile>
#include <memory>

ORDAL_FUZZ_INIT

namespace {

const TDateTime kDay = EncodeDate(2024, 3, 15);
const QStringList kFields = {QStringLiteral("RecordTime"), QStringLiteral("Level"), QStringLiteral("Pump")};

QByteArray ReadBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& name, const QByteArray& data) {
    QFile f(name);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(data) == data.size());
}

std::unique_ptr<TIniDataSet> Open(const QString& root, bool range, bool appendMode) {
    auto set = std::make_unique<TIniDataSet>();
    set->SetRootDir(root);
    set->SetTableName(QStringLiteral("T"));
    set->SetFieldList(kFields);
    set->SetAppendMode(appendMode);
    if (range)
        set->SetRange(kDay, kDay + 1);
    else
        set->SetActive(true);
    FUZZ_CHECK(set->GetActive());
    FUZZ_CHECK(set->GetRecordCount() == set->RecordList().size());
    return set;
}

// Visits every record and checks what it shows against an independent reader
// of the file (base's IniFile, the same profile rules).
void Walk(TIniDataSet& set) {
    for (int n = 0; n < set.RecordList().size(); ++n) {
        FUZZ_CHECK(set.GotoRecordNumber(n));
        FUZZ_CHECK(set.GetRecordNumber() == n);
        const int local = set.GetLocalRecordNumber();
        if (local < 0) {
            for (const QString& f : kFields.mid(1))
                FUZZ_CHECK(set.FieldByName(f)->GetAsString().isEmpty());
            continue;
        }
        const IniFile file(set.OpenFileName());
        const QString section = QLatin1Char('R') + QString::number(local);
        FUZZ_CHECK(set.CurrentSection() == section);
        FUZZ_CHECK(file.ReadString(QStringLiteral("Header"), section, QString()) == set.RecordList()[n]);
        for (const QString& f : kFields.mid(1))
            FUZZ_CHECK(set.FieldByName(f)->GetAsString() == file.ReadString(section, f, QString()));
    }
    FUZZ_CHECK(!set.GotoRecordNumber(int(set.RecordList().size())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const bool range = data[0] & 1;
    const bool appendMode = !(data[0] & 2);
    const QString root = FuzzDir() + QStringLiteral("/days");
    QDir(root).removeRecursively();
    const QString day = root + QStringLiteral("/2024_03_15.VMD");
    FUZZ_CHECK(QDir().mkpath(day));
    const QString damaged = day + QStringLiteral("/T14.VMD");
    WriteBytes(damaged, QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1));
    const QString s15a = TIniDataSet::StampText(kDay + EncodeTime(15, 0, 0, 0));
    const QString s15b = TIniDataSet::StampText(kDay + EncodeTime(15, 0, 1, 0));
    WriteBytes(day + QStringLiteral("/T15.VMD"),
               QStringLiteral("[Header]\nRecordCount=2\nR0=%1\nR1=%2\n\n"
                              "[R0]\nLevel=1\nPump=0\n\n[R1]\nLevel=2\nPump=1\n")
                   .arg(s15a, s15b)
                   .toUtf8());

    auto first = Open(root, range, appendMode);
    const QStringList listed = first->RecordList();
    // The sound file's records come last, whole, whatever the damaged one holds.
    FUZZ_CHECK(listed.size() >= 2 && listed.mid(listed.size() - 2) == QStringList({s15a, s15b}));
    Walk(*first);

    const TDateTime t = kDay + EncodeTime(14, 30, 0, 0);
    const QString s = TIniDataSet::StampText(t);
    const QByteArray bytes = ReadBytes(damaged);
    const bool appended = first->Append(t);
    const QStringList kept = listed.mid(0, listed.size() - 2);
    QStringList expected = kept;
    if (appended) {
        FUZZ_CHECK(appendMode || !listed.contains(s));
        expected << s;
        const QString section = first->CurrentSection();
        FUZZ_CHECK(section == QLatin1Char('R') + QString::number(first->GetLocalRecordNumber()));
        FUZZ_CHECK(first->SetFieldValByName(QStringLiteral("Level"), QStringLiteral("1834.5")));
        FUZZ_CHECK(first->GetFieldValByName(QStringLiteral("level")) == QStringLiteral("1834.5"));
        // Nothing else of the file moved (IniFile lists what the reads see).
        const IniFile after(damaged);
        FUZZ_CHECK(after.ReadString(QStringLiteral("Header"), section, QString()) == s);
        FUZZ_CHECK(after.ReadSection(section) ==
                   QStringList({QStringLiteral("Level"), QStringLiteral("Pump")}));
    } else {
        FUZZ_CHECK(ReadBytes(damaged) == bytes); // refused: not a byte changed
    }
    expected << s15a << s15b;

    auto second = Open(root, range, appendMode);
    FUZZ_CHECK(second->RecordList() == expected);
    Walk(*second);
    if (!appended)
        return 0;
    // Reached again, the new record shows what was written into it, unless an
    // older record has the same stamp and may be the one found, or the file
    // has no stamp R0 (then none of its records is located: a damaged header).
    FUZZ_CHECK(second->GotoRecordNumber(int(kept.size())));
    if (kept.contains(s) ||
        IniFile(damaged).ReadString(QStringLiteral("Header"), QStringLiteral("R0"), QString()).isEmpty())
        return 0;
    FUZZ_CHECK(second->GetLocalRecordNumber() >= 0);
    FUZZ_CHECK(second->FieldByName(QStringLiteral("Level"))->GetAsString() == QStringLiteral("1834.5"));
    FUZZ_CHECK(second->Delete());
    FUZZ_CHECK(second->RecordList() == listed);
    auto third = Open(root, range, appendMode);
    FUZZ_CHECK(third->RecordList() == listed);
    Walk(*third);
    return 0;
}
