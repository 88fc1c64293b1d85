#pragma once
// The standard controls that the windows' layouts place beside the process
// elements: push and speed buttons, edit fields, check boxes, drop-down lists,
// date and time pickers, group boxes, page controls with their pages, and
// pop-up menus with their commands. Each is the toolkit's own control under
// the names the layouts use (Caption, Checked, ItemIndex, DateTime ...), with
// the Name, Tag, bounds, Align and Font the elements have, and VCL-style
// single event handlers (OnClick, OnChange, OnKeyDown) that a window sets in
// code or names in its layout ("OnClick = ButReloadClick", see Layout.h).
//
// Left, Top, Width, Height, Visible, Enabled and Hint of every control are set
// through the loader's common widget properties.

#include "ElementBase.h"
#include "Layout.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

// OnKeyDown of a control: sender and the key (Qt::Key); a handler that
// consumes the key sets handled.
using TKeyEvent = std::function<void(QObject* sender, int key, bool& handled)>;

// What every standard control shares besides TControlCore: its font, kept in
// a TFont so that "Font.Name = 'Arial'" in a layout reaches the control.
class TStdControl : public TControlCore {
public:
    TStdControl(QWidget* self);
    TFont* Font() const { return font_; }
    void SetFont(const TFont* value) { font_->Assign(*value); }
    const TKeyEvent& OnKeyDown() const { return onKeyDown_; }
    void SetOnKeyDown(TKeyEvent handler) { onKeyDown_ = std::move(handler); }
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }
    // Kept for the layouts; the focus moves in placement order.
    int GetTabOrder() const { return tabOrder_; }
    void SetTabOrder(int value) { tabOrder_ = value; }

protected:
    // Runs OnKeyDown for a key press; true when the handler consumed it.
    bool KeyDown(QKeyEvent* e);
    void Change() { onChange_(widget_); }

private:
    void ApplyFont();

    QWidget* widget_;
    TFont* font_;
    TKeyEvent onKeyDown_;
    TNotifyEvent onChange_;
    int tabOrder_ = -1;
};

// The properties every standard control publishes (moc reads them from here).
#define ORDAL_STD_CONTROL_PROPERTIES                                                                         \
    Q_PROPERTY(QString Name READ GetName WRITE SetName)                                                      \
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)                                                             \
    Q_PROPERTY(Vcl::TAlign Align READ GetAlign WRITE SetAlign)                                               \
    Q_PROPERTY(Vcl::TCursor Cursor READ GetCursor WRITE SetCursor)                                           \
    Q_PROPERTY(QString Hint READ GetHint WRITE SetHint)                                                      \
    Q_PROPERTY(bool ShowHint READ GetShowHint WRITE SetShowHint)                                             \
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)                                                          \
    Q_PROPERTY(int TabOrder READ GetTabOrder WRITE SetTabOrder)

// A push button. A click runs OnClick; with a ModalResult other than 0 it then
// closes the dialog it sits in with that result. Default: Enter in the window
// clicks it; Cancel: Escape does.
class TButton : public QPushButton, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(bool Default READ GetDefault WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ GetCancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ GetModalResult WRITE SetModalResult)
public:
    explicit TButton(QWidget* owner = nullptr);
    QString GetCaption() const;
    void SetCaption(const QString& value);
    bool GetDefault() const { return isDefault(); }
    void SetDefault(bool value);
    bool GetCancel() const { return cancel_; }
    void SetCancel(bool value);
    int GetModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    void Click() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool cancel_ = false;
    int modalResult_ = 0;
};

// A flat button, often a small one on a chart ("[]").
class TSpeedButton : public QToolButton, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(bool Flat READ GetFlat WRITE SetFlat)
public:
    explicit TSpeedButton(QWidget* owner = nullptr);
    QString GetCaption() const;
    void SetCaption(const QString& value);
    bool GetFlat() const { return autoRaise(); }
    void SetFlat(bool value) { setAutoRaise(value); }
};

// A one-line edit field. PasswordChar other than empty masks the text.
class TEdit : public QLineEdit, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Text READ GetText WRITE SetText)
    Q_PROPERTY(QString PasswordChar READ GetPasswordChar WRITE SetPasswordChar)
    Q_PROPERTY(bool ReadOnly READ GetReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int MaxLength READ GetMaxLength WRITE SetMaxLength)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
public:
    explicit TEdit(QWidget* owner = nullptr);
    QString GetText() const { return text(); }
    void SetText(const QString& value) { setText(value); }
    QString GetPasswordChar() const { return passwordChar_; }
    void SetPasswordChar(const QString& value);
    bool GetReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool value) { setReadOnly(value); }
    int GetMaxLength() const { return maxLength(); }
    void SetMaxLength(int value) { setMaxLength(value > 0 ? value : 32767); }
    TColor GetColor() const { return color_; }
    void SetColor(TColor value);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString passwordChar_;
    TColor color_ = clWindow;
};

// A check box; OnClick runs when the operator (or code through Click) toggles it.
class TCheckBox : public QCheckBox, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ GetChecked WRITE SetChecked)
public:
    explicit TCheckBox(QWidget* owner = nullptr);
    QString GetCaption() const { return text(); }
    void SetCaption(const QString& value) { setText(value); }
    bool GetChecked() const { return isChecked(); }
    void SetChecked(bool value) { setChecked(value); }
};

