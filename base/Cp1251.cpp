#include "Cp1251.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {
// Unicode code points of the bytes 0x80..0xFF of Windows-1251 (0xFFFD: unassigned).
constexpr std::array<char16_t, 128> kUpperHalf{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
} // namespace

QString Cp1251ToString(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += b < 0x80 ? QChar(b) : QChar(kUpperHalf[b - 0x80]);
    }
    return out;
}

std::optional<QByteArray> StringToCp1251(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out += char(u);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 128; ++i)
            if (kUpperHalf[i] == u && u != 0xFFFD) {
                found = i;
                break;
            }
        if (found < 0)
            return std::nullopt;
        out += char(0x80 + found);
    }
    return out;
}

QByteArray StringToCp1251Lossy(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const auto one = StringToCp1251(QString(c));
        out += one ? *one : QByteArray("?");
    }
    return out;
}

namespace {
const QByteArray kBom("\xEF\xBB\xBF");

bool ValidUtf8(const QByteArray& data) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data); // (decoding happens here, not in decode())
    return !utf8.hasError();
}
} // namespace

QString DecodeTextFile(QByteArray data, bool* cp1251, bool* bom) {
    *bom = data.startsWith(kBom);
    if (*bom)
        data.remove(0, 3);
    // The mark is taken off once, above; a U+FEFF after it is text.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(data);
    *cp1251 = utf8.hasError();
    if (*cp1251)
        text = Cp1251ToString(data);
    return text;
}

QByteArray EncodeTextFile(const QString& text, bool* cp1251, bool* bom) {
    if (*cp1251) {
        // Bytes that are valid UTF-8 (with a letter above ASCII) or that begin
        // like a byte order mark would be read back as another text.
        const auto bytes = StringToCp1251(text);
        if (bytes && !bytes->startsWith(kBom) &&
            (std::all_of(bytes->begin(), bytes->end(), [](char c) { return uchar(c) < 0x80; }) ||
             !ValidUtf8(*bytes)))
            return *bytes;
        *cp1251 = false; // kept whole, in UTF-8
    }
    // A reader takes one leading U+FEFF for the mark: the text's own needs one before it.
    if (text.startsWith(QChar(0xFEFF)))
        *bom = true;
    return *bom ? kBom + text.toUtf8() : text.toUtf8();
}
