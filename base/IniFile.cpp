#include "IniFile.h"

#include "Cp1251.h"
#include "NumText.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool SectionName(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    *name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

bool KeyOf(const QString& line, QString* key, QString* value) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

QString Unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

IniFile::IniFile(QString fileName) : fileName_(std::move(fileName)) {}

namespace {
// The file's identity: device, inode, size, change time (zeros when it is
// missing). The change time moves with every write and also when the file's
// permissions change. 1: it exists, 0: it does not, -errno: stat() failed
// otherwise (a folder on the way that may not be searched, an I/O error).
int FileStamp(const QString& fileName, quint64 out[4]) {
    struct stat st {};
    out[0] = out[1] = out[2] = out[3] = 0;
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? 0 : -errno;
    out[0] = st.st_dev;
    out[1] = st.st_ino;
    out[2] = quint64(st.st_size);
    out[3] = quint64(st.st_ctim.tv_sec) * 1000000000ull + quint64(st.st_ctim.tv_nsec);
    return 1;
}

QString CannotRead(const QString& fileName, const QString& why) {
    return QStringLiteral("Не удается прочитать файл %1: %2").arg(fileName, why);
}

// The whole file, or why it cannot be had (false with no error: the file is
// not there, a new file).
bool ReadWholeFile(const QString& fileName, QByteArray* data, QString* error) {
    // Without O_NONBLOCK a pipe put in the file's place would hold the open
    // until some writer came; the descriptor is checked to be a plain file
    // before anything is read from it.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            *error = CannotRead(fileName, qt_error_string(errno));
        return false;
    }
    struct stat st {};
    QString why;
    if (::fstat(fd, &st) != 0)
        why = qt_error_string(errno);
    else if (!S_ISREG(st.st_mode))
        why = QStringLiteral("это не обычный файл");
    if (!why.isEmpty()) {
        ::close(fd);
        *error = CannotRead(fileName, why);
        return false;
    }
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = CannotRead(fileName, f.errorString());
        return false;
    }
    *data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = CannotRead(fileName, f.errorString());
        return false;
    }
    return true;
}
} // namespace

void IniFile::Refresh() const {
    if (pending_)
        return; // the group's writes are the truth until they are committed
    quint64 now[4];
    const int state = FileStamp(fileName_, now);
    // A file that could not be read is tried again each time, whatever its stamp.
    if (loaded_ && readError_.isEmpty() && std::equal(now, now + 4, stamp_))
        return;
    std::copy(now, now + 4, stamp_);
    loaded_ = true;
    lines_.clear();
    cp1251_ = false;
    bom_ = false;
    readError_.clear();
    if (state == 0)
        return; // a new file
    if (state < 0) {
        readError_ = CannotRead(fileName_, qt_error_string(-state));
        return;
    }
    QByteArray data;
    if (!ReadWholeFile(fileName_, &data, &readError_))
        return; // unreadable, or gone since the stamp: nothing read
    QString text = DecodeTextFile(data, &cp1251_, &bom_);
    eol_ = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    trailingEol_ = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines_ = text.split(QLatin1Char('\n'));
    if (trailingEol_ && !lines_.isEmpty())
        lines_.removeLast();
}

QString IniFile::ReadError() const {
    Refresh();
    return readError_;
}