// A drop-down list. csDropDownList only offers its items; csDropDown also
// takes typed text. Items are set with "Items.Strings = ( ... )".
class TComboBox : public QComboBox, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(TStringList* Items READ Items)
    Q_PROPERTY(int ItemIndex READ GetItemIndex WRITE SetItemIndex)
    Q_PROPERTY(TComboBoxStyle Style READ GetStyle WRITE SetStyle)
    Q_PROPERTY(QString Text READ GetText WRITE SetText)
public:
    enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
    Q_ENUM(TComboBoxStyle)

    explicit TComboBox(QWidget* owner = nullptr);
    TStringList* Items() const { return items_; }
    int GetItemIndex() const { return currentIndex(); }
    void SetItemIndex(int value);
    TComboBoxStyle GetStyle() const { return style_; }
    void SetStyle(TComboBoxStyle value);
    QString GetText() const { return currentText(); }
    void SetText(const QString& value);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void TakeItems();

    TStringList* items_;
    TComboBoxStyle style_ = csDropDown;
};

// A date picker (dtkDate, with a calendar) or a time picker (dtkTime). Its
// value is a TDateTime: the date part counts for a date picker, the time of
// day for a time picker, but both are kept.
class TDateTimePicker : public QDateTimeEdit, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(TDateTimeKind Kind READ GetKind WRITE SetKind)
    Q_PROPERTY(double DateTime READ GetDateTime WRITE SetDateTime)
    Q_PROPERTY(QString Format READ GetFormat WRITE SetFormat)
public:
    enum TDateTimeKind { dtkDate, dtkTime };
    Q_ENUM(TDateTimeKind)

    explicit TDateTimePicker(QWidget* owner = nullptr);
    TDateTimeKind GetKind() const { return kind_; }
    void SetKind(TDateTimeKind value);
    double GetDateTime() const;
    void SetDateTime(double value);
    // The whole day (date picker) or the time of day (time picker).
    double Date() const;
    double Time() const;
    QString GetFormat() const { return displayFormat(); }
    void SetFormat(const QString& value) { setDisplayFormat(value); }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    TDateTimeKind kind_ = dtkDate;
};

// A framed group with a caption.
class TGroupBox : public QGroupBox, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
public:
    explicit TGroupBox(QWidget* owner = nullptr);
    QString GetCaption() const { return title(); }
    void SetCaption(const QString& value) { setTitle(value); }
};

class TTabSheet;

// Pages on tabs. The pages (TTabSheet) are placed inside it in the layout, in
// page order; OnChange runs after the operator (or code) changed the page.
class TPageControl : public QTabWidget, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(int ActivePageIndex READ GetActivePageIndex WRITE SetActivePageIndex)
public:
    explicit TPageControl(QWidget* owner = nullptr);
    int GetActivePageIndex() const { return currentIndex(); }
    void SetActivePageIndex(int value) { setCurrentIndex(value); }
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* page);
};

// One page of a TPageControl. OnShow runs when it becomes the shown page.
class TTabSheet : public QWidget, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
public:
    explicit TTabSheet(QWidget* owner = nullptr);
    QString GetCaption() const { return caption_; }
    void SetCaption(const QString& value);
    TColor GetColor() const { return color_; }
    void SetColor(TColor value);
    TPageControl* PageControl() const { return pageControl_; }
    const TNotifyEvent& OnShow() const { return onShow_; }
    void SetOnShow(TNotifyEvent handler) { onShow_ = std::move(handler); }

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    QString caption_;
    TColor color_ = clBtnFace;
    TNotifyEvent onShow_;
};

class TMenuItem;

// A pop-up menu; its commands (TMenuItem) are placed inside it in the layout.
// Controls name it in their PopupMenu property.
class TPopupMenu : public QMenu, public TComponentContainer {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)
public:
    explicit TPopupMenu(QWidget* owner = nullptr);
    QString GetName() const { return objectName(); }
    void SetName(const QString& value) { setObjectName(value); }
    int GetTag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }
    // Shows the menu at a screen position; the control it was opened on is
    // the sender of its commands' OnClick.
    void Popup(QWidget* component, const QPoint& globalPos);
    QWidget* PopupComponent() const { return component_; }
    void InsertComponent(QObject* component) override;

private:
    int tag_ = 0;
    QWidget* component_ = nullptr;
};

// One command of a menu.
class TMenuItem : public QAction {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(bool Enabled READ GetEnabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ GetVisible WRITE SetVisible)
    Q_PROPERTY(bool Checked READ GetChecked WRITE SetChecked)
public:
    explicit TMenuItem(QObject* owner = nullptr);
    QString GetName() const { return objectName(); }
    void SetName(const QString& value) { setObjectName(value); }
    int GetTag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }
    QString GetCaption() const { return text(); }
    void SetCaption(const QString& value) { setText(value); }
    bool GetEnabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }
    bool GetVisible() const { return isVisible(); }
    void SetVisible(bool value) { setVisible(value); }
    bool GetChecked() const { return isChecked(); }
    void SetChecked(bool value) {
        setCheckable(true);
        setChecked(value);
    }
    const TNotifyEvent& OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    // Runs OnClick with this command as sender.
    void Click() { onClick_(this); }

private:
    int tag_ = 0;
    TNotifyEvent onClick_;
};
