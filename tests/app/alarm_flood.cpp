// A child of tst_alarmwindows: appends COUNT alarm transitions, spread over
// one day, to the history under ROOT as fast as it can, and is killed while
// it does. "ready" on stdout says that its first record is on disk.
//   alarm_flood ROOT COUNT

#include "AlarmHistory.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    TAlarmHistory history(QString::fromLocal8Bit(argv[1]));
    const int count = QString::fromLatin1(argv[2]).toInt();
    const TDateTime day = EncodeDate(2026, 3, 2);
    for (int i = 0; i < count; ++i) {
        TAlarmTransition t;
        t.Moment = day + (i + 0.5) / count;
        t.Id = QStringLiteral("URNS_HI");
        t.Text = QStringLiteral("Уровень в сборнике некондиционной суспензии высокий");
        t.Priority = TAlarmPriority::High;
        t.Event = i % 2 ? TAlarmEvent::Return : TAlarmEvent::Activate;
        t.From = i % 2 ? TAlarmState::ActiveUnack : TAlarmState::ReturnedUnack;
        t.To = i % 2 ? TAlarmState::ReturnedUnack : TAlarmState::ActiveUnack;
        t.Value = 90 + (i % 7) * 0.5;
        QString why;
        if (!history.Append(t, &why)) {
            std::fprintf(stderr, "%s\n", qPrintable(why));
            return 1;
        }
        if (i == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
