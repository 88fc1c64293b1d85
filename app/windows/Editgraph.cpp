#include "Editgraph.h"

#include "Levelgraph.h"
#include "NumText.h"
#include "Platform.h"

#include <optional>

TFormEditGraph* FormEditGraph = nullptr;

TFormEditGraph::TFormEditGraph(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    setPalette(pal);
    layout_ = LoadLayout(this, QStringLiteral(":/layouts/FormEditGraph.layout"));
    GroupBox1 = layout_.Get<TGroupBox>(QStringLiteral("GroupBox1"));
    GroupBox2 = layout_.Get<TGroupBox>(QStringLiteral("GroupBox2"));
    CheckBoxAutoYMin = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxAutoYMin"));
    CheckBoxAutoYMax = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxAutoYMax"));
    CheckBoxAutoYScale = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxAutoYScale"));
    CheckBoxShowRightScale = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxShowRightScale"));
    EditYMin = layout_.Get<TEdit>(QStringLiteral("EditYMin"));
    EditYMax = layout_.Get<TEdit>(QStringLiteral("EditYMax"));
    EditYLabelStep = layout_.Get<TEdit>(QStringLiteral("EditYLabelStep"));
    EditRightYMin = layout_.Get<TEdit>(QStringLiteral("EditRightYMin"));
    EditRightScaleStep = layout_.Get<TEdit>(QStringLiteral("EditRightScaleStep"));
    BitBtn1 = layout_.Get<TButton>(QStringLiteral("BitBtn1"));
    BitBtn2 = layout_.Get<TButton>(QStringLiteral("BitBtn2"));
    setFixedSize(size());
    // The first group in the order check box, edit, check box, edit, ...
    setTabOrder(CheckBoxAutoYMin, EditYMin);
    setTabOrder(EditYMin, CheckBoxAutoYMax);
    setTabOrder(CheckBoxAutoYMax, EditYMax);
    setTabOrder(EditYMax, CheckBoxAutoYScale);
    setTabOrder(CheckBoxAutoYScale, EditYLabelStep);
}

void TFormEditGraph::CheckBoxAutoYMinClick(QObject*) {
    EditYMin->setVisible(!CheckBoxAutoYMin->GetChecked());
}

void TFormEditGraph::CheckBoxAutoYMaxClick(QObject*) {
    EditYMax->setVisible(!CheckBoxAutoYMax->GetChecked());
}

void TFormEditGraph::CheckBoxAutoYScaleClick(QObject*) {
    EditYLabelStep->setVisible(!CheckBoxAutoYScale->GetChecked());
}

void TFormEditGraph::CheckBoxShowRightScaleClick(QObject*) {
    const bool on = CheckBoxShowRightScale->GetChecked();
    EditRightYMin->setVisible(on);
    EditRightScaleStep->setVisible(on);
}

void EditChartScale(QObject* chart) {
    auto* g = qobject_cast<TLevelGraph*>(chart);
    if (!g)
        return;
    TFormEditGraph dialog(g->window()); // over the window the chart is in
    // Setting a box runs its click handler, so the edits follow the boxes.
    const auto check = [](TCheckBox* box, bool on, void (TFormEditGraph::*click)(QObject*),
                          TFormEditGraph& d) {
        box->SetChecked(on);
        (d.*click)(box);
    };
    check(dialog.CheckBoxAutoYMin, g->GetAutoYMin(), &TFormEditGraph::CheckBoxAutoYMinClick, dialog);
    check(dialog.CheckBoxAutoYMax, g->GetAutoYMax(), &TFormEditGraph::CheckBoxAutoYMaxClick, dialog);
    check(dialog.CheckBoxAutoYScale, g->GetAutoYScale(), &TFormEditGraph::CheckBoxAutoYScaleClick, dialog);
    check(dialog.CheckBoxShowRightScale, g->GetShowRightScale(), &TFormEditGraph::CheckBoxShowRightScaleClick,
          dialog);
    dialog.EditYMin->SetText(FloatToStr(g->GetYMin()));
    dialog.EditYMax->SetText(FloatToStr(g->GetYMax()));
    dialog.EditYLabelStep->SetText(FloatToStr(g->GetYLabelStep()));
    dialog.EditRightYMin->SetText(FloatToStr(g->GetRightYMin()));
    dialog.EditRightScaleStep->SetText(FloatToStr(g->GetRightScaleStep()));
    if (Plat().ExecDialog(dialog) != QDialog::Accepted)
        return;
    // Each value goes through the chart's setter as soon as it is read, so a
    // minimum above the old maximum first pushes the maximum up and the
    // maximum read next then applies.
    const std::pair<TEdit*, void (TLevelGraph::*)(double)> values[] = {
        {dialog.EditYMin, &TLevelGraph::SetYMin},
        {dialog.EditYMax, &TLevelGraph::SetYMax},
        {dialog.EditYLabelStep, &TLevelGraph::SetYLabelStep},
        {dialog.EditRightYMin, &TLevelGraph::SetRightYMin},
        {dialog.EditRightScaleStep, &TLevelGraph::SetRightScaleStep},
    };
    for (const auto& [edit, set] : values) {
        const std::optional<double> v = StrToFloatOpt(edit->GetText());
        if (!v) {
            ShowError(QStringLiteral("Правильно вводите числа."));
            return;
        }
        (g->*set)(*v);
    }
    g->SetAutoYMin(dialog.CheckBoxAutoYMin->GetChecked());
    g->SetAutoYMax(dialog.CheckBoxAutoYMax->GetChecked());
    g->SetAutoYScale(dialog.CheckBoxAutoYScale->GetChecked());
    g->SetShowRightScale(dialog.CheckBoxShowRightScale->GetChecked());
    g->UpdateChanges();
}
