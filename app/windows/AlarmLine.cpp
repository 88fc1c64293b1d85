#include "AlarmLine.h"

#include "FormatFloat.h"
#include "Platform.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

TAlarmLook AlarmLook(TAlarmPriority p, TAlarmState s) {
    TAlarmLook look;
    if (!IsActive(s) && !IsUnacknowledged(s))
        return look;
    switch (p) {
    case TAlarmPriority::High:
        look.back = clRed;
        look.text = clWhite;
        break;
    case TAlarmPriority::Medium:
        look.back = clYellow;
        look.text = clBlack;
        break;
    case TAlarmPriority::Low:
        look.back = clAqua;
        look.text = clBlack;
        break;
    }
    look.blinking = IsUnacknowledged(s);
    return look;
}

bool AlarmBlinkOn() {
    return (Plat().TickCountMs() / 500) % 2 == 0;
}

TAlarmLine::TAlarmLine(TAlarmService* alarms, QWidget* parent) : QWidget(parent), alarms_(alarms) {
    setObjectName(QStringLiteral("AlarmLine"));
    setFixedHeight(26);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(14);
    f.setBold(true);
    setFont(f);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 1, 2, 1);
    row->addStretch();
    silence_ = new QToolButton(this);
    silence_->setObjectName(QStringLiteral("ButtonSilence"));
    silence_->setText(QStringLiteral("Отключить звук"));
    silence_->setToolTip(QStringLiteral("Отключить звук до следующей новой сигнализации, не квитируя"));
    silence_->setCursor(Qt::ArrowCursor);
    QFont b(QStringLiteral("MS Sans Serif"));
    b.setPixelSize(11);
    silence_->setFont(b);
    row->addWidget(silence_);
    connect(silence_, &QToolButton::clicked, this, [this] {
        if (alarms_)
            alarms_->Silence();
    });
    blink_ = new QTimer(this);
    blink_->setInterval(250);
    connect(blink_, &QTimer::timeout, this, &TAlarmLine::Refresh);
    if (alarms_)
        connect(alarms_, &TAlarmService::Changed, this, &TAlarmLine::Refresh);
    Refresh();
}

void TAlarmLine::Refresh() {
    int shown = -1;
    int active = 0, unack = 0;
    TAlarmLook look;
    if (alarms_) {
        const TAlarmEngine& e = alarms_->Engine();
        active = e.ActiveCount();
        unack = e.UnackCount();
        shown = e.Headline();
        if (shown < 0)
            for (int i = 0; i < e.Count(); ++i)
                if (IsActive(e.Runtime(i).State) &&
                    (shown < 0 || int(e.Definitions()[i].Priority) < int(e.Definitions()[shown].Priority)))
                    shown = i;
        if (shown >= 0) {
            const TAlarmDef& d = e.Definitions()[shown];
            const TAlarmRuntime& r = e.Runtime(shown);
            look = AlarmLook(d.Priority, r.State);
            QString value;
            if (r.Value && std::isfinite(*r.Value) && d.Kind != TAlarmKind::Link && d.Kind != TAlarmKind::Setpoint)
                value = QStringLiteral("   (%1)").arg(FormatFloat(QStringLiteral("0.#"), *r.Value));
            text_ = QStringLiteral("%1   %2%3")
                        .arg(FormatDateTime(QStringLiteral("hh:nn:ss"), r.ActivatedAt), d.Text, value);
        }
    }
    if (shown < 0)
        text_ = QStringLiteral("Сигнализация: норма");
    counts_ = QStringLiteral("Активных: %1   Неквитированных: %2").arg(active).arg(unack);
    shown_ = shown;
    const bool dark = look.blinking && !AlarmBlinkOn();
    back_ = dark ? clSilver : look.back;
    fore_ = dark ? (look.back == clSilver ? clBlack : look.back) : look.text;
    if (dark && look.back == clYellow)
        fore_ = clBlack;
    if (look.blinking && !blink_->isActive())
        blink_->start();
    else if (!look.blinking && blink_->isActive())
        blink_->stop();
    silence_->setEnabled(alarms_ && alarms_->ToneOn());
    update();
}

void TAlarmLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(back_));
    p.setPen(ColorToQColor(clGray));
    p.drawLine(0, height() - 1, width(), height() - 1);
    p.setPen(ColorToQColor(fore_));
    p.setFont(font());
    const int right = silence_->geometry().left() - 8;
    const QFontMetrics fm(font());
    const int countsWidth = fm.horizontalAdvance(counts_);
    p.drawText(QRect(right - countsWidth, 0, countsWidth, height()), Qt::AlignVCenter | Qt::AlignRight,
               counts_);
    const QRect textRect(8, 0, std::max(0, right - countsWidth - 24), height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               fm.elidedText(text_, Qt::ElideRight, textRect.width()));
}

void TAlarmLine::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT Clicked();
}

bool TAlarmLine::Blinking() const {
    return blink_->isActive();
}

TAlarmFrame::TAlarmFrame(QWidget* target) : QWidget(target->parentWidget()), target_(target) {
    setObjectName(target->objectName() + QStringLiteral("_AlarmFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void TAlarmFrame::SetColour(TColor colour) {
    if (target_) {
        const QRect g = target_->geometry().adjusted(-3, -3, 3, 3);
        if (geometry() != g)
            setGeometry(g);
    }
    if (colour == colour_)
        return;
    colour_ = colour;
    setVisible(colour != clNone);
    if (colour != clNone)
        raise();
    update();
}

void TAlarmFrame::paintEvent(QPaintEvent*) {
    if (colour_ == clNone)
        return;
    QPainter p(this);
    QPen pen(ColorToQColor(colour_));
    pen.setWidth(3);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}
