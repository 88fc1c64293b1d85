#include "Services.h"

#include "Global.h"
#include "Stdcontrols.h"

#include "Actioncontrols.h"
#include "Arrow.h"
#include "Bladewheel.h"
#include "Controls.h"
#include "Conusbox.h"
#include "Ebm.h"
#include "IniFile.h"
#include "Layout.h"
#include "Log.h"
#include "Mixer.h"
#include "Outfield.h"
#include "Platform.h"
#include "Poligon.h"
#include "Pump.h"
#include "Separator.h"
#include "Skat.h"
#include "Tamrixutil.h"
#include "Valve.h"
#include "Watercircle.h"

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <QHash>
#include <functional>

namespace {

using Painter = std::function<void(QObject*, TColor)>;

// A valve takes the colour on its pen and its brush, and is drawn again.
void ColourValve(TValve* valve, TColor c) {
    valve->Pen()->SetColor(c);
    valve->Brush()->SetColor(c);
    RepaintNow(valve);
}

// A bladed drum takes it on its blades and its frame.
void ColourBladeWheel(TBladeWheel* wheel, TColor c) {
    wheel->BladePen()->SetColor(c);
    wheel->Pen()->SetColor(c);
}

// What gets the colour, by exact class name.
const QHash<QByteArray, Painter>& ColourRules() {
    static const QHash<QByteArray, Painter> rules{
        {"TArrow", [](QObject* o, TColor c) { static_cast<TArrow*>(o)->SetColor(c); }},
        {"TOutField", [](QObject* o, TColor c) { static_cast<TOutField*>(o)->Pen()->SetColor(c); }},
        {"TLabel", [](QObject* o, TColor c) { static_cast<TLabel*>(o)->Font()->SetColor(c); }},
        {"TPump", [](QObject* o, TColor c) { static_cast<TPump*>(o)->Brush()->SetColor(c); }},
        {"TPoligon", [](QObject* o, TColor c) { static_cast<TPoligon*>(o)->Brush()->SetColor(c); }},
        {"TPanel", [](QObject* o, TColor c) { static_cast<TPanel*>(o)->SetColor(c); }},
        {"TActionPanel", [](QObject* o, TColor c) { static_cast<TActionPanel*>(o)->SetColor(c); }},
        {"TWaterCircle", [](QObject* o, TColor c) { static_cast<TWaterCircle*>(o)->SetWaterColor(c); }},
        {"TEBM", [](QObject* o, TColor c) { static_cast<TEBM*>(o)->StatorBrush()->SetColor(c); }},
        {"TConusBox", [](QObject* o, TColor c) { static_cast<TConusBox*>(o)->SetWaterColor(c); }},
        {"TValve", [](QObject* o, TColor c) { ColourValve(static_cast<TValve*>(o), c); }},
        {"TBladeWheel", [](QObject* o, TColor c) { ColourBladeWheel(static_cast<TBladeWheel*>(o), c); }},
        {"TMixer", [](QObject* o, TColor c) { static_cast<TMixer*>(o)->SetWaterColor(c); }},
        {"TSeparator", [](QObject* o, TColor c) { static_cast<TSeparator*>(o)->SetWaterColor(c); }},
        {"TSkat", [](QObject* o, TColor c) { static_cast<TSkat*>(o)->Brush()->SetColor(c); }},
    };
    return rules;
}

TFont* FontOf(QWidget* control) { return control ? control->property("Font").value<TFont*>() : nullptr; }

QString FontFile(QWidget* control) {
    const QWidget* parent = control->parentWidget();
    return IniPath(QStringLiteral(".\\config\\") + (parent ? parent->objectName() : QString()) +
                   QStringLiteral(".INI"));
}

// The chosen font in the element's terms.
void TakeFont(TFont* font, const QFont& q, TColor colour) {
    font->SetName(q.family());
    if (q.pixelSize() > 0)
        font->SetHeight(-q.pixelSize());
    else
        font->SetSize(qRound(q.pointSizeF()));
    TFontStyles style;
    style.setFlag(fsBold, q.bold());
    style.setFlag(fsItalic, q.italic());
    style.setFlag(fsUnderline, q.underline());
    style.setFlag(fsStrikeOut, q.strikeOut());
    font->SetStyle(style);
    font->SetColor(colour);
}

} // namespace

