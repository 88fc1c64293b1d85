#include "Stdcontrols.h"

#include "DateTime.h"
#include "Layout.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

ORDAL_REGISTER_CLASS(TButton)
ORDAL_REGISTER_CLASS(TSpeedButton)
ORDAL_REGISTER_CLASS(TEdit)
ORDAL_REGISTER_CLASS(TCheckBox)
ORDAL_REGISTER_CLASS(TComboBox)
ORDAL_REGISTER_CLASS(TDateTimePicker)
ORDAL_REGISTER_CLASS(TGroupBox)
ORDAL_REGISTER_CLASS(TPageControl)
ORDAL_REGISTER_CLASS(TTabSheet)
ORDAL_REGISTER_CLASS(TPopupMenu)
ORDAL_REGISTER_CLASS(TMenuItem)

// Events the layouts can bind by name. Every element has OnClick.
ORDAL_REGISTER_EVENT(TGraphicElement, OnClick)
ORDAL_REGISTER_EVENT(TPanelElement, OnClick)
ORDAL_REGISTER_EVENT(TButton, OnClick)
ORDAL_REGISTER_EVENT(TSpeedButton, OnClick)
ORDAL_REGISTER_EVENT(TCheckBox, OnClick)
ORDAL_REGISTER_EVENT(TEdit, OnChange)
ORDAL_REGISTER_EVENT(TComboBox, OnChange)
ORDAL_REGISTER_EVENT(TDateTimePicker, OnChange)
ORDAL_REGISTER_EVENT(TPageControl, OnChange)
ORDAL_REGISTER_EVENT(TTabSheet, OnShow)
ORDAL_REGISTER_EVENT(TMenuItem, OnClick)

// ---------------------------------------------------------------------------

TStdControl::TStdControl(QWidget* self) : TControlCore(self), widget_(self), font_(new TFont(self)) {
    SetShowHint(true);
    QObject::connect(font_, &TFont::Changed, self, [this] { ApplyFont(); });
}

void TStdControl::ApplyFont() {
    widget_->setFont(font_->ToQFont());
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::WindowText, font_->ToQColor());
    pal.setColor(QPalette::ButtonText, font_->ToQColor());
    pal.setColor(QPalette::Text, font_->ToQColor());
    widget_->setPalette(pal);
}

bool TStdControl::KeyDown(QKeyEvent* e) {
    if (!onKeyDown_)
        return false;
    bool handled = false;
    onKeyDown_(widget_, e->key(), handled);
    return handled;
}

// ---------------------------------------------------------------------------

TButton::TButton(QWidget* owner) : QPushButton(owner), TStdControl(this) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

QString TButton::GetCaption() const { return text(); }

void TButton::SetCaption(const QString& value) { setText(value); }

void TButton::SetDefault(bool value) {
    setDefault(value);
    // Enter anywhere in a dialog reaches its default button by itself; in a
    // child window of the frame only a window-wide key watch does.
    if (value && window())
        window()->installEventFilter(this);
}

void TButton::SetCancel(bool value) {
    cancel_ = value;
    if (value && window())
        window()->installEventFilter(this);
}

bool TButton::eventFilter(QObject* watched, QEvent* event) {
    // The watch sits on the window the button was in when it became the
    // default; a child window of the frame stays that window after the frame
    // has taken it in, although window() is then the frame.
    const auto* watchedWidget = qobject_cast<const QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && watchedWidget && watchedWidget->isAncestorOf(this) && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if ((enter && isDefault()) || (key == Qt::Key_Escape && cancel_)) {
            Click();
            return true;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void TButton::Click() {
    TControlCore::Click();
    if (modalResult_ != 0)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(modalResult_);
}

// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(QWidget* owner) : QToolButton(owner), TStdControl(this) {
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

QString TSpeedButton::GetCaption() const { return text(); }

void TSpeedButton::SetCaption(const QString& value) { setText(value); }

// ---------------------------------------------------------------------------

TEdit::TEdit(QWidget* owner) : QLineEdit(owner), TStdControl(this) {
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
}

void TEdit::SetPasswordChar(const QString& value) {
    passwordChar_ = value;
    setEchoMode(value.isEmpty() || value == QLatin1String("\0", 1) ? QLineEdit::Normal : QLineEdit::Password);
}

void TEdit::SetColor(TColor value) {
    color_ = value;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, ColorToQColor(value));
    setPalette(pal);
}

void TEdit::keyPressEvent(QKeyEvent* e) {
    if (KeyDown(e))
        return;
    QLineEdit::keyPressEvent(e);
}

// ---------------------------------------------------------------------------

TCheckBox::TCheckBox(QWidget* owner) : QCheckBox(owner), TStdControl(this) {
    connect(this, &QCheckBox::clicked, this, [this] { TControlCore::Click(); });
}

// ---------------------------------------------------------------------------

TComboBox::TComboBox(QWidget* owner) : QComboBox(owner), TStdControl(this), items_(new TStringList(this)) {
    SetStyle(csDropDown);
    connect(items_, &TStringList::Changed, this, [this] { TakeItems(); });
    connect(this, &QComboBox::currentIndexChanged, this, [this] { Change(); });
}

void TComboBox::TakeItems() {
    const QSignalBlocker quiet(this);
    const int index = currentIndex();
    const QString text = currentText();
    clear();
    addItems(items_->Strings());
    if (style_ == csDropDownList)
        setCurrentIndex(std::min(index, count() - 1));
    else
        setEditText(text);
}

void TComboBox::SetItemIndex(int value) {
    setCurrentIndex(value >= 0 && value < count() ? value : -1);
}

void TComboBox::SetStyle(TComboBoxStyle value) {
    style_ = value;
    setEditable(value != csDropDownList);
    if (isEditable())
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Change(); }, Qt::UniqueConnection);
}

