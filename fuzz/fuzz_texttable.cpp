// A damaged text table (any bytes, either encoding, any line breaks) through
// TTextTable: open, walk every record, change one record and append another
// with values from the input, close, and open again. Claims: every record
// splits into as many values as there are names, and the values rebuild the
// start of their line; a value is refused exactly when it holds the separator
// or a line break; what was written reads back (the changed and the new
// record as set, every other record and the names as they were).
//   byte 0: bit 0 FirstLineIsHeader, bits 1-3 the separator (one of eight)
//   byte 1: the length L of the values, then L bytes of values separated by "|"
//   the rest: the file

#include "FuzzSupport.h"
#include "Texttable.h"

#include <QFile>

ORDAL_FUZZ_INIT

namespace {

const QString kName = QStringLiteral("table.txt");
const QStringList kNames = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};

// The separator's code: tab, punctuation, a Cyrillic letter, "№", and the one
// byte Windows-1251 leaves unassigned.
constexpr int kBorders[8] = {9, ';', ',', ' ', '=', 0xC6, 0xB9, 0x98};

QString Rebuilt(const QStringList& values, QChar sep) {
    QString line;
    for (const QString& v : values)
        line += v + sep;
    return line;
}

// The values of every record, from the first to the last.
QList<QStringList> Records(TTextTable& t) {
    QList<QStringList> out;
    for (bool ok = t.First(); ok; ok = t.Next()) {
        const QStringList fields = t.GetFields();
        FUZZ_CHECK(fields.size() == t.GetFieldList().size());
        const QString& line = t.GetLines()[t.GetRecordNum()];
        const QString rebuilt = Rebuilt(fields, t.Separator());
        FUZZ_CHECK(line.startsWith(rebuilt) || rebuilt.startsWith(line));
        out.append(fields);
    }
    FUZZ_CHECK(out.size() == t.GetRecordCount());
    return out;
}

std::unique_ptr<TTextTable> Open(int border, bool header) {
    auto t = std::make_unique<TTextTable>();
    t->SetTableName(kName);
    t->SetFieldBorderCode(border);
    t->SetFirstLineIsHeader(header);
    t->SetFieldList(kNames);
    t->SetActive(true);
    FUZZ_CHECK(t->GetActive());
    return t;
}

// Sets values[i] into field i of the current record (as far as there are
// values), as the values that Fields must then hold.
QStringList SetValues(TTextTable& t, const QStringList& values) {
    QStringList expected = t.GetFields();
    const QStringList names = t.GetFieldList();
    for (int i = 0; i < names.size() && i < values.size(); ++i) {
        const QString& v = values[i];
        const bool refused =
            v.contains(t.Separator()) || v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'));
        const QStringList held = t.GetFields();
        t.SetFieldByName(names[i], v);
        if (refused) {
            FUZZ_CHECK(t.GetFields() == held);
        } else {
            expected[t.FieldIndex(names[i])] = v; // a repeated name is the first one
            FUZZ_CHECK(t.GetFields() == expected);
        }
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool header = data[0] & 1;
    const int border = kBorders[(data[0] >> 1) & 7];
    const qsizetype valueBytes = std::min<qsizetype>(data[1], qsizetype(size) - 2);
    const QStringList values =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 2, valueBytes).split(QLatin1Char('|'));
    {
        QFile f(kName);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const qsizetype n = qsizetype(size) - 2 - valueBytes;
        FUZZ_CHECK(f.write(reinterpret_cast<const char*>(data) + 2 + valueBytes, n) == n);
    }

    auto t = Open(border, header);
    const QStringList names = t->GetFieldList();
    QList<QStringList> records = Records(*t);
    if (!names.isEmpty()) {
        // One record changed (in edit mode, posted by the move)...
        if (!records.isEmpty()) {
            const int r = int(records.size()) / 2;
            t->SetRecordNum(r);
            FUZZ_CHECK(t->ReloadFields());
            t->SetEditMode(true);
            records[r] = SetValues(*t, values);
            FUZZ_CHECK(t->First());
            FUZZ_CHECK(!t->GetEditMode());
        }
        // ...and one appended, its values in the other order.
        FUZZ_CHECK(t->Append());
        QStringList reversed = values;
        std::reverse(reversed.begin(), reversed.end());
        records.append(SetValues(*t, reversed));
        FUZZ_CHECK(t->Post());
    }
    t->SetActive(false);
    FUZZ_CHECK(!t->GetActive());
    // The lines as written (an empty last line is not read back as a record).
    QStringList written = t->GetLines();
    if (!written.isEmpty() && written.last().isEmpty())
        written.removeLast();

    auto raw = Open(border, false);
    FUZZ_CHECK(raw->GetLines() == written);
    auto again = Open(border, header);
    // (A header line without names, alone in the file, is an empty last line:
    // the names set before opening stay.)
    FUZZ_CHECK(again->GetFieldList() == (header && written.isEmpty() ? kNames : names));
    QList<QStringList> read = Records(*again);
    if (names.isEmpty() && !records.isEmpty() && records.size() > read.size())
        records.removeLast(); // (an empty record at the end: see above)
    FUZZ_CHECK(read == records);
    return 0;
}
