#include "IndexedIniFile.h"

#include "Cp1251.h"
#include "NumText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <sys/stat.h>

namespace {

// Sections this short are searched line by line: cheaper than keeping a hash.
constexpr int kLinearKeys = 8;

bool SectionName(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

QString KeyOf(const QString& line) {
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq).trimmed();
}

bool HasKey(const QString& line) {
    return line.contains(QLatin1Char('='));
}

QStringView Unquote(QStringView v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

QString Fold(const QString& s) {
    return s.toCaseFolded();
}

// n for a key "R<n>" (or "r<n>"), n in decimal without leading zeros; else -1.
int RecordNumberOf(QStringView key) {
    if (key.size() < 2 || key.size() > 11 || (key[0] != u'R' && key[0] != u'r') ||
        (key[1] == u'0' && key.size() > 2))
        return -1;
    qint64 n = 0;
    for (qsizetype i = 1; i < key.size(); ++i) {
        const char16_t c = key[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n > INT_MAX ? -1 : int(n);
}

QStringView KeyView(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QStringView() : QStringView(line).left(eq).trimmed();
}

QStringView ValueView(const QString& line) {
    return Unquote(QStringView(line).mid(line.indexOf(QLatin1Char('=')) + 1).trimmed());
}

} // namespace

IndexedIniFile::IndexedIniFile(QString fileName) : fileName_(std::move(fileName)) {
    sections_.resize(1);
}

int IndexedIniFile::Stamp(quint64 out[4]) const {
    struct stat st {};
    out[0] = out[1] = out[2] = out[3] = 0;
    if (::stat(QFile::encodeName(fileName_).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? 0 : -errno;
    out[0] = st.st_dev;
    out[1] = st.st_ino;
    out[2] = quint64(st.st_size);
    // The change time, not the modification time: it moves with every write
    // and also when the file's permissions change.
    out[3] = quint64(st.st_ctim.tv_sec) * 1000000000ull + quint64(st.st_ctim.tv_nsec);
    return 1;
}

void IndexedIniFile::Refresh() {
    quint64 now[4];
    Stamp(now);
    // A file that could not be read is tried again each time, whatever its stamp.
    if (loaded_ && readError_.isEmpty() && std::equal(now, now + 4, stamp_))
        return;
    Load();
}

void IndexedIniFile::Revert() {
    if (modified_)
        Load();
}

void IndexedIniFile::Load() {
    const int state = Stamp(stamp_);
    loaded_ = true;
    modified_ = false;
    cp1251_ = false;
    bom_ = false;
    eol_ = QStringLiteral("\n");
    readError_.clear();
    QFile f(fileName_);
    QByteArray data;
    if (state < 0) {
        readError_ =
            QStringLiteral("Не удается прочитать файл %1: %2").arg(fileName_, qt_error_string(-state));
    } else if (state == 0) {
        Parse(QString()); // a new file
        return;
    } else if (!QFileInfo(fileName_).isFile()) {
        readError_ = QStringLiteral("Не удается прочитать файл %1: это не обычный файл").arg(fileName_);
    } else if (!f.open(QIODevice::ReadOnly)) {
        readError_ = QStringLiteral("Не удается прочитать файл %1: %2").arg(fileName_, f.errorString());
    } else {
        data = f.readAll();
        if (f.error() != QFileDevice::NoError)
            readError_ = QStringLiteral("Не удается прочитать файл %1: %2").arg(fileName_, f.errorString());
    }
    if (!readError_.isEmpty()) {
        Parse(QString());
        return;
    }
    Parse(DecodeTextFile(std::move(data), &cp1251_, &bom_));
}

void IndexedIniFile::Parse(const QString& text) {
    sections_.clear();
    sections_.resize(1);
    sectionIndex_.clear();
    sectionsValid_ = false;
    lastFound_ = -1;
    if (text.isEmpty())
        return;
    eol_ = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const bool crlf = eol_.size() == 2;
    Section* current = &sections_.back();
    QString name;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const bool last = end < 0;
        if (last)
            end = n;
        qsizetype stop = end;
        if (crlf && stop > start && text[stop - 1] == QLatin1Char('\r'))
            --stop;
        const QString line = text.mid(start, stop - start);
        if (SectionName(line, &name)) {
            sections_.emplace_back();
            current = &sections_.back();
            current->name = name;
            current->header = line;
        } else {
            current->lines.append(line);
        }
        start = end + 1;
    }
}

void IndexedIniFile::IndexSections() const {
    if (sectionsValid_)
        return;
    sectionIndex_.clear();
    sectionIndex_.reserve(qsizetype(sections_.size()));
    lastFound_ = -1;
    // Backwards, so that the first occurrence of a name wins.
    for (std::size_t i = sections_.size(); i-- > 1;)
        sectionIndex_[Fold(sections_[i].name)] = int(i);
    sectionsValid_ = true;
}

const IndexedIniFile::Section* IndexedIniFile::Find(const QString& section) const {
    IndexSections();
    // A search asks for the header again and again.
    if (lastFound_ >= 0 && section == lastName_)
        return &sections_[std::size_t(lastFound_)];
    const auto it = sectionIndex_.constFind(Fold(section));
    if (it == sectionIndex_.constEnd())
        return nullptr;
    lastName_ = section;
    lastFound_ = *it;
    return &sections_[std::size_t(*it)];
}

IndexedIniFile::Section* IndexedIniFile::Find(const QString& section) {
    return const_cast<Section*>(std::as_const(*this).Find(section));
}

void IndexedIniFile::IndexKeys(const Section& s) const {
    if (s.keysValid)
        return;
    s.keys.clear();
    s.keys.reserve(s.lines.size());
    // A section of n lines holds at most keys R0 .. R(n-1) that a count can reach.
    s.numbered.assign(std::size_t(s.lines.size()), -1);
    for (int i = int(s.lines.size()) - 1; i >= 0; --i) // backwards: the first occurrence wins
        if (HasKey(s.lines[i])) {
            s.keys[Fold(KeyOf(s.lines[i]))] = i;
            const int n = RecordNumberOf(KeyView(s.lines[i]));
            if (n >= 0 && std::size_t(n) < s.numbered.size())
                s.numbered[std::size_t(n)] = i;
        }
    s.keysValid = true;
}

QStringView IndexedIniFile::ReadNumbered(const QString& section, int n) const {
    const Section* s = Find(section);
    if (!s || n < 0)
        return QStringView();
    if (s->lines.size() > kLinearKeys) {
        IndexKeys(*s);
        if (std::size_t(n) < s->numbered.size()) {
            const int i = s->numbered[std::size_t(n)];
            return i < 0 ? QStringView() : ValueView(s->lines[i]);
        }
    }
    const int i = FindKey(*s, QLatin1Char('R') + QString::number(n));
    return i < 0 ? QStringView() : ValueView(s->lines[i]);
}

std::vector<std::pair<int, QStringView>> IndexedIniFile::NumberedValues(const QString& section,
                                                                        int limit) const {
    std::vector<std::pair<int, QStringView>> out;
    const Section* s = Find(section);
    if (!s)
        return out;
    std::vector<std::pair<int, int>> found; // n, line
    for (int i = 0; i < s->lines.size(); ++i)
        if (HasKey(s->lines[i])) {
            const int n = RecordNumberOf(KeyView(s->lines[i]));
            if (n >= 0 && n < limit)
                found.emplace_back(n, i);
        }
    // By n, and for one n the first line: the one every read takes.
    std::sort(found.begin(), found.end());
    for (std::size_t j = 0; j < found.size(); ++j)
        if (j == 0 || found[j].first != found[j - 1].first)
            out.emplace_back(found[j].first, ValueView(s->lines[found[j].second]));
    return out;
}

int IndexedIniFile::FindKey(const Section& s, const QString& key) const {
    if (s.lines.size() <= kLinearKeys) {
        for (int i = 0; i < s.lines.size(); ++i)
            if (HasKey(s.lines[i]) && KeyOf(s.lines[i]).compare(key, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    IndexKeys(s);
    return s.keys.value(Fold(key), -1);
}

QString IndexedIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Section* s = Find(section);
    if (!s)
        return def;
    const int i = FindKey(*s, key);
    if (i < 0)
        return def;
    return ValueView(s->lines[i]).toString();
}

int IndexedIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    return StrToIntDef(ReadString(section, key, QString()), def);
}

bool IndexedIniFile::SectionExists(const QString& section) const {
    return Find(section) != nullptr;
}

void IndexedIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + QLatin1Char('=') + value;
    modified_ = true;
    if (Section* s = Find(section)) {
        const int i = FindKey(*s, key);
        if (i >= 0) {
            s->lines[i] = line;
            return;
        }
        // After the section's last non-blank line; only blank lines move, so the
        // key index stays right.
        int at = int(s->lines.size());
        while (at > 0 && s->lines[at - 1].trimmed().isEmpty())
            --at;
        s->lines.insert(at, line);
        if (s->keysValid) {
            s->keys.insert(Fold(key), at);
            // Only blank lines moved; the new key may be a numbered one.
            s->numbered.push_back(-1);
            const int n = RecordNumberOf(KeyView(line));
            if (n >= 0 && std::size_t(n) < s->numbered.size())
                s->numbered[std::size_t(n)] = at;
        }
        return;
    }
    Section& last = sections_.back();
    const QString& lastLine = last.lines.isEmpty() ? last.header : last.lines.back();
    if (!lastLine.trimmed().isEmpty())
        last.lines.append(QString());
    Section added;
    added.name = section;
    added.header = QLatin1Char('[') + section + QLatin1Char(']');
    added.lines.append(line);
    sections_.push_back(std::move(added));
    if (sectionsValid_)
        sectionIndex_.insert(Fold(section), int(sections_.size()) - 1);
}

void IndexedIniFile::DeleteKey(const QString& section, const QString& key) {
    Section* s = Find(section);
    if (!s)
        return;
    const int i = FindKey(*s, key);
    if (i < 0)
        return;
    s->lines.removeAt(i);
    s->keysValid = false;
    modified_ = true;
}

void IndexedIniFile::EraseSection(const QString& section) {
    const Section* s = Find(section);
    if (!s)
        return;
    sections_.erase(sections_.begin() + (s - sections_.data()));
    sectionsValid_ = false;
    modified_ = true;
}

void IndexedIniFile::RenameSections(const QList<QPair<QString, QString>>& moves) {
    std::vector<std::pair<Section*, QString>> found;
    for (const auto& m : moves)
        if (Section* s = Find(m.first))
            found.emplace_back(s, m.second);
    for (auto& [s, to] : found) {
        s->name = to;
        s->header = QLatin1Char('[') + to + QLatin1Char(']');
    }
    if (!found.empty()) {
        sectionsValid_ = false;
        modified_ = true;
    }
}

bool IndexedIniFile::Save(QString* error) {
    if (!readError_.isEmpty()) {
        // What we hold is not what the file holds: writing it would lose the file.
        Load();
        if (!readError_.isEmpty()) {
            if (error)
                *error = readError_;
            return false;
        }
        // Readable now, but the edits were made to an empty stand-in: dropped.
        if (error)
            *error = QStringLiteral("Файл %1 не был прочитан, изменения не записаны").arg(fileName_);
        return false;
    }
    qsizetype size = 0;
    qsizetype count = 0;
    for (const Section& s : sections_) {
        size += s.header.size();
        for (const QString& l : s.lines)
            size += l.size();
        count += s.lines.size() + (&s == &sections_.front() ? 0 : 1);
    }
    QString text;
    text.reserve(size + count * eol_.size());
    for (const Section& s : sections_) {
        if (&s != &sections_.front()) {
            text += s.header;
            text += eol_;
        }
        for (const QString& l : s.lines) {
            text += l;
            text += eol_;
        }
    }
    const QByteArray data = EncodeTextFile(text, &cp1251_, &bom_);
    QSaveFile out(fileName_);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        Load(); // what the disk holds is what we hold
        return false;
    }
    Stamp(stamp_);
    modified_ = false;
    return true;
}
