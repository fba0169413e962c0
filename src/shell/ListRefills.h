#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "records/Messages.h"

// What tells whether a file changed since a list was filled from it:
// the file itself (device, inode), its size and its change times to the
// nanosecond. Taken before the read, so a write during the read shows as a
// change at the next look.
struct FileStamp {
    bool valid = false;
    quint64 device = 0, inode = 0;
    qint64 size = 0, mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;

    // Opened before it is looked at, so that a network file system gives the
    // file's current times rather than ones it kept. Not valid for a file
    // that is missing, unreadable, or changed in the last two seconds (a
    // second write within the file system's time step would look the same).
    static FileStamp of(const QString& dataPath);
    // Both valid and alike: the file is as it was.
    bool unchangedFrom(const FileStamp& earlier) const;
};

// The lists of the main window that show a data file. A list refills where
// the program asks for it, but at most once per command unless its file's
// owner has marked it stale since: opening a document asks for the stock
// list twice and reads the stock file once.
class ListRefills {
public:
    enum List { Documents, Stock, Addresses, Payments, kLists };

    void setFiller(List list, std::function<void()> fill) { m_fill[list] = std::move(fill); }
    // Refills now, unless the list was refilled in the running command and
    // has not been marked stale since.
    void refill(List list);
    // The list's file changed: the next refill in this command runs.
    void markStale(List list) { m_stale[list] = true; }

    bool inCommand() const { return m_depth > 0; }

    // Called when the outermost command ends.
    void onCommandEnd(std::function<void()> done) { m_onEnd.push_back(std::move(done)); }

    // A command for as long as it lives; commands nest.
    class Command {
    public:
        explicit Command(ListRefills& lists) : m_lists(lists) { ++m_lists.m_depth; }
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        ListRefills& m_lists;
        const OneReportPerFile m_oneReport;
    };

private:
    std::array<std::function<void()>, kLists> m_fill;
    std::array<bool, kLists> m_done{};
    std::array<bool, kLists> m_stale{};
    std::vector<std::function<void()>> m_onEnd;
    int m_depth = 0;
};
