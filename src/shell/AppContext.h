#pragma once

#include <QString>
#include <functional>

#include "shell/ConfigRecord.h"
#include "records/RecordLockRetry.h"
#include "shell/ListRefills.h"

class Clock;
class Desktop;
class FormModel;
class Formats;
class Prompter;
class WindowHost;

// State shared by every part of the program for the whole run.
struct AppState {
    QString HomeFolder;  // documents folder + "Fernhollow" + separator
    QString DataPath;    // the data directory, ends with a separator
    QString YearFolder;  // "2026\" : where new documents are saved
    bool DataAccessOK = false;
    bool Dirty = false;
    ConfigRecord ConfigRec;
    QString HistoryFileName;
    QString HistoryText;
    QString DisplayFile;
    // The title of the report last made ("All Invoices"): a report is mailed
    // under it, not under the document's kind and number.
    QString ReportTitle;
    // The configuration editor was opened from the viewer, so it may rewrite
    // the page shown there.
    bool FromViewer = false;
    // The picture last chosen for the logo: its full path and bare name,
    // both empty when the choice was cancelled.
    QString PickedPicPath;
    QString PickedPicName;
    // "up" / "dn": the next heading sort of the stock and document lists.
    QString GridSortDirection;
    // Set while a developer test runs, so that no other one starts.
    bool TestRunning = false;
};

// Work of higher parts of the program that lower ones must call up to. An
// empty hook is skipped.
struct Hooks {
    std::function<void()> PopAddyLists;     // fill the address lists
    std::function<void()> AddToUserFields;  // fill the history lists
    std::function<void()> PopStockList;     // fill the stock list
    // Fills the payments list of the document on screen.
    std::function<void()> PopPAGrid;
    // A line item or an address of the document on screen was edited.
    std::function<void()> Edited;
    // Empties the document on screen (its last line item was taken out).
    std::function<void()> ClearDocument;
    // Shows DisplayFile in the viewer window.
    std::function<void()> ShowViewer;
    // Opens a file or web address in the default browser; failures are told.
    std::function<void(const QString& address)> RunBrowser;
};

// What each part of the program is given: the shared state, the main
// window's model and the seams to the outside.
struct AppContext {
    AppState state;
    FormModel* form = nullptr;
    Prompter* prompter = nullptr;
    Desktop* desktop = nullptr;
    WindowHost* windows = nullptr;
    const Clock* clock = nullptr;
    const Formats* formats = nullptr;
    RetryPolicy retry;
    Hooks hooks;
    ListRefills lists;
};
