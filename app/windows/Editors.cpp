#include "Editors.h"

#include "Arrow.h"
#include "Barrel.h"
#include "ElementBase.h"
#include "Layout.h"
#include "Log.h"
#include "NumText.h"
#include "Outfield.h"
#include "Platform.h"
#include "Poligon.h"
#include "Pump.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

TLookEditor* FormArrowEdit = nullptr;
TLookEditor* FormEditBarrel = nullptr;
TLookEditor* FormOutFieldEdit = nullptr;
TLookEditor* FormEditPoligon = nullptr;
TLookEditor* FormEditPump = nullptr;

namespace {

TConfigurable* Look(QWidget* w) { return dynamic_cast<TConfigurable*>(w); }
TPen* PenOf(QWidget* w) { return w ? w->property("Pen").value<TPen*>() : nullptr; }
TFont* FontOf(QWidget* w) {
    return w ? w->property("Font").value<TFont*>() : nullptr;
}

// The font dialog's choice, face, size, styles and colour, as one change of the
// element's font.
void TakeChosenFont(TFont& font, const QFont& q, TColor colour) {
    TFont chosen;
    chosen.Assign(font);
    chosen.SetName(q.family());
    if (q.pixelSize() > 0)
        chosen.SetHeight(-q.pixelSize());
    else
        chosen.SetSize(qRound(q.pointSizeF()));
    TFontStyles style;
    style.setFlag(fsBold, q.bold());
    style.setFlag(fsItalic, q.italic());
    style.setFlag(fsUnderline, q.underline());
    style.setFlag(fsStrikeOut, q.strikeOut());
    chosen.SetStyle(style);
    chosen.SetColor(colour);
    font.Assign(chosen);
}

void CopyFontStyle(QWidget* from, QWidget* to) {
    TFont* a = FontOf(from);
    TFont* b = FontOf(to);
    if (a && b)
        b->SetStyle(a->GetStyle());
}

// A colour button: the colour dialog opens with the preview's current colour.
TLookEditor::Action Colour(const QString& caption, std::function<TColor(QWidget*)> get,
                           std::function<void(QWidget*, TColor)> set) {
    return {caption, [get, set](TLookEditor& e) {
                TColor c = get(e.Preview());
                if (Plat().ChooseColor(c, &e))
                    set(e.Preview(), c);
            }};
}

TLookEditor::Action PenColour(const QString& caption) {
    return Colour(caption, [](QWidget* p) { return PenOf(p)->GetColor(); },
                  [](QWidget* p, TColor c) { PenOf(p)->SetColor(c); });
}

template <class T> TLookEditor::Action BrushColour(const QString& caption) {
    return Colour(caption, [](QWidget* p) { return static_cast<T*>(p)->Brush()->GetColor(); },
                  [](QWidget* p, TColor c) { static_cast<T*>(p)->Brush()->SetColor(c); });
}

// Saves the element's look; a save that failed is said to the operator. The
// arrows, tanks, pumps and polygons report a failed save only with false (the
// value fields throw, and the general error handler says it), which would leave
// the operator believing a look was kept that the next set-up of the scheme
// will not show.
void SayNotSaved(const TConfigurable& look) {
    ShowError(QStringLiteral("Вид элемента не сохранен: %1").arg(look.SaveError()));
}

bool SaveLook(QWidget* element) {
    TConfigurable* look = Look(element);
    if (!look)
        return false;
    if (look->SaveConfig())
        return true;
    SayNotSaved(*look);
    return false;
}

bool RunEditor(TLookEditor* editor, QWidget* element, QObject* scope) {
    if (!editor || !element)
        return false;
    editor->SetEdited(element);
    if (Plat().ExecDialog(*editor) != QDialog::Accepted)
        return false;
    return scope ? PropagateLook(element, scope) : true;
}

} // namespace

