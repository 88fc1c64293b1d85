#include "FontDialog.h"

#include "Platform.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TFontDialog::TFontDialog(const QFont& font, TColor color, QWidget* parent) : QDialog(parent), color_(color) {
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Шрифт"));
    auto* column = new QVBoxLayout(this);

    // Qt's own dialog as a plain part of this one: its lists and sample, no buttons.
    fonts_ = new QFontDialog(font, this);
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setWindowFlags(Qt::Widget);
    fonts_->setCurrentFont(font);
    column->addWidget(fonts_);

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Цвет:"), this));
    butColor_ = new QPushButton(QStringLiteral("Выбрать..."), this);
    butColor_->setObjectName(QStringLiteral("ButColor"));
    butColor_->setAutoDefault(false);
    connect(butColor_, &QPushButton::clicked, this, &TFontDialog::ChooseColorClick);
    colorRow->addWidget(butColor_);
    colorRow->addStretch();
    column->addLayout(colorRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    ShowColor();
}

QFont TFontDialog::SelectedFont() const {
    return fonts_->currentFont();
}

void TFontDialog::ChooseColorClick() {
    TColor c = color_;
    if (Plat().ChooseColor(c, this)) {
        color_ = c;
        ShowColor();
    }
}

void TFontDialog::ShowColor() {
    QPixmap swatch(24, 14);
    swatch.fill(ColorToQColor(color_));
    butColor_->setIcon(swatch);
}
