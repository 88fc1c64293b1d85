#include "GraphDSUS.h"

#include <QEvent>

TFormGraphDSUS* FormGraphDSUS = nullptr;

TFormGraphDSUS::TFormGraphDSUS(TAppContext& context, QWidget* parent) : TFormGraphBase(context, parent) {
    TTrendWindowTraits traits;
    traits.layoutFile = QStringLiteral(":/layouts/FormGraphDSUS.layout");
    traits.charts = {QStringLiteral("LevelGraphDSUS")};
    traits.series = {{QStringLiteral("DSUS"), 0, 0, QString()}};
    traits.exportFields = {QStringLiteral("DSUS")};
    traits.exportHeaders = {QStringLiteral("Дата, время"),
                          QStringLiteral("Положение делителя потока суспензии, %")};
    traits.exportName = QStringLiteral("Делитель потока");
    traits.printTemplate = QStringLiteral("PrintWeb1.html");
    traits.picturePrefix = QStringLiteral("DIV_pic");
    Build(std::move(traits));
    const TLayout& l = Layout();
    LevelGraphDSUS = Charts[0];
    LabelTitle4 = l.Get<TLabel>(QStringLiteral("LabelTitle4"));
    PanelBottom = l.Get<TPanel>(QStringLiteral("PanelBottom"));
    PanelBottomLeft = l.Get<TPanel>(QStringLiteral("PanelBottomLeft"));
    PanelBottomRight = l.Get<TPanel>(QStringLiteral("PanelBottomRight"));
    PanelBottomCenter = l.Get<TPanel>(QStringLiteral("PanelBottomCenter"));
    OutFieldCurTime = l.Get<TOutField>(QStringLiteral("OutFieldCurTime"));
    OutFieldCursorVal = l.Get<TOutField>(QStringLiteral("OutFieldCursorVal"));
    PanelBottom->installEventFilter(this);
    PanelBottomResize();
}

bool TFormGraphDSUS::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelBottom && event->type() == QEvent::Resize)
        PanelBottomResize();
    return TFormGraphBase::eventFilter(watched, event);
}

void TFormGraphDSUS::FormResize() {
    TFormGraphBase::FormResize();
}

void TFormGraphDSUS::PanelBottomResize() {
    const int w = (PanelBottom->width() - 630) / 2;
    PanelBottomLeft->SetWidth(w);
    PanelBottomRight->SetWidth(w);
}

void TFormGraphDSUS::SetLegendPens() {
    TPen pen;
    pen.SetColor(clBlue);
    pen.SetWidth(2);
    LevelGraphDSUS = Charts.value(0);
    if (!LevelGraphDSUS)
        return;
    LevelGraphDSUS->SetGraphPen(0, &pen);
    PensFromLegendArrows(1, LevelGraphDSUS, pen);
}

void TFormGraphDSUS::LevelGraphDSUSChange(QObject*) {
    const TDateTime t = LevelGraphDSUS->GetCursorTime();
    OutFieldCursorVal->SetOutValue(LevelGraphDSUS->GetPoint(0, t));
    OutFieldCurTime->SetCaption(FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), t));
    // A caption set directly waits for the next redraw: ask for it.
    OutFieldCurTime->StyleChanged();
}
