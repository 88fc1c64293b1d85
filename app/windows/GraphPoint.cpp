#include "GraphPoint.h"

#include "GraphHardParams.h"
#include "GraphSuspLevel.h"

#include <QStyle>

TFormHardParamsPoint* FormHardParamsPoint = nullptr;
TFormSuspLevelPoint* FormSuspLevelPoint = nullptr;

namespace {
// Cursor moments are sums of day counts and steps: a step back to the start
// of the interval must count as at the start.
constexpr TDateTime kMomentEpsilon = 0.001 * OneSecond;
} // namespace

TFormGraphPoint::TFormGraphPoint(TAppContext& context, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      context_(context) {
    Source = owner;
}

void TFormGraphPoint::Build(const QString& layoutFile, const QList<std::tuple<QString, int, int>>& fields) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    setPalette(pal);
    layout_ = LoadLayout(this, layoutFile);
    OutFieldDateTime = layout_.Get<TOutField>(QStringLiteral("OutFieldDateTime"));
    ButGoLeft = layout_.Get<TSpeedButton>(QStringLiteral("ButGoLeft"));
    ButGoRight = layout_.Get<TSpeedButton>(QStringLiteral("ButGoRight"));
    ButGoLeft->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    ButGoRight->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    for (const auto& [name, chart, channel] : fields)
        fields_.append({layout_.Get<TOutField>(name), chart, channel});
    setFixedSize(size());
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TFormGraphPoint::Timer1Timer);
    Timer1->start();
}

void TFormGraphPoint::Timer1Timer() {
    if (!isVisible() || !context_.DialogOwner())
        return;
    if (!MayStay()) {
        hide();
        return;
    }
    const TFormGraphBase* trend = Trend();
    if (!trend || trend->Charts.isEmpty())
        return;
    const TDateTime t = trend->Charts[0]->GetCursorTime();
    for (const TPointField& f : fields_) {
        const TLevelGraph* g = trend->Charts.value(f.chart);
        if (!g)
            continue;
        f.field->SetOutValue(g->GetPoint(f.channel, t));
        // The frame has the curve's colour and width.
        f.field->SetPen(g->GraphPen(f.channel));
    }
    const QString text = FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), t);
    OutFieldDateTime->SetCaption(text);
    // The format is not used for this field's text; a new one asks for its redraw.
    OutFieldDateTime->SetOutFormat(text);
}

void TFormGraphPoint::Step(int direction) {
    TFormGraphBase* trend = Trend();
    if (!trend || trend->Charts.isEmpty())
        return;
    const TLevelGraph* first = trend->Charts[0];
    const TDateTime t = first->GetCursorTime() + direction * first->GetDataStep();
    // Unlike the arrow keys, the buttons never leave the interval.
    if (direction < 0 ? t < first->GetStartTime() - kMomentEpsilon
                      : t > first->GetStopTime() + kMomentEpsilon)
        return;
    for (TLevelGraph* g : trend->Charts)
        g->SetCursorTime(t);
}

void TFormGraphPoint::ButGoLeftClick(QObject*) {
    Step(-1);
}

void TFormGraphPoint::ButGoRightClick(QObject*) {
    Step(1);
}

// ---------------------------------------------------------------------------

TFormHardParamsPoint::TFormHardParamsPoint(TAppContext& context, QWidget* owner)
    : TFormGraphPoint(context, owner) {
    Build(QStringLiteral(":/layouts/FormHardParamsPoint.layout"), {{QStringLiteral("OutFieldVAL10"), 0, 0},
                                                                   {QStringLiteral("OutFieldVAL11"), 0, 1},
                                                                   {QStringLiteral("OutFieldVAL20"), 1, 0}});
    OutFieldVAL10 = Layout().Get<TOutField>(QStringLiteral("OutFieldVAL10"));
    OutFieldVAL11 = Layout().Get<TOutField>(QStringLiteral("OutFieldVAL11"));
    OutFieldVAL20 = Layout().Get<TOutField>(QStringLiteral("OutFieldVAL20"));
}

TFormGraphBase* TFormHardParamsPoint::Trend() const {
    return FormGraphHardParams;
}

bool TFormHardParamsPoint::MayStay() const {
    const QWidget* current = context_.CurrentChild();
    return !current || !Source || current->objectName() == Source->objectName();
}

TFormSuspLevelPoint::TFormSuspLevelPoint(TAppContext& context, QWidget* owner)
    : TFormGraphPoint(context, owner) {
    Build(QStringLiteral(":/layouts/FormSuspLevelPoint.layout"),
          {{QStringLiteral("OutFieldVAL10"), 0, 0}, {QStringLiteral("OutFieldVAL11"), 1, 1}});
    OutFieldVAL10 = Layout().Get<TOutField>(QStringLiteral("OutFieldVAL10"));
    OutFieldVAL11 = Layout().Get<TOutField>(QStringLiteral("OutFieldVAL11"));
}

TFormGraphBase* TFormSuspLevelPoint::Trend() const {
    return FormGraphSuspLevel;
}

bool TFormSuspLevelPoint::MayStay() const {
    // Also while no child has been brought forward yet: then it hides.
    const QWidget* current = context_.CurrentChild();
    return current && current == Source;
}
