#include "records/FaultPlan.h"

#include <QMutex>
#include <QMutexLocker>
#include <cerrno>
#include <utility>

namespace {

struct PlanState {
    QMutex mutex;
    FaultPlan plan;
    QList<FileCall> log;
    int failed = 0;
    bool shortWritePending = false;
};

PlanState& state() {
    static PlanState s;
    return s;
}

FileError planned(FileOp op, const QString& path) {
    PlanState& s = state();
    QMutexLocker lock(&s.mutex);
    s.shortWritePending = false;
    s.log.append({op, path});
    const int n = int(s.log.size());
    const FaultPlan& p = s.plan;
    if (p.failAt <= 0 || n < p.failAt || (n > p.failAt && !p.fromThereOn)) return {};
    if (n > p.failAt && p.spareUndo && (op == FileOp::Truncate || op == FileOp::Remove)) return {};
    ++s.failed;
    if (p.shortWrite && op == FileOp::Write) {
        s.shortWritePending = true;
        return {};
    }
    return FileError::systemError(p.shortWrite ? ENOSPC : p.err);
}

}  // namespace

void startFaultPlan(const FaultPlan& plan) {
    {
        PlanState& s = state();
        QMutexLocker lock(&s.mutex);
        s.plan = plan;
        s.log.clear();
        s.failed = 0;
        s.shortWritePending = false;
    }
    setFileFaultHook(planned);
}

void stopFaultPlan() {
    setFileFaultHook({});
    QMutexLocker lock(&state().mutex);
    state().shortWritePending = false;
}

QList<FileCall> fileCallLog() {
    QMutexLocker lock(&state().mutex);
    return state().log;
}

int faultsInjected() {
    QMutexLocker lock(&state().mutex);
    return state().failed;
}

bool takeShortWrite() {
    PlanState& s = state();
    QMutexLocker lock(&s.mutex);
    return std::exchange(s.shortWritePending, false);
}
