#include "Inidataset.h"

#include "FormatFloat.h"
#include "IndexedIniFile.h"
#include "NumText.h"
#include "Platform.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const QString kHeader = QStringLiteral("Header");
const QString kRecordCount = QStringLiteral("RecordCount");
const QString kRecordTime = QStringLiteral("RecordTime");
const QString kDamaged = QStringLiteral("Файл поврежден!");
// Half a millisecond: a stamp this close to a range limit belongs to the range.
constexpr TDateTime kHalfMs = 0.5 / 86400000.0;
// 31.12.9999, the last day a stamp can name; beyond it no date and no folder.
constexpr TDateTime kLastDay = 2958466.0;

QString RecordKey(int i) {
    return QLatin1Char('R') + QString::number(i);
}

QString WithSeparator(const QString& dir) {
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        return dir;
    return dir + QLatin1Char('/');
}

bool Digits(const QString& s, int from, int count, int* value) {
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
    }
    *value = v;
    return true;
}

void ErrorBox(const QString& text) {
    Plat().MessageBox(text, QStringLiteral("Error"), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
}

bool UsableStamp(TDateTime v) {
    return v > 0 && v < kLastDay;
}

} // namespace

// ---- TIniField ---------------------------------------------------------------------

TIniField::TIniField(TIniDataSet* dataSet, QString fieldName, QString text)
    : dataSet_(dataSet), fieldName_(std::move(fieldName)), text_(std::move(text)) {}

void TIniField::SetAsString(const QString& s) {
    if (!dataSet_->HasOpenFile())
        return;
    QString why;
    if (dataSet_->WriteField(fieldName_, s, &why))
        text_ = s;
    else
        ShowError(why);
}

double TIniField::GetAsFloat() const {
    return TIniDataSet::StringToDouble(text_);
}

void TIniField::SetAsFloat(double v) {
    SetAsString(FormatFloat(QStringLiteral("####0.#######"), v));
}

int TIniField::GetAsInteger() const {
    const double v = std::trunc(TIniDataSet::StringToDouble(text_));
    return v <= double(INT_MIN) ? INT_MIN : v >= double(INT_MAX) ? INT_MAX : int(v);
}

void TIniField::SetAsInteger(int v) {
    SetAsString(QString::number(v));
}

bool TIniField::GetAsBool() const {
    return std::trunc(TIniDataSet::StringToDouble(text_)) != 0.0;
}

void TIniField::SetAsBool(bool v) {
    SetAsString(v ? QStringLiteral("1") : QStringLiteral("0"));
}

TDateTime TIniField::GetAsDateTime() const {
    return TIniDataSet::StringToDouble(text_);
}

void TIniField::SetAsDateTime(TDateTime v) {
    const QString s = TIniDataSet::StampText(v);
    if (s != text_)
        text_ = s;
}

bool TIniField::Refresh() {
    if (!dataSet_->file_)
        return false;
    if (fieldName_.compare(kRecordTime, Qt::CaseInsensitive) == 0)
        text_ = TIniDataSet::StampText(dataSet_->currentTime_);
    else
        text_ = dataSet_->file_->ReadString(dataSet_->currentSection_, fieldName_, QString());
    return true;
}

// ---- TIniDataSet: properties ---------------------------------------------------------

TIniDataSet::TIniDataSet(QObject* owner) : QObject(owner) {}

TIniDataSet::~TIniDataSet() = default;

void TIniDataSet::SetFieldList(const QStringList& names) {
    fieldList_ = names;
    CreateFields();
}

void TIniDataSet::CreateFields() {
    fields_.clear();
    fields_.reserve(std::size_t(fieldList_.size()));
    for (const QString& name : fieldList_)
        fields_.push_back(std::make_unique<TIniField>(this, name, QString()));
}

void TIniDataSet::SetActive(bool v) {
    if (v && !active_)
        Open();
    else if (!v)
        Close();
}

QString TIniDataSet::OpenFileName() const {
    return file_ ? file_->FileName() : QString();
}