void SetColorByTag(QObject* owner, int tag, TColor color) {
    const auto& rules = ColourRules();
    for (QObject* c : Components(owner)) {
        const auto* core = dynamic_cast<const TControlCore*>(c);
        if (!core || core->GetTag() != tag)
            continue;
        const auto rule = rules.constFind(QByteArray(c->metaObject()->className()));
        if (rule != rules.cend())
            (*rule)(c, color);
    }
}

bool LoadFont(QWidget* control) {
    try {
        TFont* font = FontOf(control);
        if (!font)
            return false;
        const IniFile ini(FontFile(control));
        const QString section = control->objectName();
        font->SetColor(ini.ReadInteger(section, QStringLiteral("FontColor"), font->GetColor()));
        font->SetSize(ini.ReadInteger(section, QStringLiteral("FontSize"), font->GetSize()));
        font->SetName(ini.ReadString(section, QStringLiteral("FontName"), font->GetName()));
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "LoadFont" << control->objectName() << CurrentExceptionText();
        return false;
    }
}

bool SaveFont(QWidget* control, QString* error) {
    try {
        TFont* font = FontOf(control);
        if (!font)
            return false;
        IniFile ini(FontFile(control));
        ini.Begin();
        const QString section = control->objectName();
        ini.WriteInteger(section, QStringLiteral("FontColor"), font->GetColor());
        ini.WriteInteger(section, QStringLiteral("FontSize"), font->GetSize());
        ini.WriteString(section, QStringLiteral("FontName"), font->GetName());
        ini.Commit();
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "SaveFont" << control->objectName() << CurrentExceptionText();
        if (error)
            *error = CurrentExceptionText();
        return false;
    }
}

bool ChooseFont(QWidget* control, QWidget* owner) {
    try {
        TFont* font = FontOf(control);
        if (!font)
            return false;
        QFont chosen = font->ToQFont();
        TColor colour = font->GetColor();
        if (!Plat().ChooseFont(chosen, colour, owner))
            return false;
        TakeFont(font, chosen, colour);
        QString why;
        if (SaveFont(control, &why))
            return true;
        // The label shows the font until the next set-up of the scheme, which
        // reads the file again: the operator hears that it was not kept.
        ShowError(QStringLiteral("Шрифт не сохранен: %1").arg(why));
        return false;
    } catch (...) {
        qCWarning(lcOrdal) << "ChooseFont" << control->objectName() << CurrentExceptionText();
        return false;
    }
}

bool PickCurrentShiftDay(TDateTimePicker& picker, std::optional<TDateTime>& picked) {
    if (picked && picker.Date() != *picked)
        return false;
    picked = ShiftDayOf(Now());
    picker.SetDateTime(*picked);
    return true;
}

const char* const kLoadingCaptionSuffix = " — идёт загрузка…";

void ShowLoadingCaption(QWidget* window, bool on) {
    static const char* const kLoadingProperty = "ordalLoadingSince";
    const QString suffix = QString::fromUtf8(kLoadingCaptionSuffix);
    if (!on) {
        window->setProperty(kLoadingProperty, QVariant());
        QString title = window->windowTitle();
        if (title.endsWith(suffix)) {
            title.chop(suffix.size());
            window->setWindowTitle(title);
        }
        return;
    }
    // Each load its own number: a short load that ended and a new one that
    // began meanwhile must not take the older one's timer for their own.
    static quint64 loads = 0;
    const quint64 load = ++loads;
    window->setProperty(kLoadingProperty, load);
    QTimer::singleShot(400, window, [window, load, suffix] {
        if (window->property(kLoadingProperty).toULongLong() != load)
            return;
        if (!window->windowTitle().endsWith(suffix))
            window->setWindowTitle(window->windowTitle() + suffix);
    });
}
