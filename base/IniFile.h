#pragma once
// INI files with the Windows profile semantics the workstation's files were
// written for: sections and keys match without regard to case, the first match
// wins, a value is everything after the first "=" (";" and "#" included),
// trimmed, with one pair of enclosing quotes removed. Comments, unknown lines,
// order and line endings are kept. Every write reaches the disk at once, through
// a temporary file renamed over the old one, so a crash leaves the old or the
// new file, never half of one. Files are read as UTF-8, or as Windows-1251 when
// they are not valid UTF-8, and written back in the encoding they were read in.
//
// A file that exists but cannot be read (no permission, a folder or a pipe in
// its place, an I/O error) reads as empty, so every read gives its default, and
// is never written: a write to what looks like an empty file would replace
// every setting it holds. Writes to it throw IniFileError with the reason and
// leave it as it is; once it can be read again, it is read and written as any.

#include <QString>
#include <QStringList>
#include <stdexcept>

class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    explicit IniFile(QString fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, "0x" or "$" hexadecimal; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Any non-zero integer is true.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // A number with the workstation's decimal separator; anything else gives def.
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // Why the file could not be read, as of now; empty when it was read or does
    // not exist (a new file).
    QString ReadError() const;

    // Writes throw IniFileError when the file cannot be written, or could not
    // be read (DeleteKey and EraseSection too, even when they find nothing).
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const; // the keys, in file order
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

    // A group of writes that reaches the file in one step: between Begin() and
    // Commit() the writes through this object change only what it holds, and
    // Commit() writes them all atomically (it throws IniFileError when the
    // file cannot be written). A configuration saved this way is on disk
    // wholly as before or wholly as after, whenever the program may die.
    // Dropped without Commit(), nothing of the group is written.
    void Begin() { ++batch_; }
    void Commit();

private:
    struct Found {
        int sectionLine = -1; // line of the "[section]" header
        int sectionEnd = -1;  // one past the last line of the section
        int keyLine = -1;
    };

    void Refresh() const;
    Found Find(const QString& section, const QString& key) const;
    void Store();
    void RefuseUnread();

    QString fileName_;
    mutable QStringList lines_;
    mutable bool cp1251_ = false;
    mutable bool bom_ = false;
    mutable QString eol_ = QStringLiteral("\n");
    mutable bool trailingEol_ = true;
    // Identity of the file contents last read: device, inode, size, ctime.
    mutable quint64 stamp_[4] = {0, 0, 0, 0};
    mutable bool loaded_ = false;
    // Set while the file on disk could not be read; lines_ is then an empty
    // stand-in, and Store() refuses.
    mutable QString readError_;
    int batch_ = 0;
    bool pending_ = false; // writes of a group not yet on disk
};