IniFile::Found IniFile::Find(const QString& section, const QString& key) const {
    Refresh();
    Found r;
    QString name;
    for (int i = 0; i < lines_.size(); ++i) {
        if (!SectionName(lines_[i], &name))
            continue;
        if (r.sectionLine >= 0) {
            r.sectionEnd = i;
            break;
        }
        if (Same(name, section))
            r.sectionLine = i;
    }
    if (r.sectionLine < 0)
        return r;
    if (r.sectionEnd < 0)
        r.sectionEnd = int(lines_.size());
    if (key.isNull())
        return r;
    QString k;
    for (int i = r.sectionLine + 1; i < r.sectionEnd; ++i)
        if (KeyOf(lines_[i], &k, nullptr) && Same(k, key)) {
            r.keyLine = i;
            break;
        }
    return r;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Found f = Find(section, key);
    if (f.keyLine < 0)
        return def;
    QString k, v;
    KeyOf(lines_[f.keyLine], &k, &v);
    return Unquote(v);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    return StrToIntDef(ReadString(section, key, QString()), def);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(const QString& section, const QString& key, double def) const {
    const auto v = StoredStrToFloatOpt(ReadString(section, key, QString()));
    return v ? *v : def;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const Found f = Find(section, key);
    const QString line = key + QLatin1Char('=') + value;
    if (f.keyLine >= 0) {
        if (lines_[f.keyLine] == line)
            return Store(); // unchanged, but the caller expects the file to exist as it is
        lines_[f.keyLine] = line;
    } else if (f.sectionLine >= 0) {
        int at = f.sectionEnd;
        while (at > f.sectionLine + 1 && lines_[at - 1].trimmed().isEmpty())
            --at;
        lines_.insert(at, line);
    } else {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty())
            lines_.append(QString());
        lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines_.append(line);
    }
    Store();
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteFloat(const QString& section, const QString& key, double value) {
    WriteString(section, key, FloatToStr(value));
}

bool IniFile::SectionExists(const QString& section) const { return Find(section, QString()).sectionLine >= 0; }

bool IniFile::ValueExists(const QString& section, const QString& key) const {
    return Find(section, key).keyLine >= 0;
}

QStringList IniFile::ReadSections() const {
    Refresh();
    QStringList out;
    QString name;
    for (const QString& l : lines_)
        if (SectionName(l, &name))
            out << name;
    return out;
}

QStringList IniFile::ReadSection(const QString& section) const {
    const Found f = Find(section, QString());
    QStringList out;
    QString k;
    for (int i = f.sectionLine + 1; f.sectionLine >= 0 && i < f.sectionEnd; ++i)
        if (KeyOf(lines_[i], &k, nullptr) && !k.isEmpty())
            out << k;
    return out;
}

void IniFile::EraseSection(const QString& section) {
    const Found f = Find(section, QString());
    if (f.sectionLine < 0)
        return RefuseUnread(); // (the section may well be in the file we could not read)
    lines_.remove(f.sectionLine, f.sectionEnd - f.sectionLine);
    Store();
}

void IniFile::DeleteKey(const QString& section, const QString& key) {
    const Found f = Find(section, key);
    if (f.keyLine < 0)
        return RefuseUnread();
    lines_.removeAt(f.keyLine);
    Store();
}

void IniFile::Commit() {
    if (batch_ > 0)
        --batch_;
    if (batch_ == 0 && pending_) {
        Store();
        pending_ = false; // (kept when the write failed: a second Commit tries again)
    }
}

void IniFile::RefuseUnread() {
    if (!readError_.isEmpty())
        Store(); // refuses, now or at the group's Commit()
}

void IniFile::Store() {
    if (batch_ > 0) {
        pending_ = true;
        return;
    }
    if (!readError_.isEmpty()) {
        // What we hold stands in for a file we could not read: written, it
        // would replace every setting the file holds with the few just made.
        // The edits are dropped; the next read looks at the disk again.
        const QString why = readError_;
        pending_ = false;
        loaded_ = false;
        lines_.clear();
        throw IniFileError(why.toStdString());
    }
    QString text = lines_.join(eol_);
    if (!lines_.isEmpty())
        text += eol_;
    const QByteArray data = EncodeTextFile(text, &cp1251_, &bom_);
    QSaveFile out(fileName_);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
        throw IniFileError(QStringLiteral("Не удается записать файл %1: %2")
                               .arg(fileName_, out.errorString())
                               .toStdString());
    // What we hold is what the file now says; remember its new identity.
    trailingEol_ = true;
    FileStamp(fileName_, stamp_);
    loaded_ = true;
}
