#include "MainMenu.h"

#include "Actioncontrols.h"
#include "Main.h"
#include "TColor.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

TFormMainMenu* FormMainMenu = nullptr;

namespace {
QFont TimesNewRoman(int px) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(px);
    return f;
}
} // namespace

TFormMainMenu::TFormMainMenu(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FormMainMenu"));
    setWindowTitle(QStringLiteral("Главное меню"));
    setFont(TimesNewRoman(19));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    setPalette(pal);
    resize(970, 757);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    Label1 = new QLabel(QStringLiteral("ГЛАВНОЕ МЕНЮ"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFixedHeight(47);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(TimesNewRoman(32));
    outer->addWidget(Label1);
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(60, 0, 60, 28); // Panel1, Panel2 and Panel3: empty margins
    outer->addLayout(middle, 1);
    PanelCenter = new QWidget(this);
    PanelCenter->setObjectName(QStringLiteral("PanelCenter"));
    middle->addWidget(PanelCenter);
    PanelCenter->installEventFilter(this);

    struct Row {
        const char* panel;
        QAction* TFormMain::*action;
        const char* key;
    };
    const Row rows[] = {{"PanelF2", &TFormMain::ActionMnemo, "F2"},
                        {"PanelF3", &TFormMain::ActionGraphGC_params, "F3"},
                        {"PanelF4", &TFormMain::ActionGraphSuspLevel, "F4"},
                        {"PanelF5", &TFormMain::ActionGraphDivPosition, "F5"},
                        {"PanelF7", &TFormMain::ActionWorkLog, "F6"}};
    int index = 1;
    for (const Row& r : rows) {
        QAction* action = FormMain ? FormMain->*(r.action) : nullptr;
        auto* row = new QWidget(PanelCenter);
        row->setObjectName(QLatin1String(r.panel));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(0);
        auto* image = new QLabel(row);
        image->setObjectName(QStringLiteral("Image%1").arg(index++));
        image->setFixedWidth(64);
        image->setAlignment(Qt::AlignCenter);
        image->setCursor(Qt::PointingHandCursor);
        if (action)
            image->setPixmap(action->icon().pixmap(64, 32));
        image->setProperty("action", QVariant::fromValue(static_cast<QObject*>(action)));
        image->installEventFilter(this);
        line->addWidget(image);
        line->addSpacing(20);
        auto* caption = new TActionLabel(row);
        caption->setObjectName(QStringLiteral("ActionLabel_") + QLatin1String(r.key));
        caption->SetAction(action);
        caption->SetCursor(crHandPoint);
        caption->Font()->SetName(QStringLiteral("Times New Roman"));
        caption->Font()->SetHeight(-19);
        caption->Font()->SetColor(clNavy);
        caption->SetTransparent(true);
        caption->SetAutoSize(false);
        caption->SetLayout(tlCenter);
        caption->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        line->addWidget(caption, 1);
        auto* key = new QLabel(QLatin1String(r.key), row);
        key->setFixedWidth(50);
        key->setAlignment(Qt::AlignCenter);
        key->setFont(TimesNewRoman(19));
        key->setStyleSheet(QStringLiteral("color: #0000FF;"));
        line->addWidget(key);
        Rows << row;
        Images << image;
        Captions << caption;
    }
    PanelCenterResize();
}

void TFormMainMenu::PanelCenterResize() {
    // The rows share the centre evenly; what the integer division leaves stays empty below.
    const int h = PanelCenter->height() / int(Rows.size());
    for (int i = 0; i < Rows.size(); ++i)
        Rows[i]->setGeometry(0, i * h, PanelCenter->width(), h);
}

bool TFormMainMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelCenter && event->type() == QEvent::Resize)
        PanelCenterResize();
    if (event->type() == QEvent::MouseButtonRelease && Images.contains(static_cast<QLabel*>(watched))) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            if (auto* a = qobject_cast<QAction*>(watched->property("action").value<QObject*>()))
                a->trigger();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