void TIniDataSet::Open() {
    if (rootDir_.isEmpty() || tableName_.isEmpty()) {
        ErrorBox(QStringLiteral("Set RootDir and TableName!"));
        active_ = false;
        return;
    }
    if (!QDir().mkpath(rootDir_)) {
        ErrorBox(QStringLiteral("Invalid RootDir!"));
        active_ = false;
        return;
    }
    CreateFields();
    active_ = true;
    ReloadRecordList(rootDir_, true);
    First();
}

void TIniDataSet::Close() {
    file_.reset();
    recordList_.clear();
    listIndex_.clear();
    currentTime_ = 0.0;
    fields_.clear();
    active_ = false;
}

// ---- names and numbers -------------------------------------------------------------

QString TIniDataSet::FolderNameByTime(TDateTime t) const {
    if (!dayToDir_)
        return rootDir_;
    return WithSeparator(rootDir_) + FormatDateTime(QStringLiteral("yyyy_mm_dd"), t) + fileExt_;
}

QString TIniDataSet::FileNameByTime(TDateTime t) const {
    return WithSeparator(FolderNameByTime(t)) + tableName_ +
           (hourToFile_ ? FormatDateTime(QStringLiteral("hh"), t) : QString()) + fileExt_;
}

double TIniDataSet::StringToDouble(const QString& text) {
    if (text.isEmpty())
        return 0.0;
    if (const auto v = StrToFloatOpt(text))
        return *v;
    // Written under the other decimal separator: try it with that one swapped.
    QString other = text;
    int at = int(other.indexOf(QLatin1Char('.')));
    if (at >= 0) {
        other[at] = QLatin1Char(',');
    } else if ((at = int(other.indexOf(QLatin1Char(',')))) >= 0) {
        other[at] = QLatin1Char('.');
    } else {
        return 0.0;
    }
    const auto v = StrToFloatOpt(other);
    return v ? *v : 0.0;
}

QString TIniDataSet::StampText(TDateTime t) {
    return FloatToStr(t);
}

// ---- loading -------------------------------------------------------------------------

bool TIniDataSet::ReloadRecordList(const QString& dir, bool clear) {
    if (clear) {
        recordList_.clear();
        listIndex_.clear();
        recordCount_ = 0;
    }
    // The root holds the day folders (and, without them, this table's files);
    // a day folder holds the files of all tables, of which this table's count.
    const QDir d(dir);
    QStringList names =
        d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::NoSort);
    std::sort(names.begin(), names.end()); // ascending: chronological for days and hours
    for (const QString& name : std::as_const(names)) {
        if (!name.endsWith(fileExt_) || name.size() < fileExt_.size() + (clear ? 0 : tableName_.size()))
            continue;
        const QString path = d.filePath(name);
        if (QFileInfo(path).isDir()) {
            // Day folders lie in the root only: a folder inside one (or a link
            // back to the root) is no day and is not walked.
            if (!clear)
                continue;
            if (rangeIsOn_) {
                // "yyyy_mm_dd" + extension; a name that is no date is no day folder.
                int year = 0, month = 0, day = 0;
                if (name.size() < 14 || !Digits(name, 0, 4, &year) || !Digits(name, 5, 2, &month) ||
                    !Digits(name, 8, 2, &day) || !QDate(year, month, day).isValid())
                    continue;
                const TDateTime start = EncodeDate(year, month, day);
                const TDateTime end = start + EncodeTime(23, 59, 59, 999);
                if (end < rangeMin_ || start > rangeMax_)
                    continue;
            }
            ReloadRecordList(path, false);
        } else {
            // Another table's file in the same folder is not ours.
            if (!name.startsWith(tableName_) || name.size() < tableName_.size() + fileExt_.size())
                continue;
            LoadFile(path);
        }
    }
    return true;
}

