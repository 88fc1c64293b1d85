// Any stored text (a hand-edited configuration file) through the password
// unscrambler: a clear text or EConvertError, nothing else. Any password (the
// input as typed, and whatever a stored text reads back as) scrambles into the
// stored form and reads back as itself, or is refused for characters that
// Windows-1251 lacks.

#include "Cp1251.h"
#include "FuzzSupport.h"
#include "Vmcrypt.h"

ORDAL_FUZZ_INIT

namespace {

void RoundTrip(ScramblerState& state, const QString& clear) {
    const auto bytes = StringToCp1251(clear);
    QString stored;
    try {
        stored = ScrambleText(state, clear);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!bytes); // refused only for a character outside the code page
        return;
    }
    FUZZ_CHECK(bytes);
    FUZZ_CHECK(stored.size() == 50 + 4 * bytes->size());
    for (const QChar c : stored)
        FUZZ_CHECK(c >= QLatin1Char('0') && c <= QLatin1Char('Z'));
    QString back;
    try {
        back = UnscrambleText(state, stored);
    } catch (const EConvertError&) {
        FUZZ_CHECK(false && "a scrambled text is refused by the unscrambler");
    }
    FUZZ_CHECK(back == clear);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScramblerState state(1);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    RoundTrip(state, QString::fromUtf8(bytes));
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        QString clear;
        try {
            clear = UnscrambleText(state, text);
        } catch (const EConvertError&) {
            continue; // not of the scrambled form: the error is the answer
        }
        RoundTrip(state, clear);
    }
    return 0;
}
