#include "Eventlog.h"

#include "Cp1251.h"
#include "Log.h"
#include "Platform.h"

TEventFIFO EventQueue(400);

TEventFIFO::TEventFIFO(int capacity) : entries_(capacity < 10 ? 10 : capacity) {}

bool TEventFIFO::Push(const QString& text, int code) {
    if (count_.load() >= Capacity())
        return false;
    TEventFIFO_Rec& rec = entries_[writeIndex_.load()];
    rec.text = StringToCp1251Lossy(text);
    rec.time = Now();
    rec.seconds = quint32(Plat().TickCountMs() / 1000);
    rec.code = code;
    int next = writeIndex_.fetch_add(1) + 1;
    if (next >= Capacity())
        writeIndex_.store(0);
    count_.fetch_add(1);
    return true;
}

bool LogEvent(const QString& text, int code) {
    if (text.isEmpty())
        return false;
    // The queue has no reader in the program: the log is where an engineer sees it.
    qCWarning(lcOrdal).noquote() << "event:" << text << "code" << code;
    const bool ok = EventQueue.Push(text, code);
    if (!ok)
        Beep();
    return ok;
}
