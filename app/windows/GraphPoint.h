#pragma once
// The point windows: the values of a trend window's curves at its cursor, as
// numbers, with buttons that step the cursor by one chart step. They stay on
// top while their trend window is the one the operator brought forward, and
// hide themselves as soon as another child window comes forward.

#include "AppContext.h"
#include "Layout.h"
#include "Outfield.h"
#include "Stdcontrols.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

class TFormGraphBase;

class TFormGraphPoint : public QDialog {
    Q_OBJECT
public:
    TOutField* OutFieldDateTime = nullptr;
    TSpeedButton* ButGoLeft = nullptr;
    TSpeedButton* ButGoRight = nullptr;
    QTimer* Timer1 = nullptr;
    // The trend window that showed this one last (the owner at first).
    QPointer<QWidget> Source;

    // Every 100 ms while shown: hide when another window came forward, else
    // show the values at the cursor.
    void Timer1Timer();
    const TLayout& Layout() const { return layout_; }

public Q_SLOTS:
    void ButGoLeftClick(QObject* sender);
    void ButGoRightClick(QObject* sender);

protected:
    // A value field and the curve it shows.
    struct TPointField {
        TOutField* field;
        int chart;
        int channel;
    };
    TFormGraphPoint(TAppContext& context, QWidget* owner);
    TAppContext& context_;
    // Loads the layout (it names the derived class) and binds the value
    // fields: name, chart index, channel. The derived constructor calls it.
    void Build(const QString& layoutFile, const QList<std::tuple<QString, int, int>>& fields);
    // The trend window whose charts the values come from.
    virtual TFormGraphBase* Trend() const = 0;
    // Whether the main window's current child lets this window stay.
    virtual bool MayStay() const = 0;

private:
    void Step(int direction);

    TLayout layout_;
    QList<TPointField> fields_;
};

// Serves the heavy-medium trend window.
class TFormHardParamsPoint : public TFormGraphPoint {
    Q_OBJECT
public:
    explicit TFormHardParamsPoint(TAppContext& context = NoAppContext(), QWidget* owner = nullptr);
    TOutField *OutFieldVAL10 = nullptr, *OutFieldVAL11 = nullptr, *OutFieldVAL20 = nullptr;

protected:
    TFormGraphBase* Trend() const override;
    bool MayStay() const override;
};

// Serves the sump level trend window.
class TFormSuspLevelPoint : public TFormGraphPoint {
    Q_OBJECT
public:
    explicit TFormSuspLevelPoint(TAppContext& context = NoAppContext(), QWidget* owner = nullptr);
    TOutField *OutFieldVAL10 = nullptr, *OutFieldVAL11 = nullptr;

protected:
    TFormGraphBase* Trend() const override;
    bool MayStay() const override;
};

extern TFormHardParamsPoint* FormHardParamsPoint;
extern TFormSuspLevelPoint* FormSuspLevelPoint;
