// INI text of any encoding and shape (Windows-1251 or UTF-8, CRLF, duplicate
// sections and keys, long lines) through IniFile: read every key, change one,
// and read the file back. The change must stay and nothing else may move.

#include "FuzzSupport.h"
#include "IniFile.h"

#include <QFile>

ORDAL_FUZZ_INIT

namespace {

struct Entry {
    QString section, key, value;
    bool operator==(const Entry&) const = default;
};

// Every key as the profile API sees it: sections in file order, the keys of
// each (of its first occurrence, as reads take it), and what each reads.
QList<Entry> Entries(const IniFile& ini) {
    QList<Entry> out;
    for (const QString& s : ini.ReadSections())
        for (const QString& k : ini.ReadSection(s)) {
            out.append({s, k, ini.ReadString(s, k, QString())});
            ini.ReadInteger(s, k, 0);
            ini.ReadFloat(s, k, 0.0);
        }
    return out;
}

QList<Entry> Without(QList<Entry> entries, const QString& section, const QString& key) {
    entries.removeIf([&](const Entry& e) {
        return e.section.compare(section, Qt::CaseInsensitive) == 0 &&
               e.key.compare(key, Qt::CaseInsensitive) == 0;
    });
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = FuzzDir() + QStringLiteral("/fuzz.INI");
    {
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    IniFile ini(name);
    const QList<Entry> before = Entries(ini);
    const QStringList sections = ini.ReadSections();
    const QString section = sections.isEmpty() ? QStringLiteral("MySQL") : sections.first();
    const QString key = QStringLiteral("FuzzKey");
    const QString value = QStringLiteral("v;=#1");
    ini.WriteString(section, key, value);
    IniFile again(name);
    // The value written is the value read...
    FUZZ_CHECK(again.ReadString(section, key, QString()) == value);
    // ...and every other key of every section reads as before, in the same order.
    FUZZ_CHECK(Without(Entries(again), section, key) == Without(before, section, key));
    return 0;
}
