#pragma once
// An INI file for the data set's day and hour files, with the same profile
// semantics as base's IniFile (sections and keys match without regard to case,
// the first match wins, a value is everything after the first "=", trimmed and
// unquoted; comments, unknown lines, order, encoding and line endings are kept)
// and two differences that a file of thousands of records needs:
//
//  - keys are found through a hash, not by walking the lines, so the binary
//    search over a file's record stamps costs a few lookups, not a scan each;
//  - edits collect in memory and Save() writes them in one go, through a
//    temporary file renamed over the old one. An append or a delete touches
//    several keys and sections; written one by one, a crash between two writes
//    would leave a file whose count and stamps disagree.
//
// A file that another object changed on disk is read again by Refresh(); the
// reads themselves do not look at the disk, so one operation sees one state.
//
// A file that exists but cannot be read (no permission, a folder in its place,
// an I/O error) reads as empty, says so in ReadError(), and is never written:
// saving an edit of what looks like an empty file would replace every record
// it holds.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <vector>

class IndexedIniFile {
public:
    explicit IndexedIniFile(QString fileName);

    const QString& FileName() const { return fileName_; }
    // Why the file on disk could not be read at the last Refresh(); empty when
    // it was read or does not exist. Save() refuses while it is set.
    const QString& ReadError() const { return readError_; }

    // Reads the file again when it changed on disk (or was never read). Unsaved
    // edits are dropped then.
    void Refresh();

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, "0x" or "$" hexadecimal; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // The value of key "R<n>" (the data set's numbered keys) without building
    // the key's text: empty when missing. Valid until the next change or Refresh.
    QStringView ReadNumbered(const QString& section, int n) const;
    // The values of the keys "R<n>" of the section with n below limit, in
    // ascending n (each n's first occurrence): what reading R0 .. R(limit-1)
    // one by one finds, in the time of the section's length whatever limit is.
    std::vector<std::pair<int, QStringView>> NumberedValues(const QString& section, int limit) const;
    bool SectionExists(const QString& section) const;

    // Edits in memory, written by Save(). New keys go to the end of their
    // section, new sections to the end of the file, as IniFile writes them.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);
    // Gives each section `from` the name `to` (its lines stay where they are).
    // All are looked up before any is renamed, so a chain R5->R4, R6->R5 ...
    // moves every section one place and costs one pass.
    void RenameSections(const QList<QPair<QString, QString>>& moves);

    bool Modified() const { return modified_; }
    // Writes the file atomically. On failure (or for a file that could not be
    // read) the edits are dropped, the file on disk is read again, and error
    // says why.
    bool Save(QString* error = nullptr);
    // Drops unsaved edits.
    void Revert();

private:
    struct Section {
        QString name;   // as written between the brackets (empty for the lines before the first section)
        QString header; // the "[name]" line itself
        QStringList lines;
        // Folded key -> index in lines of its first occurrence; built on demand.
        mutable QHash<QString, int> keys;
        // n -> index in lines of the key "R<n>" (-1: none), for n below the
        // number of lines; built with keys.
        mutable std::vector<int> numbered;
        mutable bool keysValid = false;
    };

    void Parse(const QString& text);
    void Load();
    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;
    int FindKey(const Section& s, const QString& key) const;
    void IndexKeys(const Section& s) const;
    void IndexSections() const;
    // The file's identity (device, inode, size, ctime; zeros when it is
    // missing). 1: it exists, 0: it does not, -errno: stat() failed otherwise.
    int Stamp(quint64 out[4]) const;

    QString fileName_;
    // sections_[0] holds the lines before the first "[section]" (no header).
    std::vector<Section> sections_;
    // Folded section name -> index in sections_ of its first occurrence.
    mutable QHash<QString, int> sectionIndex_;
    mutable bool sectionsValid_ = false;
    // The section found last (index into sections_; -1 for none), while the
    // section index stands.
    mutable QString lastName_;
    mutable int lastFound_ = -1;
    bool cp1251_ = false;
    bool bom_ = false;
    QString eol_ = QStringLiteral("\n");
    quint64 stamp_[4] = {0, 0, 0, 0};
    bool loaded_ = false;
    bool modified_ = false;
    QString readError_;
};
