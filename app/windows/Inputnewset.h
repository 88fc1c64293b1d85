#pragma once
// The small modal dialog in which the operator types a new setpoint.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFormInputNewSet : public QDialog {
    Q_OBJECT
public:
    explicit TFormInputNewSet(QWidget* parent = nullptr);

    QLabel* LabelParName;
    QLineEdit* EditInput;
    QPushButton* BitBtn1; // "Задать"
    QPushButton* BitBtn2; // "Отмена"

protected:
    void showEvent(QShowEvent* event) override;
};

extern TFormInputNewSet* FormInputNewSet;
