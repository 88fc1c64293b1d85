// The number and date-time text parsers: integers (decimal, "0x", "$"),
// floats with either decimal separator, and the server's moments.

#include "Database.h"
#include "FuzzSupport.h"
#include "NumText.h"

#include <cmath>

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const QString s = QString::fromUtf8(text, qsizetype(size));
    StrToIntOpt(s);
    for (QChar sep : {QChar('.'), QChar(',')})
        if (const auto x = StrToFloatOpt(s, sep); x && !std::isfinite(*x))
            std::abort(); // overflow must give nothing, not an infinity
    TDateTime t = 0;
    if (ParseSqlDateTime(text, size, t) && !std::isfinite(t))
        std::abort();
    return 0;
}
