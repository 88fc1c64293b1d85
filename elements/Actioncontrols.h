#pragma once
// A label, a panel and an image usable as command links: each can be bound to
// one of the application's commands (a QAction, not owned). While bound, the
// control's caption, hint, enabled and visible state follow the action's (text,
// tool tip, enabled, visible), now and on every later change of the action, and
// a click runs the action. A disabled action greys the control, and a disabled
// control takes no clicks. An own OnClick, when set, is run instead of the
// action, as the classic controls do. Without an action each is its plain base.

#include "Controls.h"

#include <QAction>
#include <QPointer>
#include <functional>

// The binding of one control to an action.
class TActionLink : public QObject {
    Q_OBJECT
public:
    // caption: how the control shows the action's text (empty for a control without one).
    TActionLink(QWidget* control, TControlCore* core, std::function<void(const QString&)> caption);

    QAction* Action() const { return action_; }
    void SetAction(QAction* action);
    // Runs the action as a click does: only when one is bound and enabled.
    void Execute();

private:
    void Update();

    QWidget* control_;
    TControlCore* core_;
    std::function<void(const QString&)> caption_;
    QPointer<QAction> action_;
    QMetaObject::Connection changed_;
};

class TActionLabel : public TLabel {
    Q_OBJECT
    Q_PROPERTY(QAction* Action READ GetAction WRITE SetAction)
public:
    explicit TActionLabel(QWidget* owner = nullptr);

    QAction* GetAction() const { return link_->Action(); }
    void SetAction(QAction* action) { link_->SetAction(action); }
    void Click() override;

protected:
    void Paint(QPainter& canvas) override;
    void changeEvent(QEvent* e) override;

private:
    TActionLink* link_;
};

class TActionPanel : public TPanel {
    Q_OBJECT
    Q_PROPERTY(QAction* Action READ GetAction WRITE SetAction)
public:
    explicit TActionPanel(QWidget* owner = nullptr);

    QAction* GetAction() const { return link_->Action(); }
    void SetAction(QAction* action) { link_->SetAction(action); }
    void Click() override;

private:
    TActionLink* link_;
};

class TActionImage : public TImage {
    Q_OBJECT
    Q_PROPERTY(QAction* Action READ GetAction WRITE SetAction)
public:
    explicit TActionImage(QWidget* owner = nullptr);

    QAction* GetAction() const { return link_->Action(); }
    void SetAction(QAction* action) { link_->SetAction(action); }
    void Click() override;

private:
    TActionLink* link_;
};
