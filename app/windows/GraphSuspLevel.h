#pragma once
// The trend window of the levels in the two suspension sumps (КС and НС).

#include "Graph.h"

class TFormGraphSuspLevel : public TFormGraphBase {
    Q_OBJECT
public:
    explicit TFormGraphSuspLevel(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);

    TLevelGraph* LevelGraphSuspLevelKS = nullptr;
    TLevelGraph* LevelGraphSuspLevelNS = nullptr;
    TLabel* LabelTitle1 = nullptr;
    TLabel* LabelTitle2 = nullptr;
    TSpeedButton* SButGraphZoom1 = nullptr;
    TSpeedButton* SButGraphZoom2 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;

    void FormResize() override;
    // The КС chart on top at a fixed height, the НС chart below filling the
    // rest and alone showing the time labels.
    void ShowAllCharts() override;
    void SetLegendPens() override;

public Q_SLOTS:
    void CmdShowSatelliteClick(QObject* sender);
};

extern TFormGraphSuspLevel* FormGraphSuspLevel;