void TIniDataSet::LoadFile(const QString& path) {
    IndexedIniFile f(path);
    f.Refresh();
    // Its records are missing from the list: say why, rather than show a gap.
    if (!f.ReadError().isEmpty()) {
        ShowError(f.ReadError());
        return;
    }
    // The header's stamps R0 .. R(count-1) as far as they exist: a count far
    // larger than the keys (a damaged file) costs no more than the keys.
    const int count = f.ReadInteger(kHeader, kRecordCount, 0);
    for (const auto& [i, view] : f.NumberedValues(kHeader, count)) {
        if (view.isEmpty())
            continue;
        const QString s = view.toString();
        const TDateTime v = StringToDouble(s);
        if (rangeIsOn_ && (v < rangeMin_ - kHalfMs || v > rangeMax_ + kHalfMs))
            continue;
        if (!UsableStamp(v))
            continue;
        AddToList(s);
    }
}

void TIniDataSet::AddToList(const QString& stamp) {
    if (!listIndex_.contains(stamp)) // the first occurrence counts
        listIndex_.insert(stamp, int(recordList_.size()));
    recordList_.append(stamp);
    ++recordCount_;
}

void TIniDataSet::RebuildListIndex() {
    listIndex_.clear();
    for (int i = int(recordList_.size()) - 1; i >= 0; --i)
        listIndex_[recordList_[i]] = i;
}

// ---- navigation ----------------------------------------------------------------------

bool TIniDataSet::First() {
    return GotoRecordNumber(0);
}

bool TIniDataSet::Last() {
    return GotoRecordNumber(int(recordList_.size()) - 1);
}

bool TIniDataSet::Next() {
    return recordNumber_ < INT_MAX && GotoRecordNumber(recordNumber_ + 1);
}

bool TIniDataSet::Prior() {
    if (recordNumber_ - 1 < 0)
        return false;
    return GotoRecordNumber(recordNumber_ - 1);
}

bool TIniDataSet::OpenFileOf(TDateTime t) {
    const QString name = FileNameByTime(t);
    if (file_ && file_->FileName() == name) {
        file_->Refresh();
        return true;
    }
    if (!QDir().mkpath(FolderNameByTime(t)))
        return false;
    file_ = std::make_unique<IndexedIniFile>(name);
    file_->Refresh();
    return true;
}

bool TIniDataSet::GotoRecordNumber(int n) {
    if (!active_ || recordList_.isEmpty() || n < 0 || n >= recordList_.size())
        return false;
    const TDateTime t = StringToDouble(recordList_[n]);
    currentTime_ = t;
    recordNumber_ = n;
    if (!OpenFileOf(t))
        return false;
    DetectLocalRecordNumber();
    currentSection_ = RecordKey(localRecordNumber_);
    ReloadRecord();
    return true;
}

bool TIniDataSet::DetectLocalRecordNumber() {
    localRecordNumber_ = -1;
    if (!file_)
        return false;
    file_->Refresh();
    localRecordCount_ = file_->ReadInteger(kHeader, kRecordCount, 0);
    if (localRecordCount_ < 1 || recordNumber_ < 0 || recordNumber_ >= recordList_.size())
        return false;
    const QString& target = recordList_[recordNumber_];
    const QString first = file_->ReadNumbered(kHeader, 0).toString();
    if (first.isEmpty())
        return false;
    if (first == target) {
        localRecordNumber_ = 0;
        return true;
    }
    if (!rangeIsOn_) {
        // The whole table was loaded, so a file's records follow each other in
        // the list as in the file. Unless a stamp was skipped at load time or the
        // file changed since: then the offset names another record, and the
        // header decides.
        const int firstAt = listIndex_.value(first, -1);
        if (firstAt >= 0) {
            const int local = recordNumber_ - firstAt;
            if (local >= 0 && local < localRecordCount_ && file_->ReadNumbered(kHeader, local) == target) {
                localRecordNumber_ = local;
                return true;
            }
        }
    }
    localRecordNumber_ = BinarySearch(target);
    return localRecordNumber_ >= 0;
}

