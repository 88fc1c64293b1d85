#include "Texttable.h"

#include "Cp1251.h"
#include "Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

TTextTable::TTextTable(QObject* owner) : QObject(owner) {}

QChar TTextTable::Separator() const {
    const QString s = Cp1251ToString(QByteArray(1, char(fieldBorderCode_ & 0xFF)));
    return s.isEmpty() ? QChar(u'\t') : s.at(0);
}

QString TTextTable::Record(const QStringList& values) const {
    const QChar sep = Separator();
    QString line;
    for (const QString& v : values)
        line += v + sep;
    return line;
}

// ---- open and close ------------------------------------------------------------------

void TTextTable::SetActive(bool v) {
    if (v && !active_)
        Open();
    else if (!v && active_)
        Close();
}

void TTextTable::Open() {
    if (QFileInfo::exists(tableName_)) {
        QFile f(tableName_);
        // A file we cannot read is not an empty table: opening it as one would
        // write the empty table over it at close.
        if (!QFileInfo(tableName_).isFile() || !f.open(QIODevice::ReadOnly)) {
            ShowError(QStringLiteral("Не удается прочитать файл %1").arg(tableName_));
            return;
        }
        QString text = DecodeTextFile(f.readAll(), &cp1251_, &bom_);
        eol_ = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        // Lines end at CR LF, LF or a lone CR; a break at the very end starts no line.
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        lines_ = text.split(QLatin1Char('\n'));
        if (!lines_.isEmpty() && lines_.last().isEmpty())
            lines_.removeLast();
        if (firstLineIsHeader_ && !lines_.isEmpty()) {
            const QStringList names = lines_.takeFirst().split(Separator());
            fieldList_.clear();
            for (int i = 0; i < names.size(); ++i)
                if (i + 1 < names.size() || !names[i].isEmpty())
                    fieldList_.append(names[i]);
        }
    } else if (!autoCreate_) {
        return;
    }
    recordNum_ = 0;
    active_ = true;
}

void TTextTable::Close() {
    if (firstLineIsHeader_)
        lines_.prepend(Record(fieldList_));
    QString text;
    for (const QString& l : std::as_const(lines_))
        text += l + eol_;
    const QByteArray data = EncodeTextFile(text, &cp1251_, &bom_);
    QSaveFile out(tableName_);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
        if (firstLineIsHeader_)
            lines_.removeFirst(); // a second attempt must not write the header twice
        ShowError(QStringLiteral("Не удается записать файл %1: %2").arg(tableName_, out.errorString()));
        return;
    }
    active_ = false;
}

// ---- records ----------------------------------------------------------------------------

void TTextTable::PostIfEditing() {
    if (editMode_)
        Post();
}

bool TTextTable::First() {
    if (lines_.isEmpty())
        return false;
    PostIfEditing();
    recordNum_ = 0;
    ReloadFields();
    return true;
}

bool TTextTable::Last() {
    if (lines_.isEmpty())
        return false;
    PostIfEditing();
    recordNum_ = int(lines_.size()) - 1;
    ReloadFields();
    return true;
}

bool TTextTable::Next() {
    if (lines_.isEmpty() || recordNum_ >= lines_.size() - 1)
        return false;
    PostIfEditing();
    ++recordNum_;
    ReloadFields();
    return true;
}

bool TTextTable::Prev() {
    if (lines_.isEmpty() || recordNum_ < 1)
        return false;
    PostIfEditing();
    --recordNum_;
    ReloadFields();
    return true;
}

bool TTextTable::Append() {
    lines_.append(QString());
    return Last();
}

bool TTextTable::Delete() {
    if (recordNum_ < 0 || recordNum_ >= lines_.size())
        return false;
    lines_.removeAt(recordNum_);
    if (recordNum_ >= 1)
        --recordNum_;
    // Always from the line now current: Fields that kept the removed record's
    // values would be posted over the record that took its place.
    if (!ReloadFields())
        fields_.clear();
    return true;
}

bool TTextTable::ReloadFields() {
    fields_.clear();
    if (recordNum_ < 0 || recordNum_ >= lines_.size())
        return false;
    const QString& line = lines_[recordNum_];
    const QChar sep = Separator();
    qsizetype pos = 0; // the remaining text starts here
    for (qsizetype i = 0; i < fieldList_.size(); ++i) {
        if (pos >= line.size()) {
            fields_.append(QString());
            continue;
        }
        const qsizetype at = line.indexOf(sep, pos);
        if (at < 0) {
            fields_.append(line.mid(pos));
            pos = line.size();
        } else {
            fields_.append(line.mid(pos, at - pos));
            pos = at + 1;
        }
    }
    return true;
}

bool TTextTable::Post() {
    editMode_ = false;
    if (recordNum_ < 0 || recordNum_ >= lines_.size())
        return false;
    // No values were ever loaded (edit mode switched on before the first move,
    // or no field names): writing them would empty the line.
    if (fields_.isEmpty())
        return false;
    // Values given as a whole list (Fields) have not been checked yet.
    for (qsizetype i = 0; i < fields_.size(); ++i) {
        const QString why =
            Unwritable(i < fieldList_.size() ? fieldList_[i] : QString::number(i + 1), fields_[i]);
        if (!why.isEmpty()) {
            ShowError(why);
            return false;
        }
    }
    lines_[recordNum_] = Record(fields_);
    return true;
}

QString TTextTable::Unwritable(const QString& name, const QString& value) const {
    // A line break would split the record into two lines of the file.
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("Значение поля \"%1\" содержит перевод строки").arg(name);
    // A separator would end the value early: it and every later field of the
    // record would be read back one place further on.
    if (value.contains(Separator()))
        return QStringLiteral("Значение поля \"%1\" содержит разделитель полей").arg(name);
    return QString();
}

void TTextTable::SetRecordNum(int n) {
    if (n == recordNum_)
        return;
    PostIfEditing();
    recordNum_ = n;
}

void TTextTable::SetRecordCount(int n) {
    if (qsizetype(n) == lines_.size() + 1)
        Append();
}

// ---- fields -------------------------------------------------------------------------------

int TTextTable::FieldIndex(const QString& name) const {
    for (int i = 0; i < fieldList_.size(); ++i)
        if (fieldList_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TTextTable::GetFieldByName(const QString& name) {
    const int i = FieldIndex(name);
    if (i < 0) {
        ShowError(QStringLiteral("Неизвестное поле \"%1\"").arg(name));
        return QString();
    }
    return i < fields_.size() ? fields_[i] : QString();
}

void TTextTable::SetFieldByName(const QString& name, const QString& value) {
    const int i = FieldIndex(name);
    if (i < 0) {
        ShowError(QStringLiteral("Неизвестное поле \"%1\"").arg(name));
        return;
    }
    const QString why = Unwritable(fieldList_[i], value);
    if (!why.isEmpty()) {
        ShowError(why);
        return;
    }
    if (i < fields_.size())
        fields_[i] = value;
}
