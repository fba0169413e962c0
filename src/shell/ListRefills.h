#pragma once

#include <array>
#include <functional>
#include <vector>

#include "records/Messages.h"

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