int TIniDataSet::BinarySearch(const QString& target) {
    // The stamps of one file ascend, and so do their texts: search the header.
    int lo = 0;
    int hi = localRecordCount_ - 1;
    // Views into the file's lines: nothing changes the file during the search.
    QStringView first = file_->ReadNumbered(kHeader, 0);
    QStringView last = file_->ReadNumbered(kHeader, hi);
    if (last == target)
        return hi;
    // Every round halves [lo, hi], so a count of 2^31 ends within 31 rounds.
    for (;;) {
        if (hi - lo <= 1)
            return first == target ? lo : last == target ? hi : -1;
        const int mid = lo + (hi - lo) / 2;
        const QStringView m = file_->ReadNumbered(kHeader, mid);
        if (m.isEmpty()) {
            ShowError(kDamaged);
            return -1;
        }
        const int c = QStringView(target).compare(m, Qt::CaseInsensitive);
        if (c > 0) {
            lo = mid;
            first = m;
        } else if (target != m) {
            hi = mid;
            last = m;
        } else {
            return mid;
        }
    }
}

bool TIniDataSet::ReloadRecord() {
    bool ok = true;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i] && !fields_[i]->Refresh())
            ok = false;
    return ok;
}

// ---- fields ----------------------------------------------------------------------------

int TIniDataSet::FieldIndex(const QString& name) const {
    for (int i = 0; i < fieldList_.size(); ++i)
        if (fieldList_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TIniField* TIniDataSet::FieldByName(const QString& name) const {
    const int i = FieldIndex(name);
    return i >= 0 && std::size_t(i) < fields_.size() ? fields_[std::size_t(i)].get() : nullptr;
}

bool TIniDataSet::WriteField(const QString& name, const QString& value, QString* why) {
    if (!file_ || FieldIndex(name) < 0) {
        *why = QStringLiteral("Неизвестное поле \"%1\"").arg(name);
        return false;
    }
    // A record that is not in its file has no section to write to: the value
    // would land in a section nothing ever reads.
    if (localRecordNumber_ < 0) {
        *why = QStringLiteral("Текущая запись не найдена в файле %1").arg(file_->FileName());
        return false;
    }
    // A line break would end the value and start a line of its own: a stray
    // key, or a "[section]" that takes over the records after it.
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        *why = QStringLiteral("Значение поля \"%1\" содержит перевод строки").arg(name);
        return false;
    }
    file_->Refresh();
    if (!file_->ReadError().isEmpty()) {
        *why = file_->ReadError();
        return false;
    }
    file_->WriteString(currentSection_, name, value);
    QString error;
    if (!file_->Save(&error)) {
        *why = QStringLiteral("Не удается записать файл %1: %2").arg(file_->FileName(), error);
        return false;
    }
    return true;
}

bool TIniDataSet::SetFieldValByName(const QString& name, const QString& value) {
    QString why;
    return WriteField(name, value, &why);
}

QString TIniDataSet::GetFieldValByName(const QString& name) const {
    if (!file_ || FieldIndex(name) < 0)
        return QString();
    file_->Refresh();
    return file_->ReadString(currentSection_, name, QString());
}

// ---- changes -------------------------------------------------------------------------------

bool TIniDataSet::Append(TDateTime t) {
    QString why;
    if (AppendRecord(t, {}, &why))
        return true;
    if (!why.isEmpty())
        ShowError(why);
    return false;
}

bool TIniDataSet::AppendRecord(TDateTime t, const QStringList& values, QString* why) {
    // A stamp the loader would skip is a record nobody would see again.
    if (!std::isfinite(t) || !UsableStamp(t))
        return false;
    if (rangeIsOn_ && (t < rangeMin_ || t > rangeMax_))
        return false;
    for (const QString& v : values)
        if (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'))) {
            *why = QStringLiteral("Значение поля содержит перевод строки");
            return false;
        }
    const QString s = StampText(t);
    if (!appendMode_ && listIndex_.contains(s))
        return false;
    // The file where a reader of the stamp text will look for it: the text has
    // 15 digits, and t itself may lie a hair on the other side of an hour.
    if (!OpenFileOf(StringToDouble(s))) {
        *why = QStringLiteral("Не удается создать папку %1").arg(FolderNameByTime(StringToDouble(s)));
        return false;
    }
    IndexedIniFile& f = *file_;
    // A file that exists but cannot be read is no empty file: an append to it
    // would replace every record it holds.
    if (!f.ReadError().isEmpty()) {
        *why = f.ReadError();
        return false;
    }
    const int k = f.ReadInteger(kHeader, kRecordCount, 0);
    const QString key = RecordKey(k);
    // A count that disagrees with the records would make the new record
    // overwrite an old one, or land where the loader never reads.
    if (k < 0 || k > INT_MAX - 2 || (k > 0 && f.ReadNumbered(kHeader, k - 1).isEmpty()) ||
        !f.ReadNumbered(kHeader, k).isEmpty() || f.SectionExists(key)) {
        *why = kDamaged;
        return false;
    }
    f.WriteString(kHeader, kRecordCount, QString::number(k + 1));
    f.WriteString(kHeader, key, s);
    for (int i = 1; i < fieldList_.size(); ++i)
        f.WriteString(key, fieldList_[i], i - 1 < values.size() ? values[i - 1] : QString());
    QString error;
    if (!f.Save(&error)) {
        *why = QStringLiteral("Не удается записать файл %1: %2").arg(f.FileName(), error);
        return false;
    }
    localRecordNumber_ = k;
    localRecordCount_ = k + 1;
    currentSection_ = key;
    AddToList(s);
    recordNumber_ = int(recordList_.size()) - 1;
    recordCount_ = int(recordList_.size());
    return true;
}

bool TIniDataSet::Delete() {
    if (!active_ || recordList_.isEmpty() || recordNumber_ < 0 || recordNumber_ >= recordList_.size() ||
        !file_)
        return false;
    // Locate it again: the file may have changed since the record was reached.
    if (!DetectLocalRecordNumber()) {
        if (!file_->ReadError().isEmpty())
            ShowError(file_->ReadError());
        return false;
    }
    IndexedIniFile& f = *file_;
    const int k = localRecordNumber_;
    const int n = localRecordCount_;
    // The records after k move up one place: their stamps in the header...
    for (int i = k; i < n - 1; ++i)
        f.WriteString(kHeader, RecordKey(i), f.ReadString(kHeader, RecordKey(i + 1), QString()));
    f.DeleteKey(kHeader, RecordKey(n - 1));
    f.WriteString(kHeader, kRecordCount, QString::number(n - 1));
    // ...and their sections.
    f.EraseSection(RecordKey(k));
    QList<QPair<QString, QString>> moves;
    for (int i = k + 1; i < n; ++i)
        moves.append({RecordKey(i), RecordKey(i - 1)});
    f.RenameSections(moves);
    QString error;
    if (!f.Save(&error)) {
        ShowError(QStringLiteral("Не удается записать файл %1: %2").arg(f.FileName(), error));
        return false;
    }
    recordList_.removeAt(recordNumber_);
    RebuildListIndex();
    recordCount_ = int(recordList_.size());
    localRecordCount_ = n - 1;
    if (recordList_.isEmpty()) {
        recordNumber_ = 0;
        localRecordNumber_ = -1;
        currentSection_ = RecordKey(-1);
        currentTime_ = 0.0;
        ReloadRecord();
        return true;
    }
    GotoRecordNumber(std::min(recordNumber_, int(recordList_.size()) - 1));
    return true;
}

bool TIniDataSet::SetRange(TDateTime min, TDateTime max) {
    rangeMin_ = min;
    rangeMax_ = max;
    rangeIsOn_ = true;
    SetActive(false);
    SetActive(true);
    return true;
}

bool TIniDataSet::CancelRange() {
    rangeIsOn_ = false;
    SetActive(false);
    SetActive(true);
    return true;
}
