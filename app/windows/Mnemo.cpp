#include "Mnemo.h"

#include "AlarmLine.h"

#include "Anitrans.h"
#include "Arrow.h"
#include "Barrel.h"
#include "Coalbox.h"
#include "Controls.h"
#include "Ebm.h"
#include "Editors.h"
#include "Global.h"
#include "Log.h"
#include "Outfield.h"
#include "Platform.h"
#include "Poligon.h"
#include "Pump.h"
#include "Services.h"
#include "Waterbox.h"
#include "Watermeo.h"

#include <QDir>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

TFormMnemo* FormMnemo = nullptr;
int TFormMnemo::ConveyorCounter = 0;
double TFormMnemo::BladeAngle = 360;

namespace {
const char* const kLayoutFile = ":/layouts/FormMnemo.layout";
bool IsClass(const QObject* o, const char* name) { return qstrcmp(o->metaObject()->className(), name) == 0; }
} // namespace

TFormMnemo::TFormMnemo(TAppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("FormMnemo"));
    setWindowTitle(QStringLiteral("Мнемосхема"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The scheme's background, also where it is shown scaled with room around it.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    layout_ = LoadLayout(this, QString::fromLatin1(kLayoutFile));
    OutField_PLS = layout_.Get<TOutField>(QStringLiteral("OutField_PLS"));
    OutField_PLSZ = layout_.Get<TOutField>(QStringLiteral("OutField_PLSZ"));
    OutField_KS_level = layout_.Get<TOutField>(QStringLiteral("OutField_KS_level"));
    OutField_NS_level = layout_.Get<TOutField>(QStringLiteral("OutField_NS_level"));
    OutField_VODA1 = layout_.Get<TOutField>(QStringLiteral("OutField_VODA1"));
    OutField_DSUS = layout_.Get<TOutField>(QStringLiteral("OutField_DSUS"));
    OutField_DSUS_M100 = layout_.Get<TOutField>(QStringLiteral("OutField_DSUS_M100"));
    OutField_AR1 = layout_.Get<TOutField>(QStringLiteral("OutField_AR1"));
    Flake_NS = layout_.Get<TWaterBox>(QStringLiteral("Flake_NS"));
    Flake_KS = layout_.Get<TWaterBox>(QStringLiteral("Flake_KS"));
    WaterMEO_VODA1 = layout_.Get<TWaterMEO>(QStringLiteral("WaterMEO_VODA1"));
    WaterMEO_DSUS = layout_.Get<TWaterMEO>(QStringLiteral("WaterMEO_DSUS"));
    Barrel_KW = layout_.Get<TBarrel>(QStringLiteral("Barrel_KW"));
    AniTrans_coal = layout_.Get<TAniTrans>(QStringLiteral("AniTrans_coal"));
    AniTrans_back = layout_.Get<TAniTrans>(QStringLiteral("AniTrans_back"));
    CoalBox1 = layout_.Get<TCoalBox>(QStringLiteral("CoalBox1"));
    EBM1 = layout_.Get<TEBM>(QStringLiteral("EBM1"));
    Pump_NS = layout_.Get<TPump>(QStringLiteral("Pump_NS"));
    Pump_KS = layout_.Get<TPump>(QStringLiteral("Pump_KS"));

    const QString exeDir = context_.ExeDir();
    const QString configDir = QDir(exeDir).filePath(QStringLiteral("config"));
    QDir().mkpath(configDir);
    ConfigPath = QDir(configDir).filePath(QStringLiteral("FormMnemo.INI"));
    SetupElements();
    OnSetupModeChanged(this, [this] { SetupElements(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(150);
    connect(Timer1, &QTimer::timeout, this, [this] {
        try {
            RefreshScheme();
        } catch (...) {
            LogRepeatedWarning("scheme refresh", CurrentExceptionText());
            Beep();
        }
    });
    Timer1->start();
}

void TFormMnemo::paintEvent(QPaintEvent* event) {
    // The parts a tick repaints lie far apart: fill those, not all between them.
    QPainter p(this);
    for (const QRect& r : event->region())
        p.fillRect(r, Qt::black);
}

void TFormMnemo::Bind(QWidget* element) {
    auto* core = dynamic_cast<TControlCore*>(element);
    if (!core)
        return;
    const TNotifyEvent edit(this, &TFormMnemo::EditElementClick);
    if (InteractiveSetupMode) {
        core->SetOnClick(edit);
        core->SetCursor(crCross);
    } else if (core->OnClick() == edit) {
        // Only our own handler goes: a handler that other code set stays.
        core->SetOnClick({});
        core->SetCursor(crDefault);
    }
}

void TFormMnemo::SetupElements() {
    for (QObject* c : Components(this)) {
        if (IsClass(c, "TArrow")) {
            auto* a = static_cast<TArrow*>(c);
            a->SetConfigName(ConfigPath);
            Bind(a);
            a->LoadConfig(QString());
        } else if (IsClass(c, "TLabel")) {
            auto* l = static_cast<TLabel*>(c);
            Bind(l);
            LoadFont(l);
        } else if (IsClass(c, "TOutField")) {
            auto* f = static_cast<TOutField*>(c);
            f->SetConfigName(ConfigPath);
            Bind(f);
            f->LoadConfig(QString());
        } else if (IsClass(c, "TWaterBox")) {
            auto* w = static_cast<TWaterBox*>(c);
            w->SetConfigName(QStringLiteral(".\\") + objectName() + QStringLiteral(".INI"));
            Bind(w);
            w->LoadConfig(QString());
        }
    }
}

QObject* TFormMnemo::ColourGroup(int tag) {
    // The layout fixes the groups: each is listed once, and every tick colours
    // its members without a walk of all the window's components (seven such
    // walks were a tenth of the tick).
    QObject*& group = colourGroups_[tag];
    if (!group) {
        group = new QObject(this);
        for (QObject* c : Components(this))
            if (const auto* core = dynamic_cast<const TControlCore*>(c); core && core->GetTag() == tag)
                AddComponent(group, c);
    }
    return group;
}

void TFormMnemo::ApplyStateColors() {
    const TStateColors& c = Running ? OnColors : OffColors;
    SetColorByTag(ColourGroup(100), 100, c[0]);
    SetColorByTag(ColourGroup(200), 200, c[1]);
    SetColorByTag(ColourGroup(3000), 3000, c[2]);
    SetColorByTag(ColourGroup(400), 400, c[3]);
    SetColorByTag(ColourGroup(500), 500, c[4]);
    SetColorByTag(ColourGroup(600), 600, c[5]);
    SetColorByTag(ColourGroup(900), 900, c[8]);
    Barrel_KW->SetUpColor(c[2]);
    Barrel_KW->SetDownColor(c[0]);
    EBM1->RotorBrush()->SetColor(c[6]);
    EBM1->StatorBrush()->SetColor(c[7]);
    WaterMEO_DSUS->WaterBrush()->SetColor(c[1]);
    WaterMEO_DSUS->Brush()->SetColor(c[0]);
    Pump_KS->Brush()->SetColor(c[0]);
    Pump_NS->Brush()->SetColor(c[1]);
    Flake_NS->SetWaterColor(c[1]);
    Flake_KS->SetWaterColor(c[0]);
}

double TFormMnemo::BarrelNoise() {
    // Marsaglia's polar method, mean 6.35, deviation 0.1.
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    double u, v, s;
    do {
        u = uniform(rng_);
        v = uniform(rng_);
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    return 6.35 + 0.1 * u * std::sqrt(-2.0 * std::log(s) / s);
}

void TFormMnemo::RefreshScheme() {
    // Some twenty elements change per tick; drawn in one pass, not one by one.
    const TRepaintBatch batch;
    double PLS = 0, PLSZ = 0, URKS = 0, URNS = 0, VODA1 = 0, DSUS = 0;
    bool manual = true;
    const bool linkFailed = context_.LinkColour() == clRed;
    if (context_.LastDataActive() && !linkFailed) {
        const TLastData d = context_.LastData();
        PLS = d.PLS;
        PLSZ = d.PLSZ;
        URKS = d.URKS;
        URNS = d.URNS;
        VODA1 = d.VODA1;
        DSUS = d.DSUS;
        manual = d.AR1 > 0.5;
    }
    bool running = PLS > context_.MinPLS();

    if (linkFailed) {
        OutField_AR1->SetCaption(QStringLiteral("Сбой связи"));
        const bool odd = Plat().TickCountMs() & 1;
        OutField_AR1->Brush()->SetColor(odd ? clRed : clWhite);
        OutField_AR1->Font()->SetColor(odd ? clWhite : clRed);
    } else {
        OutField_AR1->SetCaption(manual ? QStringLiteral("РУЧНОЙ") : QStringLiteral("АВТОМАТ"));
        OutField_AR1->Brush()->SetColor(manual ? clGreen : clAqua);
        OutField_AR1->Font()->SetColor(clBlack);
    }
    if (linkFailed)
        running = false;
    Running = running;
    ApplyStateColors();

    OutField_PLS->SetOutValue(PLS);
    OutField_PLSZ->SetOutValue(PLSZ);
    OutField_KS_level->SetOutValue(URKS);
    Flake_KS->SetWaterLevel(URKS * 0.044);
    OutField_NS_level->SetOutValue(URNS);
    Flake_NS->SetWaterLevel(URNS * 0.044);
    OutField_VODA1->SetOutValue(VODA1);
    WaterMEO_VODA1->SetPosition(100 - VODA1);
    WaterMEO_DSUS->SetPosition(DSUS);
    OutField_DSUS->SetOutValue(DSUS);
    OutField_DSUS_M100->SetOutValue(100 - DSUS);
    RefreshAlarmFrames();
    if (!Running)
        return; // every animation keeps its last frame

    Barrel_KW->SetWaterLevel(BarrelNoise());
    EBM1->SetBladeAngle(int(StepWrap(EBM1->GetBladeAngle(), 359, 1, 0)));
    CoalBox1->NextFrame();
    CoalBox1->NextFrame();
    ConveyorCounter = ConveyorCounter + 1 >= 100 ? 0 : ConveyorCounter + 1;
    AniTrans_coal->SetPosition(100 - ConveyorCounter);
    AniTrans_back->SetPosition(ConveyorCounter);
    CoalBox1->Setblade_angle(BladeAngle);
    BladeAngle -= 3;
    if (BladeAngle < 0)
        BladeAngle += 360;
}

void TFormMnemo::RefreshAlarmFrames() {
    TAlarmService* alarms = context_.Alarms();
    if (!alarms)
        return;
    const struct {
        const char* tag;
        TOutField* field;
    } fields[] = {{"PLS", OutField_PLS}, {"URKS", OutField_KS_level}, {"URNS", OutField_NS_level},
                  {"VODA1", OutField_VODA1}, {"DSUS", OutField_DSUS}};
    const bool blinkOn = AlarmBlinkOn();
    for (const auto& f : fields) {
        const int i = alarms->AlarmOnTag(QLatin1String(f.tag));
        TColor colour = clNone;
        if (i >= 0) {
            const TAlarmLook look = AlarmLook(alarms->Engine().Definitions()[i].Priority, alarms->Engine().Runtime(i).State);
            if (!look.blinking || blinkOn)
                colour = look.back;
        }
        TAlarmFrame* frame = alarmFrames_.value(f.field);
        if (!frame && colour == clNone)
            continue;
        if (!frame)
            frame = alarmFrames_[f.field] = new TAlarmFrame(f.field);
        frame->SetColour(colour);
    }
}

void TFormMnemo::EditElementClick(QObject* sender) {
    if (!sender)
        return;
    if (IsClass(sender, "TArrow"))
        EditArrow(static_cast<TArrow*>(sender), this);
    else if (IsClass(sender, "TBarrel"))
        EditBarrel(static_cast<TBarrel*>(sender));
    else if (IsClass(sender, "TLabel"))
        ChooseFont(static_cast<TLabel*>(sender), this);
    else if (IsClass(sender, "TOutField"))
        EditOutField(static_cast<TOutField*>(sender), this);
    else if (IsClass(sender, "TPump"))
        EditPump(static_cast<TPump*>(sender), this);
    else if (IsClass(sender, "TPoligon"))
        EditPoligon(static_cast<TPoligon*>(sender), this);
}
