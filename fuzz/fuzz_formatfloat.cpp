// Format patterns and values: the first 8 bytes are the value (NaN, the
// infinities and 1e300 included), the rest the pattern. Any pattern gives a
// text of bounded length.

#include "FormatFloat.h"
#include "FuzzSupport.h"
#include "NumText.h"

#include <cstring>

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8)
        return 0;
    double value;
    std::memcpy(&value, data, 8);
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(data + 8), qsizetype(size - 8));
    for (QChar sep : {QChar('.'), QChar(',')}) {
        const QString text = FormatFloat(pattern, value, sep, QChar(' '));
        // Digits beyond the 15 significant ones and the longest exponent, plus
        // the pattern's own characters, and group separators.
        if (text.size() > 2 * pattern.size() + 64)
            std::abort();
        FloatToStr(value, sep);
    }
    return 0;
}
