// Any stored text (a hand-edited configuration file) through the password
// unscrambler: a clear text or EConvertError, nothing else.

#include "FuzzSupport.h"
#include "Vmcrypt.h"

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScramblerState state(1);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        try {
            const QString clear = UnscrambleText(state, text);
            // What reads back must scramble again (it is Windows-1251 by construction).
            if (!clear.isEmpty())
                UnscrambleText(state, ScrambleText(state, clear));
        } catch (const EConvertError&) {
        }
    }
    return 0;
}
