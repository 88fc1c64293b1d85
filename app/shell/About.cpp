#include "About.h"

#include "TColor.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("О программе  \"ОРДАЛ\""));
    setFixedSize(546, 277);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(clTeal));
    setPalette(pal);

    QFont title(QStringLiteral("Times New Roman"));
    title.setPixelSize(37);
    title.setBold(true);
    Label2 = new QLabel(QStringLiteral("ОРДАЛ"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(21, 4, 509, 42);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(title);
    Label2->setStyleSheet(QStringLiteral("color: #000000; background: transparent;"));
    Label1 = new QLabel(QStringLiteral("ОРДАЛ"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 0, 546, 42);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(title);
    Label1->setStyleSheet(QStringLiteral("color: #00FFFF; background: transparent;"));

    Memo1 = new QLabel(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    // Eight lines of this font need 200 px; the memo reaches down to the button row.
    Memo1->setGeometry(0, 42, 546, 199);
    Memo1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Memo1->setStyleSheet(QStringLiteral("QLabel { background: #008080; color: #FFFFFF; }"));
    QFont text(QStringLiteral("Times New Roman"));
    text.setPixelSize(21);
    Memo1->setFont(text);
    Memo1->setText(QStringList{QStringLiteral("Разработчик:"),
                               QStringLiteral("служба АСУ ТП обогатительной фабрики"),
                               QStringLiteral("отделение обогащения в тяжелых средах"),
                               QStringLiteral("тел. диспетчера АСУ ТП: 2-17"),
                               QStringLiteral("asutp@ofabrika.local"),
                               QStringLiteral("ОРДАЛ-М, версия 1.17"),
                               QString(),
                               QStringLiteral("АРМ оператора обогащения угля в тяжелых средах")}
                       .join(QLatin1Char('\n')));

    BitBtn1 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(223, 242, 100, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept); // Esc closes as well

    TimerShow = new QTimer(this);
    TimerShow->setInterval(100);
    connect(TimerShow, &QTimer::timeout, this, &TFormAbout::TimerShowTimer);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
}

void TFormAbout::SetAlpha(int value) {
    alpha_ = value;
    setWindowOpacity(value / 255.0);
}

void TFormAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FadeIn) {
        SetAlpha(0);
        TimerShow->start();
    }
}

void TFormAbout::TimerShowTimer() {
    if (alpha_ < 236) {
        SetAlpha(alpha_ + 20);
    } else {
        SetAlpha(255);
        TimerShow->stop();
    }
}
