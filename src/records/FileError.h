#pragma once

#include <QString>
#include <functional>

// The outcome of one file operation, as a value the caller must look at.
struct FileError {
    enum class Kind {
        None,
        HeldByOther,  // another copy (or program) holds the file: worth a retry
        Other,
    };

    Kind kind = Kind::None;
    QString path;
    QString reason;

    bool ok() const { return kind == Kind::None; }
    bool heldByOther() const { return kind == Kind::HeldByOther; }

    static FileError none() { return {}; }
    static FileError fromErrno(const QString& path, int err);
    static FileError held(const QString& path, const QString& reason) {
        return {Kind::HeldByOther, path, reason};
    }
    static FileError other(const QString& path, const QString& reason) {
        return {Kind::Other, path, reason};
    }
};

enum class FileOp { Open, Read, Write, Remove, Replace, Copy, MakeFolder };

// Lets tests make a file operation fail: the hook runs before each operation
// and a non-ok answer is returned instead of doing it.
using FileFaultHook = std::function<FileError(FileOp op, const QString& path)>;
void setFileFaultHook(FileFaultHook hook);
FileError injectedFault(FileOp op, const QString& path);
