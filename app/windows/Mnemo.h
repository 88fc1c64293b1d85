#pragma once
// The live mnemonic scheme of the heavy-medium section: a window of process
// elements built from its layout file, refreshed every 150 ms from the newest
// process record that the main window keeps.

#include "AppContext.h"
#include "ColorSets.h"
#include "Layout.h"

#include <QHash>
#include <QTimer>
#include <QWidget>
#include <random>

class TAlarmFrame;
class TAniTrans;
class TArrow;
class TBarrel;
class TCoalBox;
class TEBM;
class TOutField;
class TPump;
class TWaterBox;
class TWaterMEO;

class TFormMnemo : public QWidget {
    Q_OBJECT
public:
    explicit TFormMnemo(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);

    // Bound elements.
    TOutField *OutField_PLS, *OutField_PLSZ, *OutField_KS_level, *OutField_NS_level, *OutField_VODA1,
        *OutField_DSUS, *OutField_DSUS_M100, *OutField_AR1;
    TWaterBox *Flake_NS, *Flake_KS;
    TWaterMEO *WaterMEO_VODA1, *WaterMEO_DSUS;
    TBarrel* Barrel_KW;
    TAniTrans *AniTrans_coal, *AniTrans_back;
    TCoalBox* CoalBox1;
    TEBM* EBM1;
    TPump *Pump_NS, *Pump_KS;
    QTimer* Timer1;

    QString ConfigPath; // <program directory>/config/FormMnemo.INI
    bool Running = false;
    // Animation counters, shared by the process.
    static int ConveyorCounter; // n: 1 ... 99, 0
    static double BladeAngle;   // g: 360, 357, ... 0, 357 ...

    void SetupElements();
    void ApplyStateColors();
    void RefreshScheme();
    // Frames the value fields whose measurement is in alarm (the scheme's tick).
    void RefreshAlarmFrames();
    // The frame of a value field (created with the first alarm on it); nullptr before.
    TAlarmFrame* AlarmFrameOf(const QWidget* field) const { return alarmFrames_.value(field); }
    void EditElementClick(QObject* sender);

    const TLayout& Layout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Bind(QWidget* element);
    double BarrelNoise();
    // The components of the window with that Tag (the scope SetColorByTag walks).
    QObject* ColourGroup(int tag);

    TAppContext& context_;
    TLayout layout_;
    QHash<int, QObject*> colourGroups_;
    QHash<const QWidget*, TAlarmFrame*> alarmFrames_;
    std::mt19937 rng_{std::random_device{}()};
};

extern TFormMnemo* FormMnemo;
