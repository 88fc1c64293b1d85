#pragma once
// Windows-1251, the single-byte code page of the workstation's older files and
// of the scrambled password.

#include <QByteArray>
#include <QString>
#include <optional>

QString Cp1251ToString(const QByteArray& bytes);
// Nothing when a character has no Windows-1251 byte.
std::optional<QByteArray> StringToCp1251(const QString& text);
// Characters without a Windows-1251 byte become "?".
QByteArray StringToCp1251Lossy(const QString& text);

// The workstation's text files (INI files, day files, text tables) are UTF-8,
// after an optional byte order mark, or Windows-1251 when their bytes are not
// valid UTF-8. Reads the text and how the file was written.
QString DecodeTextFile(QByteArray data, bool* cp1251, bool* bom);
// The bytes that DecodeTextFile reads back as text, in the file's encoding
// where that can be: Windows-1251 while the text fits the code page and its
// bytes cannot be taken for UTF-8 or for a byte order mark; UTF-8 otherwise
// (*cp1251 becomes false), after a byte order mark when the file had one or
// when the text itself begins with U+FEFF (*bom becomes true).
QByteArray EncodeTextFile(const QString& text, bool* cp1251, bool* bom);
