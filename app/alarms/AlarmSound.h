#pragma once
// The alarm tone as the desktop plays it, through Qt Multimedia; the program
// installs it as the platform's tone player at start (SetAlarmTonePlayer), and
// tests record the platform's AlarmTone instead. A machine without a sound device loses
// only the tone: the first attempt says so once in the log, and the line,
// the blink and the frames go on as before.

#include <memory>

class TAlarmSound {
public:
    virtual ~TAlarmSound() = default;
    // Sounding (on) or quiet; called at every evaluation, so a repeat of the
    // same state must cost nothing.
    virtual void SetTone(bool on) = 0;
};

// The desktop's: a two-pitch tone on the default audio output.
std::unique_ptr<TAlarmSound> MakeDesktopAlarmSound();
