#include "GraphHardParams.h"

#include "Arrow.h"
#include "GraphPoint.h"

#include <QCoreApplication>

TFormGraphHardParams* FormGraphHardParams = nullptr;

TFormGraphHardParams::TFormGraphHardParams(TAppContext& context, QWidget* parent) : TFormGraphBase(context, parent) {
    TTrendWindowTraits traits;
    traits.layoutFile = QStringLiteral(":/layouts/FormGraphHardParams.layout");
    traits.charts = {QStringLiteral("LevelGraphPLS"), QStringLiteral("LevelGraphKlapan")};
    traits.zoomButtons = {QStringLiteral("SButGraphZoom1"), QStringLiteral("SButGraphZoom4")};
    // The setpoint means nothing while the density is run by hand: plotted as 0.
    traits.series = {{QStringLiteral("PLS"), 0, 0, QString()},
                   {QStringLiteral("PLSZ"), 0, 1, QStringLiteral("AR1")},
                   {QStringLiteral("VODA1"), 1, 0, QString()}};
    traits.exportFields = {QStringLiteral("PLS"), QStringLiteral("PLSZ"), QStringLiteral("AR1"),
                         QStringLiteral("VODA1")};
    traits.exportHeaders = {QStringLiteral("Дата, время"), QStringLiteral("Плотность текущая, кг/м3"),
                          QStringLiteral("Плотность заданная, кг/м3"),
                          QStringLiteral("Режим (AR1 > 0,5: ручной)"),
                          QStringLiteral("Положение клапана разбавления суспензии, %")};
    traits.exportName = QStringLiteral("Параметры процесса");
    traits.printTemplate = QStringLiteral("PrintWeb2.html");
    traits.picturePrefix = QStringLiteral("pic");
    traits.printCaptions = {QStringLiteral("LabelTitle1"), QStringLiteral("LabelTitle4")};
    Build(std::move(traits));
    const TLayout& l = Layout();
    LevelGraphPLS = Charts[0];
    LevelGraphKlapan = Charts[1];
    LabelTitle1 = l.Get<TLabel>(QStringLiteral("LabelTitle1"));
    LabelTitle4 = l.Get<TLabel>(QStringLiteral("LabelTitle4"));
    LabelLegend11 = l.Get<TLabel>(QStringLiteral("LabelLegend11"));
    LabelLegend12 = l.Get<TLabel>(QStringLiteral("LabelLegend12"));
    ArrowLegend11 = l.Get<TArrow>(QStringLiteral("ArrowLegend11"));
    ArrowLegend12 = l.Get<TArrow>(QStringLiteral("ArrowLegend12"));
    SButGraphZoom1 = ZoomButtons[0];
    SButGraphZoom4 = ZoomButtons[1];
    PopupMenu1 = l.Get<TPopupMenu>(QStringLiteral("PopupMenu1"));
    FormResize();
}

void TFormGraphHardParams::FormResize() {
    if (Charts.isEmpty())
        return; // the layout is still being read
    ResizeCharts(3);
    if (!LabelLegend11)
        return;
    const int left = width() - LabelLegend11->width() - 15;
    for (QWidget* w : {static_cast<QWidget*>(LabelLegend11), static_cast<QWidget*>(LabelLegend12),
                       static_cast<QWidget*>(ArrowLegend11), static_cast<QWidget*>(ArrowLegend12)})
        w->move(left, w->y());
}

void TFormGraphHardParams::ShowAllCharts() {
    const TLayoutPass pass(this);
    ChartZoomed.fill(false);
    LevelGraphKlapan->SetAlign(alBottom);
    LevelGraphKlapan->SetVisible(false);
    LevelGraphPLS->SetVisible(false);
    QCoreApplication::processEvents();
    const int a = (height() - PanelTop->height() - 20) / 2;
    LevelGraphKlapan->SetTop(height() - a + 50);
    LevelGraphKlapan->SetHeight(a + 20);
    LevelGraphKlapan->SetGraphSubHeight(30);
    LevelGraphKlapan->SetShowScaleX(true);
    LevelGraphKlapan->SetAlign(alBottom);
    LevelGraphKlapan->SetVisible(true);
    LevelGraphPLS->SetAlign(alClient);
    LevelGraphPLS->SetHeight(a - 50);
    LevelGraphPLS->SetGraphSubHeight(10);
    LevelGraphPLS->SetShowScaleX(false);
    LevelGraphPLS->SetVisible(true);
    FocusFirstChart();
}

void TFormGraphHardParams::SetLegendPens() {
    TPen pen;
    for (int k = 1; k <= Charts.size(); ++k) {
        TLevelGraph* g = Charts[k - 1];
        pen.SetColor(clRed);
        g->SetGraphPen(0, &pen);
        PensFromLegendArrows(k, g, pen);
    }
}

void TFormGraphHardParams::CmdShowSatelliteClick(QObject*) {
    if (!FormHardParamsPoint) {
        FormHardParamsPoint = new TFormHardParamsPoint(Context(), this);
        // Owned by this window then: the global must not outlive it.
        connect(FormHardParamsPoint, &QObject::destroyed, [] { FormHardParamsPoint = nullptr; });
    }
    FormHardParamsPoint->Source = this;
    FormHardParamsPoint->show();
    FormHardParamsPoint->raise();
}
