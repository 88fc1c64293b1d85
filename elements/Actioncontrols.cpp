#include "Actioncontrols.h"

#include "Layout.h"

#include <QEvent>
#include <QPainter>

ORDAL_REGISTER_CLASS(TActionLabel)
ORDAL_REGISTER_CLASS(TActionPanel)
ORDAL_REGISTER_CLASS(TActionImage)

// ---- TActionLink ----

TActionLink::TActionLink(QWidget* control, TControlCore* core, std::function<void(const QString&)> caption)
    : QObject(control), control_(control), core_(core), caption_(std::move(caption)) {}

void TActionLink::SetAction(QAction* action) {
    if (action_ == action)
        return;
    QObject::disconnect(changed_);
    action_ = action;
    if (action_) {
        changed_ = connect(action_, &QAction::changed, this, &TActionLink::Update);
        Update();
    }
}

void TActionLink::Update() {
    if (!action_)
        return;
    if (caption_)
        caption_(action_->text());
    core_->SetHint(action_->toolTip());
    if (control_->isEnabled() != action_->isEnabled()) {
        control_->setEnabled(action_->isEnabled());
        control_->update();
    }
    if (core_->GetVisible() != action_->isVisible())
        core_->SetVisible(action_->isVisible());
}

void TActionLink::Execute() {
    if (action_ && action_->isEnabled() && control_->isEnabled())
        action_->trigger();
}

// ---- TActionLabel ----

TActionLabel::TActionLabel(QWidget* owner)
    : TLabel(owner), link_(new TActionLink(this, this, [this](const QString& text) { SetCaption(text); })) {}

void TActionLabel::Click() {
    if (OnClick())
        TLabel::Click();
    else
        link_->Execute();
}

void TActionLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange)
        update();
    TLabel::changeEvent(e);
}

void TActionLabel::Paint(QPainter& canvas) {
    if (isEnabled()) {
        TLabel::Paint(canvas);
        return;
    }
    // Greyed as the classic label greys: a light copy one pixel down and right,
    // the shadow-coloured text over it.
    if (!GetTransparent())
        canvas.fillRect(rect(), ColorToQColor(GetColor()));
    int flags = GetAlignment() == taRightJustify ? Qt::AlignRight
                : GetAlignment() == taCenter     ? Qt::AlignHCenter
                                                 : Qt::AlignLeft;
    flags |= GetLayout() == tlBottom   ? Qt::AlignBottom
             : GetLayout() == tlCenter ? Qt::AlignVCenter
                                       : Qt::AlignTop;
    if (GetWordWrap())
        flags |= Qt::TextWordWrap;
    if (GetShowAccelChar())
        flags |= Qt::TextShowMnemonic;
    canvas.setFont(Font()->ToQFont());
    canvas.setPen(QColor(Qt::white));
    canvas.drawText(rect().translated(1, 1), flags, GetCaption());
    canvas.setPen(ColorToQColor(clBtnShadow));
    canvas.drawText(rect(), flags, GetCaption());
}

// ---- TActionPanel ----

TActionPanel::TActionPanel(QWidget* owner)
    : TPanel(owner), link_(new TActionLink(this, this, [this](const QString& text) { SetCaption(text); })) {}

void TActionPanel::Click() {
    if (OnClick())
        TPanel::Click();
    else
        link_->Execute();
}

// ---- TActionImage ----

TActionImage::TActionImage(QWidget* owner) : TImage(owner), link_(new TActionLink(this, this, nullptr)) {}

void TActionImage::Click() {
    if (OnClick())
        TImage::Click();
    else
        link_->Execute();
}
