#pragma once

#include <QString>
#include <functional>

#include "shell/ConfigRecord.h"
#include "records/RecordLockRetry.h"

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
    // The configuration editor was opened from the viewer, so it may rewrite
    // the page shown there.
    bool FromViewer = false;
    // "up" / "dn": the next heading sort of the stock and document lists.
    QString GridSortDirection;
    // Set while a developer test runs, so that no other one starts.
    bool TestRunning = false;
};

// Work owned by higher parts of the program, for the lower ones to call: the
// start-up and closing sequences and the document commands. An empty hook is
// skipped.
struct Hooks {
    std::function<void()> PopAddyLists;     // fill the address lists
    std::function<void()> CheckForOldData;  // convert the old index once
    std::function<void()> AddToUserFields;  // fill the history lists
    std::function<void()> PopPOGrid;        // fill the document list
    std::function<void()> PopStockList;     // fill the stock list
    // Asks to save unsaved changes; false when the user cancels.
    std::function<bool()> SavePrompt;
    // Writes the document on screen as the page at a data path; false when
    // it was not written (the user has been told).
    std::function<bool(const QString& path)> MakeSnap;
    // Shows DisplayFile in the viewer window.
    std::function<void()> ShowViewer;
    // Fills the payments list of the document on screen.
    std::function<void()> PopPAGrid;
    // Reads a saved page back into the window; false when it could not be
    // read (the user has been told and the document on screen is kept).
    std::function<bool(const QString& path)> LoadOrder;
    // Shows the configuration editor modally.
    std::function<void()> ShowConfigEditor;
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
};
