#pragma once

#include <QList>
#include <QString>

#include "records/FileError.h"

// A fault plan for tests and stress runs, built on the fault hook: it counts
// every file call from its start, logs each one, and fails call `failAt`
// (counted from 1; 0 fails none), or every call from there on.
struct FaultPlan {
    int failAt = 0;
    bool fromThereOn = false;
    int err = 0;  // the system error the failing calls report
    // A failing write stores part of its bytes, then reports a full disk;
    // any other call fails with ENOSPC.
    bool shortWrite = false;
    // From there on, truncates and removes still work, as on a full disk:
    // what undoes a part-done change is not failed.
    bool spareUndo = false;
};

struct FileCall {
    FileOp op;
    QString path;
};

// Replaces any fault hook; stopFaultPlan (or setFileFaultHook) ends it.
void startFaultPlan(const FaultPlan& plan);
void stopFaultPlan();
// The calls since the plan started, in order.
QList<FileCall> fileCallLog();
// How many calls the plan failed.
int faultsInjected();
