#pragma once
// The chart settings dialog of the set-up mode: the value scale of one chart
// (minimum, maximum and grid step, each fixed or automatic) and its right-hand
// scale. EditChartScale fills it from a chart, shows it and writes it back.

#include "Layout.h"
#include "Stdcontrols.h"

#include <QDialog>

class TFormEditGraph : public QDialog {
    Q_OBJECT
public:
    explicit TFormEditGraph(QWidget* parent = nullptr);

    TGroupBox *GroupBox1, *GroupBox2;
    TCheckBox *CheckBoxAutoYMin, *CheckBoxAutoYMax, *CheckBoxAutoYScale, *CheckBoxShowRightScale;
    TEdit *EditYMin, *EditYMax, *EditYLabelStep, *EditRightYMin, *EditRightScaleStep;
    TButton *BitBtn1, *BitBtn2;

    const TLayout& Layout() const { return layout_; }

public Q_SLOTS:
    // Each edit shows exactly while its value is fixed.
    void CheckBoxAutoYMinClick(QObject* sender);
    void CheckBoxAutoYMaxClick(QObject* sender);
    void CheckBoxAutoYScaleClick(QObject* sender);
    // The right-hand scale's edits show while it is on (their labels stay).
    void CheckBoxShowRightScaleClick(QObject* sender);

private:
    TLayout layout_;
};

extern TFormEditGraph* FormEditGraph;

// Edits the scale of a chart (nothing for anything but a TLevelGraph). On OK
// the texts are applied in the order minimum, maximum, step, right minimum,
// right step, then the four switches; a text that is no number stops there
// with "Правильно вводите числа." (what was applied before it stays).
void EditChartScale(QObject* chart);
