#pragma once
// The alarm line: a strip across the main window, under the tool bar, that no
// child window can cover. It shows the newest alarm of the highest priority
// that waits for acknowledgement (or, when all are acknowledged, the highest
// active one, steady), its moment, text and value, the counts of active and
// unacknowledged alarms, in the priority's colour, blinking while
// unacknowledged; a click opens the alarm window. "Отключить звук" at its
// right end stops the tone without acknowledging.
//
// The colours and the blink of the line, and the frames on the scheme, come
// from AlarmLook(): one place says what an alarm looks like.

#include "AlarmService.h"
#include "TColor.h"

#include <QPointer>
#include <QWidget>

class QToolButton;
class QTimer;

// What an alarm in a state looks like at a moment of the blink.
struct TAlarmLook {
    TColor back = clSilver, text = clBlack;
    bool blinking = false;
};
TAlarmLook AlarmLook(TAlarmPriority p, TAlarmState s);
// The blink's phase: on for 500 ms, off for 500 ms, by the millisecond counter.
bool AlarmBlinkOn();

class TAlarmLine : public QWidget {
    Q_OBJECT
public:
    explicit TAlarmLine(TAlarmService* alarms, QWidget* parent = nullptr);

    // The alarm shown (-1: none) and the texts, for tests.
    int Shown() const { return shown_; }
    QString Text() const { return text_; }
    QString Counts() const { return counts_; }
    // The colour the strip has now (the blink's off phase is the line's own grey).
    TColor Background() const { return back_; }
    QToolButton* SilenceButton() const { return silence_; }
    bool Blinking() const;
    // Brings the line up to date (the service's Changed() and the blink call it).
    void Refresh();

Q_SIGNALS:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPointer<TAlarmService> alarms_;
    QToolButton* silence_;
    QTimer* blink_;
    int shown_ = -1;
    QString text_, counts_;
    TColor back_ = clSilver, fore_ = clBlack;
};

// A frame around a value field of the scheme whose measurement is in alarm,
// in the priority's colour, blinking while unacknowledged. It lies over the
// field (a sibling raised above it), lets clicks through, and draws only its
// border, so the field itself is drawn as always.
class TAlarmFrame : public QWidget {
    Q_OBJECT
public:
    // Follows target's geometry, 3 px outside it.
    explicit TAlarmFrame(QWidget* target);
    // Shows the frame in colour, or hides it (clNone).
    void SetColour(TColor colour);
    TColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> target_;
    TColor colour_ = clNone;
};