TLookEditor::TLookEditor(const QString& name, const QString& caption, QWidget* preview, const QString& widthCaption,
                         QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), preview_(preview),
      edited_(preview) {
    setObjectName(name);
    setWindowTitle(caption);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);

    auto* top = new QHBoxLayout(this);
    auto* stage = new QWidget(this);
    stage->setObjectName(QStringLiteral("PanelPreview"));
    stage->setMinimumSize(preview->width() + 24, preview->height() + 24);
    stage->setAutoFillBackground(true);
    QPalette pal = stage->palette();
    pal.setColor(QPalette::Window, Qt::black); // the scheme's background
    stage->setPalette(pal);
    preview->setParent(stage);
    preview->move(12, 12);
    top->addWidget(stage, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    top->addLayout(column);
    buttonsAt_ = column;
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(new QLabel(widthCaption, this));
    EditWidth = new QLineEdit(this);
    EditWidth->setObjectName(QStringLiteral("EditWidth"));
    EditWidth->setMaximumWidth(60);
    widthRow->addWidget(EditWidth);
    column->addLayout(widthRow);
    connect(EditWidth, &QLineEdit::returnPressed, this, [this] { TakeWidth(); });
    column->addStretch();

    ButApply = new QPushButton(QStringLiteral("Применить"), this);
    ButApply->setObjectName(QStringLiteral("ButApply"));
    ButCancel = new QPushButton(QStringLiteral("Отменить"), this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    ButSaveGroup = new QPushButton(QStringLiteral("Сохранить для всей группы"), this);
    ButSaveGroup->setObjectName(QStringLiteral("ButSaveGroup"));
    for (QPushButton* b : {ButApply, ButCancel, ButSaveGroup}) {
        b->setAutoDefault(false);
        column->addWidget(b);
    }
    connect(ButApply, &QPushButton::clicked, this, &TLookEditor::ApplyClick);
    connect(ButCancel, &QPushButton::clicked, this, &TLookEditor::CancelClick);
    connect(ButSaveGroup, &QPushButton::clicked, this, &TLookEditor::SaveGroupClick);
}

void TLookEditor::AddAction(const Action& action) {
    auto* b = new QPushButton(action.caption, this);
    b->setAutoDefault(false);
    buttonsAt_->insertWidget(int(ActionButtons.size()), b);
    ActionButtons << b;
    connect(b, &QPushButton::clicked, this, [this, run = action.run] { run(*this); });
}

void TLookEditor::AddButton(QPushButton* button) { buttonsAt_->addWidget(button); }

bool TLookEditor::IsArrowEditor() const { return qobject_cast<TArrow*>(preview_) != nullptr; }

int TLookEditor::PreviewWidth() const {
    if (auto* a = qobject_cast<TArrow*>(preview_))
        return a->GetArrowWidth();
    const TPen* pen = PenOf(preview_);
    return pen ? pen->GetWidth() : 0;
}

void TLookEditor::SetPreviewWidth(int width) {
    if (auto* a = qobject_cast<TArrow*>(preview_))
        a->SetArrowWidth(width);
    else if (TPen* pen = PenOf(preview_))
        pen->SetWidth(width);
}

bool TLookEditor::TakeWidth() {
    const auto width = StrToIntOpt(EditWidth->text());
    // A line narrower than nothing would be saved and loaded back as it is.
    if (!width || *width < 0) {
        ShowError(QStringLiteral("'%1' не является целым числом.").arg(EditWidth->text()));
        return false;
    }
    SetPreviewWidth(*width);
    return true;
}

void TLookEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TConfigurable* e = Look(edited_);
    TConfigurable* p = Look(preview_);
    if (!e || !p)
        return;
    if (IsArrowEditor()) {
        auto* ea = static_cast<TArrow*>(edited_);
        auto* pa = static_cast<TArrow*>(preview_);
        pa->SetArrowWidth(ea->GetArrowWidth());
        pa->SetColor(ea->GetColor());
        EditWidth->setText(QString::number(PreviewWidth()));
        SaveLook(edited_);
        return;
    }
    // A snapshot of the element's look in its own section; the preview takes it.
    // A file that cannot be written is reported once the preview is set up: the
    // preview works on the element's file, never on the one edited before.
    const TFont* font = FontOf(edited_);
    editedFontStyle_ = font ? int(font->GetStyle()) : -1;
    std::exception_ptr failed;
    bool saved = true;
    try {
        saved = e->SaveConfig();
    } catch (...) {
        failed = std::current_exception();
    }
    p->SetConfigName(e->GetConfigName());
    p->LoadConfig(edited_->objectName());
    CopyFontStyle(edited_, preview_);
    preview_->repaint();
    EditWidth->setText(QString::number(PreviewWidth()));
    if (failed)
        std::rethrow_exception(failed);
    if (!saved)
        SayNotSaved(*e);
}

