#pragma once

#include <QString>
#include <memory>

#include "addresses/AddressBook.h"
#include "browse/DocumentBrowser.h"
#include "catalogue/Catalogue.h"
#include "catalogue/LineEntry.h"
#include "document/Commands.h"
#include "document/Document.h"
#include "document/DocumentIndex.h"
#include "document/History.h"
#include "document/Totals.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "payments/Payments.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"
#include "viewer/Viewer.h"

class FormModel;

// Puts the program together: the main window's model, the shared state and
// the parts that work on them, with the seams given by the caller.
class Application {
public:
    struct Seams {
        Prompter* prompter = nullptr;
        Desktop* desktop = nullptr;
        const Clock* clock = nullptr;
        const Formats* formats = nullptr;
        WindowHost* windows = nullptr;
        RetryPolicy retry;
    };

    // `documentsFolder` is the user's documents folder.
    Application(const Seams& seams, QString documentsFolder);
    ~Application();

    AppContext& context() { return m_ctx; }
    AppState& state() { return m_ctx.state; }
    FormModel& mainForm() { return *m_form; }
    Shell& shell() { return m_shell; }
    Document& document() { return m_document; }
    Totals& totals() { return m_totals; }
    Catalogue& catalogue() { return m_catalogue; }
    LineEntry& lineEntry() { return m_lineEntry; }
    DocumentIndex& index() { return m_index; }
    PageWriter& pageWriter() { return m_pageWriter; }
    DocumentCommands& commands() { return m_commands; }
    HistoryLists& history() { return m_history; }
    PageReader& pageReader() { return m_pageReader; }
    Payments& payments() { return m_payments; }
    DocumentBrowser& browser() { return m_browser; }
    AddressBook& addresses() { return m_addresses; }

    // The main window's load event.
    void start();
    // Closing the main window; false when the user chose to keep working.
    bool close();

private:
    void bindCommands();

    std::unique_ptr<FormModel> m_form;
    AppContext m_ctx;
    QString m_documentsFolder;
    Shell m_shell;
    Totals m_totals;
    Document m_document;
    Catalogue m_catalogue;
    LineEntry m_lineEntry;
    DocumentIndex m_index;
    PageWriter m_pageWriter;
    DocumentCommands m_commands;
    HistoryLists m_history;
    PageReader m_pageReader;
    Payments m_payments;
    DocumentBrowser m_browser;
    Viewer m_viewer;
    AddressBook m_addresses;
};
