#pragma once
// The start page: one large row per main function, each naming its key.

#include <QList>
#include <QWidget>

class QAction;
class QLabel;
class TActionLabel;

class TFormMainMenu : public QWidget {
    Q_OBJECT
public:
    explicit TFormMainMenu(QWidget* parent = nullptr);

    QLabel* Label1;
    QWidget* PanelCenter;
    QList<QWidget*> Rows;           // PanelF2, PanelF3, PanelF4, PanelF5, PanelF7
    QList<QLabel*> Images;          // Image1 ... Image5
    QList<TActionLabel*> Captions;  // the action-bound captions

    void PanelCenterResize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TFormMainMenu* FormMainMenu;
