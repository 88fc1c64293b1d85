#include "Inputnewset.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormInputNewSet* FormInputNewSet = nullptr;

TFormInputNewSet::TFormInputNewSet(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FormInputNewSet"));
    setWindowTitle(QStringLiteral("Новое задание"));
    setFixedSize(485, 127);
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    pal.setColor(QPalette::Text, QColor(0, 0, 0x80));
    pal.setColor(QPalette::ButtonText, QColor(0, 0, 0x80));
    setPalette(pal);

    LabelParName = new QLabel(QStringLiteral("Наименование параметра:"), this);
    LabelParName->setObjectName(QStringLiteral("LabelParName"));
    LabelParName->move(16, 16);
    LabelParName->resize(433, 20);
    EditInput = new QLineEdit(this);
    EditInput->setObjectName(QStringLiteral("EditInput"));
    EditInput->setGeometry(16, 42, 433, 24);
    EditInput->setMaxLength(64); // a setpoint is a short number; nothing longer is useful

    auto* panel = new QWidget(this);
    panel->setGeometry(0, 80, 485, 47);
    BitBtn1 = new QPushButton(QStringLiteral("Задать"), panel);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(150, 8, 90, 30);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), panel);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(250, 8, 90, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // Esc rejects as well
}

void TFormInputNewSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    EditInput->setFocus();
}