void TComboBox::SetText(const QString& value) {
    const int i = findText(value);
    if (i >= 0)
        setCurrentIndex(i);
    else if (isEditable())
        setEditText(value);
}

void TComboBox::keyPressEvent(QKeyEvent* e) {
    if (KeyDown(e))
        return;
    QComboBox::keyPressEvent(e);
}

// ---------------------------------------------------------------------------

TDateTimePicker::TDateTimePicker(QWidget* owner) : QDateTimeEdit(owner), TStdControl(this) {
    SetKind(dtkDate);
    setDateTime(QDateTime::currentDateTime());
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] { Change(); });
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
    kind_ = value;
    setCalendarPopup(value == dtkDate);
    setDisplayFormat(value == dtkDate ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("HH:mm:ss"));
}

double TDateTimePicker::GetDateTime() const { return DateTimeFromQ(dateTime()); }

void TDateTimePicker::SetDateTime(double value) {
    if (std::isfinite(value))
        setDateTime(DateTimeToQ(value));
}

double TDateTimePicker::Date() const { return std::floor(GetDateTime()); }

double TDateTimePicker::Time() const {
    const double t = GetDateTime();
    return t - std::floor(t);
}

void TDateTimePicker::keyPressEvent(QKeyEvent* e) {
    if (KeyDown(e))
        return;
    QDateTimeEdit::keyPressEvent(e);
}

// ---------------------------------------------------------------------------

TGroupBox::TGroupBox(QWidget* owner) : QGroupBox(owner), TStdControl(this) {}

// ---------------------------------------------------------------------------

TPageControl::TPageControl(QWidget* owner) : QTabWidget(owner), TStdControl(this) {
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto* page = qobject_cast<TTabSheet*>(widget(index)))
            page->OnShow()(page);
        Change();
    });
}

void TPageControl::AddPage(TTabSheet* page) {
    const QSignalBlocker quiet(this); // placing the pages is not a page change
    addTab(page, page->GetCaption());
}

TTabSheet* TPageControl::ActivePage() const { return qobject_cast<TTabSheet*>(currentWidget()); }

void TPageControl::SetActivePage(TTabSheet* page) {
    const int i = indexOf(page);
    if (i >= 0)
        setCurrentIndex(i);
}

TTabSheet::TTabSheet(QWidget* owner) : QWidget(owner), TStdControl(this) {
    setAutoFillBackground(true);
    SetColor(clBtnFace);
    if (auto* pc = qobject_cast<TPageControl*>(owner)) {
        pageControl_ = pc;
        pc->AddPage(this);
    }
}

void TTabSheet::SetCaption(const QString& value) {
    caption_ = value;
    if (pageControl_)
        pageControl_->setTabText(pageControl_->indexOf(this), value);
}

void TTabSheet::SetColor(TColor value) {
    color_ = value;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(value));
    setPalette(pal);
}

// ---------------------------------------------------------------------------

TPopupMenu::TPopupMenu(QWidget* owner) : QMenu(owner) {}

void TPopupMenu::InsertComponent(QObject* component) {
    if (auto* item = qobject_cast<TMenuItem*>(component))
        addAction(item);
}

void TPopupMenu::Popup(QWidget* component, const QPoint& globalPos) {
    component_ = component;
    popup(globalPos);
}

TMenuItem::TMenuItem(QObject* owner) : QAction(owner) {
    connect(this, &QAction::triggered, this, [this] { Click(); });
}
