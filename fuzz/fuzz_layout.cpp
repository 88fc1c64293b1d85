// Layout text through the loader, with every element class registered: any
// text ends in a window or an ELayoutError, and a loaded window paints. The
// class of the first object is set to the fuzzer's own window class, so the
// program's real layouts seed the corpus as they are.

#include "FuzzSupport.h"
#include "Layout.h"

#include <QImage>
#include <QRegularExpression>

namespace {
class TFormFuzz : public QWidget {
    Q_OBJECT
};
} // namespace

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static const QRegularExpression first(QStringLiteral("^(\\s*object\\s+\\w+\\s*:\\s*)\\w+"),
                                          QRegularExpression::MultilineOption);
    text.replace(first, QStringLiteral("\\1TFormFuzz"));
    TFormFuzz root;
    root.resize(640, 480);
    try {
        LoadLayoutText(&root, text, QStringLiteral("fuzz.layout"));
    } catch (const ELayoutError&) {
        return 0;
    }
    QImage img(root.size(), QImage::Format_ARGB32);
    root.render(&img);
    return 0;
}

#include "fuzz_layout.moc"
