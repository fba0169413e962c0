#pragma once

#include <QString>
#include <memory>

#include "addresses/AddressBook.h"
#include "addresses/AddressImport.h"
#include "browse/DocumentBrowser.h"
#include "browse/Export.h"
#include "browse/Report.h"
#include "catalogue/Catalogue.h"
#include "catalogue/LineEntry.h"
#include "document/Document.h"
#include "document/History.h"
#include "document/IndexFile.h"
#include "document/Totals.h"
#include "payments/Payments.h"
#include "session/DocumentMapper.h"
#include "session/DocumentSession.h"
#include "shell/ConfigEditor.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"
#include "translation/StringsFile.h"
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
    Totals& totals() { return m_totals; }
    Catalogue& catalogue() { return m_catalogue; }
    LineEntry& lineEntry() { return m_lineEntry; }
    IndexFile& index() { return m_index; }
    DocumentMapper& mapper() { return m_mapper; }
    DocumentSession& session() { return m_session; }
    HistoryLists& history() { return m_history; }
    Payments& payments() { return m_payments; }
    DocumentBrowser& browser() { return m_browser; }
    Viewer& viewer() { return m_viewer; }
    AddressBook& addresses() { return m_addresses; }
    Reports& reports() { return m_reports; }
    DataExport& dataExport() { return m_export; }
    ConfigEditor& configEditor() { return m_config; }
    AddressImport& addressImport() { return m_import; }
    StringsFile& strings() { return m_strings; }

    // The main window's load event.
    void start();
    // Closing the main window; false when the user chose to keep working.
    bool close();

private:
    void bindCommands();
    void bindLists();

    std::unique_ptr<FormModel> m_form;
    AppContext m_ctx;
    QString m_documentsFolder;
    Shell m_shell;
    Totals m_totals;
    Catalogue m_catalogue;
    LineEntry m_lineEntry;
    IndexFile m_index;
    DocumentMapper m_mapper;
    DocumentSession m_session;
    HistoryLists m_history;
    Payments m_payments;
    DocumentBrowser m_browser;
    Viewer m_viewer;
    AddressBook m_addresses;
    Reports m_reports;
    DataExport m_export;
    ConfigEditor m_config;
    AddressImport m_import;
    StringsFile m_strings;
};
