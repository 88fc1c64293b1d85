#pragma once
// The program's one logging category. Errors that the program swallows so as
// not to interrupt the operator (a beep, an event-queue entry, a kept value)
// are written here, so that an engineer can read what was hidden:
//   journalctl / stderr, or QT_LOGGING_RULES="ordal.debug=true" for more.
// Never log a password or a text that may hold one.

#include <QLoggingCategory>
#include <exception>

Q_DECLARE_LOGGING_CATEGORY(lcOrdal)

class QString;

// The text of the exception being handled, for a log line inside a catch block:
// std::exception's what(), or "unknown exception".
QString CurrentExceptionText();

// For errors that periodic work swallows (a timer tick that fails every time
// while a fault lasts): the first failure at a place, and every change of its
// text, is logged at once; repeats of the same text at most once a minute,
// with their count, so a fault that lasts all shift does not flood the log.
void LogRepeatedWarning(const char* place, const QString& text);
