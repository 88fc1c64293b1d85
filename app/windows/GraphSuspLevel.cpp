#include "GraphSuspLevel.h"

#include "GraphPoint.h"

#include <QCoreApplication>

TFormGraphSuspLevel* FormGraphSuspLevel = nullptr;

TFormGraphSuspLevel::TFormGraphSuspLevel(TAppContext& context, QWidget* parent) : TFormGraphBase(context, parent) {
    TTrendWindowTraits traits;
    traits.layoutFile = QStringLiteral(":/layouts/FormGraphSuspLevel.layout");
    traits.charts = {QStringLiteral("LevelGraphSuspLevelKS"), QStringLiteral("LevelGraphSuspLevelNS")};
    traits.zoomButtons = {QStringLiteral("SButGraphZoom1"), QStringLiteral("SButGraphZoom2")};
    // The НС level is the НС chart's channel 1 (its blue pen); channel 0 stays empty.
    traits.series = {{QStringLiteral("URKS"), 0, 0, QString()}, {QStringLiteral("URNS"), 1, 1, QString()}};
    traits.exportFields = {QStringLiteral("URKS"), QStringLiteral("URNS")};
    traits.exportHeaders = {QStringLiteral("Дата, время"), QStringLiteral("Уровень в сборнике КС, %"),
                          QStringLiteral("Уровень в сборнике НС, %")};
    traits.exportName = QStringLiteral("Уровни в сборниках");
    traits.printTemplate = QStringLiteral("PrintWeb2.html");
    traits.picturePrefix = QStringLiteral("SL_pic");
    traits.printCaptions = {QStringLiteral("LabelTitle1"), QStringLiteral("LabelTitle2")};
    Build(std::move(traits));
    const TLayout& l = Layout();
    LevelGraphSuspLevelKS = Charts[0];
    LevelGraphSuspLevelNS = Charts[1];
    LabelTitle1 = l.Get<TLabel>(QStringLiteral("LabelTitle1"));
    LabelTitle2 = l.Get<TLabel>(QStringLiteral("LabelTitle2"));
    SButGraphZoom1 = ZoomButtons[0];
    SButGraphZoom2 = ZoomButtons[1];
    PopupMenu1 = l.Get<TPopupMenu>(QStringLiteral("PopupMenu1"));
    FormResize();
}

void TFormGraphSuspLevel::FormResize() {
    if (Charts.isEmpty())
        return; // the layout is still being read
    ResizeCharts(4);
}

void TFormGraphSuspLevel::ShowAllCharts() {
    const TLayoutPass pass(this);
    ChartZoomed.fill(false);
    LevelGraphSuspLevelNS->SetAlign(alBottom);
    LevelGraphSuspLevelNS->SetVisible(false);
    LevelGraphSuspLevelKS->SetVisible(false);
    QCoreApplication::processEvents();
    const int a = (height() - PanelTop->height() - 20) / 2;
    LevelGraphSuspLevelKS->SetAlign(alTop);
    LevelGraphSuspLevelKS->SetHeight(a);
    LevelGraphSuspLevelKS->SetGraphSubHeight(10);
    LevelGraphSuspLevelKS->SetShowScaleX(false);
    LevelGraphSuspLevelKS->SetVisible(true);
    LevelGraphSuspLevelNS->SetTop(height() - a + 50);
    LevelGraphSuspLevelNS->SetHeight(a - 50);
    LevelGraphSuspLevelNS->SetGraphSubHeight(30);
    LevelGraphSuspLevelNS->SetShowScaleX(true);
    LevelGraphSuspLevelNS->SetAlign(alClient);
    LevelGraphSuspLevelNS->SetVisible(true);
    FocusFirstChart();
}

void TFormGraphSuspLevel::SetLegendPens() {
    TPen pen;
    for (int k = 1; k <= Charts.size(); ++k) {
        TLevelGraph* g = Charts[k - 1];
        pen.SetColor(clRed);
        pen.SetWidth(3);
        g->SetGraphPen(0, &pen);
        PensFromLegendArrows(k, g, pen);
    }
}

void TFormGraphSuspLevel::CmdShowSatelliteClick(QObject*) {
    if (!FormSuspLevelPoint) {
        FormSuspLevelPoint = new TFormSuspLevelPoint(Context(), this);
        // Owned by this window then: the global must not outlive it.
        connect(FormSuspLevelPoint, &QObject::destroyed, [] { FormSuspLevelPoint = nullptr; });
    }
    FormSuspLevelPoint->Source = this;
    FormSuspLevelPoint->show();
    FormSuspLevelPoint->raise();
}
