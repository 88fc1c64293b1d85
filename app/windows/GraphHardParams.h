#pragma once
// The trend window of the heavy-medium process: suspension density with its
// setpoint, and the position of the dilution valve.

#include "Graph.h"

class TFormGraphHardParams : public TFormGraphBase {
    Q_OBJECT
public:
    explicit TFormGraphHardParams(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);

    TLevelGraph* LevelGraphPLS = nullptr;
    TLevelGraph* LevelGraphKlapan = nullptr;
    TLabel* LabelTitle1 = nullptr;
    TLabel* LabelTitle4 = nullptr;
    TLabel* LabelLegend11 = nullptr;
    TLabel* LabelLegend12 = nullptr;
    TArrow* ArrowLegend11 = nullptr;
    TArrow* ArrowLegend12 = nullptr;
    TSpeedButton* SButGraphZoom1 = nullptr;
    TSpeedButton* SButGraphZoom4 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;

    void FormResize() override;
    // The density chart fills the window above the valve chart, which alone
    // shows the time labels.
    void ShowAllCharts() override;
    void SetLegendPens() override;

public Q_SLOTS:
    void CmdShowSatelliteClick(QObject* sender);
};

extern TFormGraphHardParams* FormGraphHardParams;
