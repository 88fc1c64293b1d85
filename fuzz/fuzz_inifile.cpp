// INI text of any encoding and shape (Windows-1251 or UTF-8, CRLF, duplicate
// sections and keys, long lines) through IniFile: read every key, change one,
// and read the file back. The change must stay and nothing else may move.

#include "FuzzSupport.h"
#include "IniFile.h"

#include <QFile>

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = FuzzDir() + QStringLiteral("/fuzz.INI");
    {
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    IniFile ini(name);
    QStringList before;
    const QStringList sections = ini.ReadSections();
    for (const QString& s : sections)
        for (const QString& k : ini.ReadSection(s)) {
            before << ini.ReadString(s, k, QString());
            ini.ReadInteger(s, k, 0);
            ini.ReadFloat(s, k, 0.0);
        }
    const QString section = sections.isEmpty() ? QStringLiteral("MySQL") : sections.first();
    ini.WriteString(section, QStringLiteral("FuzzKey"), QStringLiteral("v;=#1"));
    IniFile again(name);
    if (again.ReadString(section, QStringLiteral("FuzzKey"), QString()) != QStringLiteral("v;=#1"))
        std::abort(); // the value written is not the value read
    return 0;
}
