// Corner lists of the polygon and the rotor housing, and string lists in
// general: any lines give corners or the element's message, never a crash;
// the element then paints.

#include "Ebm.h"
#include "FuzzSupport.h"
#include "Poligon.h"
#include "Styles.h"

#include <QImage>
#include <QPainter>

ORDAL_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(QLatin1Char('\n'));
    TStringList list;
    list.SetStrings(lines);
    static TPoligon* poligon = [] {
        auto* p = new TPoligon;
        p->resize(200, 120);
        return p;
    }();
    static TEBM* ebm = [] {
        auto* e = new TEBM;
        e->resize(160, 160);
        return e;
    }();
    poligon->SetPointList(&list);
    ebm->SetStatorPoints(&list);
    QImage img(200, 160, QImage::Format_ARGB32);
    poligon->render(&img);
    ebm->render(&img);
    return 0;
}
