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
