#pragma once

#include <QString>
#include <functional>

// What a file operation needs to be allowed to do.
enum class FileAccess { Read, ReadWrite };

// The outcome of one file operation, as a value the caller must look at.
struct FileError {
    enum class Kind {
        None,
        HeldByOther,  // another copy (or program) holds the file: worth a retry
        Denied,       // the file's own permissions forbid it: waiting will not help
        Other,
    };

    Kind kind = Kind::None;
    QString path;
    QString reason;
    // The system's error number, when the failure came from the system.
    int code = 0;

    bool ok() const { return kind == Kind::None; }
    bool heldByOther() const { return kind == Kind::HeldByOther; }

    static FileError none() { return {}; }
    // "Permission denied" is ambiguous: a file held by another program on a
    // network share shows the same error. The file's own permissions decide:
    // when they allow `wanted`, the file is held and worth waiting for.
    static FileError fromErrno(const QString& path, int err,
                               FileAccess wanted = FileAccess::ReadWrite);
    static FileError held(const QString& path, const QString& reason) {
        return {Kind::HeldByOther, path, reason};
    }
    static FileError other(const QString& path, const QString& reason) {
        return {Kind::Other, path, reason};
    }
    // For the fault hook: the operation fails as the system would with `err`,
    // and is judged as such a failure is (see fromErrno).
    static FileError systemError(int err) { return {Kind::Other, {}, {}, err}; }
};

// Whether the permission bits of the file at `nativePath` let this user
// have `wanted` (false when it cannot be looked at). Only the bits count, so
// the answer is the same for every user the bits describe alike.
bool permissionsAllow(const QString& nativePath, FileAccess wanted);

// Lock is the lock taken after Open; Replace comes first in a replace, whose own steps
// then pass as Open, Write and Sync of the temporary file and Rename.
enum class FileOp { Open, Read, Write, Remove, Replace, Copy, MakeFolder, Sync, Truncate, Rename, Lock };

// Lets tests make a file operation fail: the hook runs before each operation
// and a non-ok answer is returned instead of doing it.
using FileFaultHook = std::function<FileError(FileOp op, const QString& path)>;
void setFileFaultHook(FileFaultHook hook);
FileError injectedFault(FileOp op, const QString& path);
// The same, with an injected system error judged as fromErrno would.
FileError injectedFault(FileOp op, const QString& path, FileAccess wanted);
// Whether the write now starting is to store only part of its bytes and
// then fail as a full disk does (records/FaultPlan.h sets it; taken once).
bool takeShortWrite();
