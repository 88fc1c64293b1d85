#pragma once
// The about box: product name, developer and version, fading in when shown.

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    QLabel* Label1;  // the name in aqua
    QLabel* Label2;  // its black shadow
    QLabel* Memo1; // the eight lines of text
    QPushButton* BitBtn1;
    QTimer* TimerShow;
    bool FadeIn = true; // the window may fade in (per-window opacity is available)
    // Opacity as 0..255, as the fade counts it.
    int AlphaBlendValue() const { return alpha_; }

    void TimerShowTimer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetAlpha(int value);
    int alpha_ = 255;
};