void TLookEditor::ApplyClick() {
    if (IsArrowEditor()) {
        if (!TakeWidth())
            return;
        auto* ea = static_cast<TArrow*>(edited_);
        auto* pa = static_cast<TArrow*>(preview_);
        ea->SetArrowWidth(pa->GetArrowWidth());
        ea->SetColor(pa->GetColor());
        return;
    }
    if (SaveLook(preview_))
        if (TConfigurable* e = Look(edited_)) {
            e->LoadConfig(preview_->objectName());
            CopyFontStyle(preview_, edited_);
        }
}

void TLookEditor::CancelClick() {
    if (TConfigurable* e = Look(edited_)) {
        e->LoadConfig(QString());
        if (TFont* font = FontOf(edited_); font && editedFontStyle_ >= 0)
            font->SetStyle(TFontStyles::fromInt(editedFontStyle_));
    }
    QDialog::reject();
}

void TLookEditor::reject() {
    CancelClick();
}

void TLookEditor::SaveGroupClick() {
    // A look that was not saved is not handed on to the group: the editor stays
    // open (as it does when a value field's save throws).
    if (!Look(edited_) || SaveLook(edited_))
        accept();
}

bool PropagateLook(QWidget* element, QObject* scope) {
    const auto* core = dynamic_cast<const TControlCore*>(element);
    if (!core || core->GetTag() == 0)
        return true;
    bool ok = true;
    const char* cls = element->metaObject()->className();
    for (QObject* c : Components(scope)) {
        const auto* other = dynamic_cast<const TControlCore*>(c);
        if (!other || other->GetTag() != core->GetTag() || qstrcmp(c->metaObject()->className(), cls) != 0)
            continue;
        TConfigurable* look = Look(qobject_cast<QWidget*>(c));
        if (!look)
            continue;
        try {
            ok = look->LoadConfig(element->objectName()) && ok;
            ok = look->SaveConfig() && ok;
        } catch (...) {
            qCWarning(lcOrdal) << "look of" << c->objectName() << "not copied:" << CurrentExceptionText();
            ok = false;
        }
    }
    return ok;
}

TLookEditor* CreateArrowEditor(QWidget* parent) {
    auto* p = new TArrow;
    p->setObjectName(QStringLiteral("Arrow1"));
    p->SetBounds(0, 0, 50, 23);
    p->SetColor(clRed);
    p->SetArrowWidth(3);
    auto* e = new TLookEditor(QStringLiteral("FormArrowEdit"), QStringLiteral("Свойства стрелок:"), p,
                              QStringLiteral("Толщина:"), parent);
    e->AddAction(Colour(QStringLiteral("Цвет"), [](QWidget* w) { return static_cast<TArrow*>(w)->GetColor(); },
                        [](QWidget* w, TColor c) { static_cast<TArrow*>(w)->SetColor(c); }));
    // "Закрыть" keeps what was applied, unsaved.
    e->ButClose = new QPushButton(QStringLiteral("Закрыть"), e);
    e->ButClose->setObjectName(QStringLiteral("ButClose"));
    e->ButClose->setAutoDefault(false);
    QObject::connect(e->ButClose, &QPushButton::clicked, e, [e] { e->done(QDialog::Rejected); });
    e->AddButton(e->ButClose);
    return FormArrowEdit = e;
}

TLookEditor* CreateOutFieldEditor(QWidget* parent) {
    auto* p = new TOutField;
    p->setObjectName(QStringLiteral("TestOutField"));
    p->SetBounds(0, 0, 116, 34);
    p->SetCaption(QStringLiteral("297 т"));
    p->SetOutFormat(QStringLiteral("##0 т"));
    p->SetOutValue(297);
    p->Pen()->SetColor(clGray);
    p->Pen()->SetWidth(3);
    p->Font()->SetHeight(-16);
    p->Font()->SetStyle(fsBold);
    auto* e = new TLookEditor(QStringLiteral("FormOutFieldEdit"), QStringLiteral("Свойства поля вывода:"), p,
                              QStringLiteral("Толщина границы:"), parent);
    e->AddAction(BrushColour<TOutField>(QStringLiteral("Цвет фона")));
    e->AddAction(PenColour(QStringLiteral("Цвет границы")));
    e->AddAction({QStringLiteral("Шрифт"), [](TLookEditor& ed) {
                      TFont* font = static_cast<TOutField*>(ed.Preview())->Font();
                      QFont chosen = font->ToQFont();
                      TColor colour = font->GetColor();
                      if (Plat().ChooseFont(chosen, colour, &ed))
                          TakeChosenFont(*font, chosen, colour);
                  }});
    return FormOutFieldEdit = e;
}

