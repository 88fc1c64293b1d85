#pragma once
// The look editors of the interactive set-up mode: a preview copy of the
// clicked element is changed, then applied to the element, discarded, or
// saved for the element and for its whole group (same Tag, same class).

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;
class TArrow;
class TBarrel;
class TConfigurable;
class TOutField;
class TPen;
class TPoligon;
class TPump;

// One editor window; the five editors differ in their preview and buttons.
class TLookEditor : public QDialog {
    Q_OBJECT
public:
    // A button that changes the preview (by colour or font dialog).
    struct Action {
        QString caption;
        std::function<void(TLookEditor&)> run;
    };

    TLookEditor(const QString& name, const QString& caption, QWidget* preview, const QString& widthCaption,
                QWidget* parent);

    QWidget* Preview() const { return preview_; }
    QWidget* Edited() const { return edited_; }
    void SetEdited(QWidget* element) { edited_ = element; }

    QLineEdit* EditWidth;
    QPushButton* ButApply;
    QPushButton* ButCancel;
    QPushButton* ButClose = nullptr; // arrows only
    QPushButton* ButSaveGroup;
    QList<QPushButton*> ActionButtons;

    // Enter in the width box: the text becomes the preview's line width. A text
    // that is not a whole number of zero or more is refused with an error box.
    bool TakeWidth();
    void ApplyClick();
    // "Отменить", Escape and the title bar's close: the element takes back its
    // saved look, the window closes with the cancel result.
    void CancelClick();
    void reject() override;
    void SaveGroupClick();

    void AddAction(const Action& action);
    // Another button at the end of the button column.
    void AddButton(QPushButton* button);
    bool IsArrowEditor() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int PreviewWidth() const;
    void SetPreviewWidth(int width);

    QWidget* preview_;
    QWidget* edited_;
    // The font styles travel outside the look file (it keeps a font's size,
    // colour and face only): the element's styles when the editor was shown.
    int editedFontStyle_ = -1;
    class QVBoxLayout* buttonsAt_ = nullptr;
};

extern TLookEditor* FormArrowEdit;
extern TLookEditor* FormEditBarrel;
extern TLookEditor* FormOutFieldEdit;
extern TLookEditor* FormEditPoligon;
extern TLookEditor* FormEditPump;

// Created at start in the windows' order.
TLookEditor* CreateArrowEditor(QWidget* parent);
TLookEditor* CreateBarrelEditor(QWidget* parent);
TLookEditor* CreateOutFieldEditor(QWidget* parent);
TLookEditor* CreatePoligonEditor(QWidget* parent);
TLookEditor* CreatePumpEditor(QWidget* parent);

// The entries the scheme's click dispatch calls. True when the editor closed
// with "Сохранить для всей группы"; the look then goes to the whole group of
// the scope window.
bool EditArrow(TArrow* arrow, QObject* scope);
bool EditOutField(TOutField* field, QObject* scope);
bool EditPump(TPump* pump, QObject* scope);
bool EditPoligon(TPoligon* poligon, QObject* scope);
bool EditBarrel(TBarrel* barrel);

// Every component of scope with the element's Tag and exactly its class takes
// the look saved under the element's name and stores it under its own.
bool PropagateLook(QWidget* element, QObject* scope);
