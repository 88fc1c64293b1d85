#pragma once
// The diagnostic event queue: caught errors of periodic and configuration work
// are recorded here instead of interrupting the operator. Nothing reads it in
// the program; once it is full every further event beeps.

#include "DateTime.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <atomic>

struct TEventFIFO_Rec {
    QByteArray text; // single-byte (Windows-1251) message
    TDateTime time = 0;
    quint32 seconds = 0; // milliseconds since system start / 1000
    int code = 0;
};

class TEventFIFO {
public:
    explicit TEventFIFO(int capacity); // below 10 becomes 10

    bool Push(const QString& text, int code);

    int Capacity() const { return int(entries_.size()); }
    int Count() const { return count_.load(); }
    int WriteIndex() const { return writeIndex_.load(); }
    int ReadIndex() const { return readIndex_; }
    const TEventFIFO_Rec& Entry(int i) const { return entries_.at(i); }

private:
    QVector<TEventFIFO_Rec> entries_;
    std::atomic<int> count_{0};
    std::atomic<int> writeIndex_{0};
    int readIndex_ = 0;
};

extern TEventFIFO EventQueue;

// False for an empty text; otherwise Push on EventQueue, with a beep when it is full.
bool LogEvent(const QString& text, int code = 0);
