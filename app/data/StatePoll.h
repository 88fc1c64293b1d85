#pragma once
// The once-a-second look at the plant, without a window: the controller's
// heartbeat gives the link colour, and the newest process record is read for
// the scheme. The look is asked of the live session and answered later; the
// main window shows what each answer brings.
//
// The colour of the link goes by the age of the last heartbeat read at the
// moment it is shown, not when the answer came: a server that stalls holds the
// answer back, and the circle must still turn yellow after 5 s and red after
// 10 s while the screen goes on.

#include "Database.h"
#include "DateTime.h"
#include "TColor.h"

#include <QObject>

// The newest process record as the latest-record query holds it.
struct TLastData {
    TDateTime RecMoment = 0;
    double PLS = 0, PLSZ = 0, URKS = 0, URNS = 0, VODA1 = 0, DSUS = 0, _PLSZ = 0, AR1 = 0;
};

class TStatePoll : public QObject {
    Q_OBJECT
public:
    explicit TStatePoll(TSQLConnection* connection, QObject* parent = nullptr);

    // The three queries of the poll, as the last answer left them.
    TSQLQuery SQLQueryPUState;  // the controller's heartbeat
    TSQLQuery SQLQueryMaxTime;  // read, not used further
    TSQLQuery SQLQueryLastData; // the newest pu_data row, with its declared columns

    // Green up to 5 s, yellow up to 10 s, red beyond (strictly greater).
    static TColor LinkColor(TDateTime lastRecord, TDateTime now);

    // One tick at `now`: the link is coloured by the heartbeat's age now, and
    // the next look is asked for, unless the previous one is still
    // unanswered. While the connection is not wanted (never connected, or
    // closed by the program) nothing is asked.
    void Tick(TDateTime now);
    // A look was asked and its answer has not come yet.
    bool Waiting() const { return waiting_; }

    // clSilver until the first heartbeat is read. After a failed look the
    // colour follows the age of the last heartbeat read (none: red), so a
    // dead link never stays green.
    TColor LinkColour() const { return link_; }
    // Whether there is a record to show, and the record. When the connection
    // is lost the last record read stays until the link turns red, so a plant
    // running in automatic is never shown as manual for want of data; a
    // statement that fails on a live connection leaves no record.
    bool HasRecord() const { return hasRecord_; }
    // The controller's heartbeat as last read; 0 before the first.
    TDateTime LastHeartbeat() const { return lastHeartbeat_; }
    const TLastData& Record() const { return record_; }
    // Looks answered so far, failed ones included.
    int Answers() const { return answers_; }

Q_SIGNALS:
    // Once per answer.
    void Polled(const TLastData& record, bool hasRecord, TColor link, bool failed);

private:
    struct Answer;
    void Apply(const Answer& answer);

    TSQLConnection* connection_;
    TColor link_ = clSilver;
    bool heartbeatKnown_ = false;
    TDateTime lastHeartbeat_ = 0;
    bool hasRecord_ = false;
    TLastData record_;
    bool waiting_ = false;
    int answers_ = 0;
};
