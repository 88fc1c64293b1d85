#pragma once
// The trend window of the suspension flow divider: one chart with a read-out
// bar of the time and value under the cursor instead of a point window.

#include "Graph.h"
#include "Outfield.h"

class TFormGraphDSUS : public TFormGraphBase {
    Q_OBJECT
public:
    explicit TFormGraphDSUS(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);

    TLevelGraph* LevelGraphDSUS = nullptr;
    TLabel* LabelTitle4 = nullptr;
    TPanel* PanelBottom = nullptr;
    TPanel* PanelBottomLeft = nullptr;
    TPanel* PanelBottomRight = nullptr;
    TPanel* PanelBottomCenter = nullptr;
    TOutField* OutFieldCurTime = nullptr;
    TOutField* OutFieldCursorVal = nullptr;

    void FormResize() override;
    void SetLegendPens() override;
    // Keeps the 630-pixel middle of the read-out bar centred.
    void PanelBottomResize();

public Q_SLOTS:
    // The read-out follows the cursor the operator moves.
    void LevelGraphDSUSChange(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TFormGraphDSUS* FormGraphDSUS;
