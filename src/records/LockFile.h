#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>

#include "records/FileError.h"

// Where a folder's file locks fail (a network share whose lock service is
// unreachable), a data file is held by a lock file beside it instead:
// "<file>.lck", made only when missing, holding one line
// "<host> <process id> <UTC time>". Copies whose locks work honour it too.
inline const QString kLockFileSuffix = QStringLiteral(".lck");
QString lockFilePathFor(const QString& dataPath);

// A lock file this old is stale even when its copy may still run elsewhere.
constexpr std::chrono::minutes kStaleLockAge{2};

// What a lock file says about the copy that made it.
struct LockFileInfo {
    bool exists = false;
    bool ended = false;  // its process is gone from this host
    bool stale = false;  // ended, or older than kStaleLockAge
    QString host;
    qint64 pid = 0;
    QDateTime made;  // the file's own time: the line may be cut short
};
LockFileInfo readLockFile(const QString& lockPath);

// "It is in use by another copy ..." with who and since when.
FileError heldByLockFile(const QString& dataPath, const LockFileInfo& info);

// The lock file this copy made for one data file open for writing. Readers
// only honour lock files: copies reading at once never wait for each other,
// as with shared locks; the price is that a write may start during a read
// (readers take whole records only, and pages are replaced, not rewritten).
class OwnLockFile {
public:
    OwnLockFile() = default;
    ~OwnLockFile() { release(); }
    OwnLockFile(const OwnLockFile&) = delete;
    OwnLockFile& operator=(const OwnLockFile&) = delete;

    // Held when another lock file is there.
    FileError take(const QString& dataPath);
    // Removes it, unless another copy has taken it over meanwhile.
    void release();

private:
    QString m_path;
    QByteArray m_line;
    quint64 m_device = 0, m_inode = 0;
};

// Removes the lock file of `dataPath` if it is (still) stale. Copies take
// turns at it, so that of two removing it at once the second finds the
// first one's fresh lock file and leaves it.
FileError removeStaleLockFile(const QString& dataPath);

// The folders whose locks failed, each once for the life of the program (a
// folder inside one already noted counts as that one): noted by the
// data-file layer, taken by the first one able to tell the user.
void noteLocksFailed(const QString& folder);
QStringList takeLockFailures();
