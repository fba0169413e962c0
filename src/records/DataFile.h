#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>

#include "records/FileError.h"
#include "records/LockFile.h"

// Every data file is opened, locked, read, written, flushed, renamed and
// removed here, so that each failure comes back as a FileError and each
// step passes the fault hook (records/FileError.h).

// A replace writes its new contents to "<file>.tbtmp<six letters>" beside
// the file; a name of that form is never data (an interrupted replace may
// leave one behind).
inline const QString kTempMarker = QStringLiteral(".tbtmp");
QString tempPathFor(const QString& path);
bool isTempFileName(const QString& fileName);

// One data file, held for one operation: shared for reading, alone for
// writing (advisory locks, so other copies wait; where the folder's locks
// fail, a lock file, see records/LockFile.h). Another copy may rename
// a new file over the one we wait for, so after the lock is granted the
// path is checked to still name the file held, and opened again if not.
class DataFile {
public:
    enum class Mode {
        Read,          // shared lock; a missing file is an error
        Write,         // exclusive lock; a missing file is made (empty)
        ReadOrCreate,  // Read, or Write when the file is missing
    };

    explicit DataFile(QString path) : m_path(std::move(path)) {}
    ~DataFile() { close(); }
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    FileError open(Mode mode);
    void close();
    // Reads, too, refuse a link (writes always do).
    void refuseLinks() { m_refuseLinks = true; }
    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    qint64 size() const;

    // Reads [from, from + length), less at the end of the file.
    FileError readAt(qint64 from, qint64 length, QByteArray* out) const;
    FileError readAll(QByteArray* out) const;
    FileError writeAt(qint64 at, const QByteArray& bytes);
    // Writes at the end. A write that does not complete is cut back, so the
    // file keeps its old length.
    FileError append(const QByteArray& bytes);
    FileError truncate(qint64 length);
    FileError sync();
    // Renames new contents over the file while it is still held (see
    // replaceFile); the new file keeps the held file's permissions.
    FileError replaceContents(const QByteArray& bytes);

private:
    QString m_path;
    int m_fd = -1;
    bool m_refuseLinks = false;
    OwnLockFile m_lockFile;
};

// Writes a whole file through a temporary file beside it: every write
// checked, flushed, renamed over the old file, the folder flushed. A failure
// leaves the old file as it was and no temporary file.
FileError replaceFile(const QString& path, const QByteArray& bytes);
// Reads a whole file (a missing file is an error of kind Other).
FileError readWholeFile(const QString& path, QByteArray* out);
// Copies a file over an older copy, through a temporary file. The source
// must be a file itself, not a link.
FileError copyFileOver(const QString& from, const QString& to);
// Removes a file; one that is already gone is no error.
FileError removeFile(const QString& path);
// Whether `path` is a regular file itself (a link to one is not).
bool isFileItself(const QString& path);
// Removes the temporary files of interrupted replaces in `folder` that are
// older than `olderThan`; returns how many.
int removeStaleTempFiles(const QString& folder, std::chrono::seconds olderThan);
// This copy of the program among the others that share the data folder:
// "<host>-<process id>", usable in a file name.
QString copyTag();
// This host's name, usable in a file name.
QString hostTag();
// Removes the files `prefix` + "<this host>-<process id>" + `suffix` in
// `folder` that copies of this host left behind: their process has ended.
int removeFilesOfEndedCopies(const QString& folder, const QString& prefix, const QString& suffix);
// Fails (kind Other) when something other than a regular file is in the
// place of `path`; a missing file is fine.
FileError checkRegularOrMissing(const QString& path);

// Whole reads and writes at an offset of an open descriptor, resumed after
// interruptions; a read stops short at the end of the file. `path` names the
// file in an error.
FileError readRange(int fd, const QString& path, qint64 from, qint64 length, QByteArray* out);
FileError writeRange(int fd, const QString& path, qint64 at, const char* data, qint64 size);

// Data paths keep "\" between folders (index records hold "2026\"); this
// turns one into a path for the file system.
QString nativePath(const QString& dataPath);
// The file system's name of a data path.
QByteArray fileSystemName(const QString& dataPath);

// Flushes the folder that holds `path`, so that a file just made there
// survives a crash of the machine.
FileError syncFolderOf(const QString& path);
