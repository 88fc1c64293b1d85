#pragma once
// The once-a-second look at the plant, without a window: the controller's
// heartbeat gives the link colour, and the newest process record is read for
// the scheme. The main window shows what each tick emits.

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

    // The three queries of the poll.
    TSQLQuery SQLQueryPUState;  // the controller's heartbeat
    TSQLQuery SQLQueryMaxTime;  // read, not used further
    TSQLQuery SQLQueryLastData; // the newest pu_data row, with its declared columns

    // Green up to 5 s, yellow up to 10 s, red beyond (strictly greater).
    static TColor LinkColor(TDateTime lastRecord, TDateTime now);

    // One tick. While the connection is closed (never connected, or closed by
    // the program) it does nothing. Otherwise it reads the heartbeat, colours
    // the link by its age, and reads the newest record; a lost connection is
    // reopened at most every few seconds. Returns false when the tick failed.
    bool Tick(TDateTime now);

    // clSilver until the first heartbeat is read. After a failed tick the
    // colour follows the age of the last heartbeat read (none: red), so a dead
    // link never stays green.
    TColor LinkColour() const { return link_; }
    // Whether there is a record to show, and the record. When the connection
    // is lost the last record read stays until the link turns red, so a plant
    // running in automatic is never shown as manual for want of data; a
    // statement that fails on a live connection leaves no record.
    bool HasRecord() const { return hasRecord_; }
    // The controller's heartbeat as last read; 0 before the first.
    TDateTime LastHeartbeat() const { return lastHeartbeat_; }
    const TLastData& Record() const { return record_; }

Q_SIGNALS:
    // Once per tick that ran (not while the connection is closed).
    void Polled(const TLastData& record, bool hasRecord, TColor link, bool failed);

private:
    TSQLConnection* connection_;
    TColor link_ = clSilver;
    bool heartbeatKnown_ = false;
    TDateTime lastHeartbeat_ = 0;
    bool hasRecord_ = false;
    TLastData record_;
};