TLookEditor* CreateBarrelEditor(QWidget* parent) {
    auto* p = new TBarrel;
    p->setObjectName(QStringLiteral("TestBarrel"));
    p->SetBounds(0, 0, 121, 228);
    p->SetUpColor(clAqua);
    p->SetDownColor(clNavy);
    p->SetMaxLevel(10);
    p->SetWaterLevel(8);
    p->Pen()->SetColor(clYellow);
    p->Pen()->SetWidth(10);
    auto* e = new TLookEditor(QStringLiteral("FormEditBarrel"), QStringLiteral("Свойства индикатора уровня"), p,
                              QStringLiteral("Толщина стенок:"), parent);
    e->AddAction(PenColour(QStringLiteral("Цвет стенок")));
    e->AddAction(Colour(QStringLiteral("Цвет внизу"), [](QWidget* w) { return static_cast<TBarrel*>(w)->GetDownColor(); },
                        [](QWidget* w, TColor c) { static_cast<TBarrel*>(w)->SetDownColor(c); }));
    e->AddAction(Colour(QStringLiteral("Цвет вверху"), [](QWidget* w) { return static_cast<TBarrel*>(w)->GetUpColor(); },
                        [](QWidget* w, TColor c) { static_cast<TBarrel*>(w)->SetUpColor(c); }));
    return FormEditBarrel = e;
}

TLookEditor* CreatePumpEditor(QWidget* parent) {
    auto* p = new TPump;
    p->setObjectName(QStringLiteral("TestPump"));
    p->SetBounds(0, 0, 110, 231);
    p->Brush()->SetColor(clYellow);
    p->Pen()->SetColor(clRed);
    p->Pen()->SetWidth(2);
    auto* e = new TLookEditor(QStringLiteral("FormEditPump"), QStringLiteral("Свойства насоса:"), p,
                              QStringLiteral("Толщина стенок:"), parent);
    e->AddAction(PenColour(QStringLiteral("Цвет стенок")));
    e->AddAction(BrushColour<TPump>(QStringLiteral("Цвет заливки")));
    return FormEditPump = e;
}

TLookEditor* CreatePoligonEditor(QWidget* parent) {
    auto* p = new TPoligon;
    p->setObjectName(QStringLiteral("TestPoligon"));
    p->SetBounds(0, 0, 113, 155);
    p->Brush()->SetColor(clYellow);
    p->Pen()->SetColor(clRed);
    p->PointList()->SetStrings({QStringLiteral("50; 0"), QStringLiteral("75;75"), QStringLiteral("0; 50"),
                             QStringLiteral("75;25"), QStringLiteral("50;100"), QStringLiteral("25;25"),
                             QStringLiteral("100;50"), QStringLiteral("25;75")});
    auto* e = new TLookEditor(QStringLiteral("FormEditPoligon"), QStringLiteral("Свойства многоугольника:"), p,
                              QStringLiteral("Толщина стенок:"), parent);
    e->AddAction(PenColour(QStringLiteral("Цвет стенок")));
    e->AddAction(BrushColour<TPoligon>(QStringLiteral("Цвет заливки")));
    return FormEditPoligon = e;
}

bool EditArrow(TArrow* arrow, QObject* scope) { return RunEditor(FormArrowEdit, arrow, scope); }
bool EditOutField(TOutField* field, QObject* scope) { return RunEditor(FormOutFieldEdit, field, scope); }
bool EditPump(TPump* pump, QObject* scope) { return RunEditor(FormEditPump, pump, scope); }
bool EditPoligon(TPoligon* poligon, QObject* scope) { return RunEditor(FormEditPoligon, poligon, scope); }
bool EditBarrel(TBarrel* barrel) { return RunEditor(FormEditBarrel, barrel, nullptr); }
