#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "document/SalesDocument.h"

struct AppContext;
class DocumentMapper;
class IndexFile;
struct IndexUpdate;
class Totals;

// The document being edited: it saves, copies, begins, clears, opens and
// shows it, guards unsaved changes with the save prompt, and owns whether
// it is numbered, saved or changed. The Save and Save as New buttons follow
// from that state alone (buttonsFor).
class DocumentSession {
public:
    enum class State {
        Unnumbered,         // "(PEND)", nothing to save
        UnnumberedChanged,  // "(PEND)" with line items or addresses edited
        Saved,              // numbered, as on disk
        Changed,            // numbered, with changes to save
    };
    struct Buttons {
        bool saveChanges;
        bool saveAsNew;
        bool dirty;
    };
    static Buttons buttonsFor(State state);

    DocumentSession(AppContext& ctx, DocumentMapper& mapper, Totals& totals, IndexFile& index);

    // Registers the commands' handlers and the change rule.
    void bind();
    // The fields as the window first shows them, before the configuration.
    void setStartState();
    // The fields of a new document once the configuration is read.
    void startFields();
    void markUnchanged() { setChanged(false); }

    State state() const;
    // Any edit of a line item or an address: changed, numbered or not.
    void markEdited();
    // An edit of a field under the change rule: changed when numbered.
    void applyChangeRule();
    // The folder the page of the document lies in ("2026\").
    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder);

    // Asks to save a changed document. False when the command that asked
    // must stop: Cancel, or a save that did not complete.
    bool SavePrompt();

    // Each returns true when the document was saved.
    bool SaveChanges();
    bool Save_PO();
    bool NewPO();
    void Clear();
    void MakeOrder();
    // Writes the document on screen to the page the viewer shows (`path`)
    // again, with the settings now in use.
    bool rewrite(const QString& path);
    // Opens the page of `number` in `folder` (a row of the document list)
    // after the save prompt. False, with the user told why and the document
    // on screen kept, when it could not be opened.
    bool open(const QString& number, const QString& folder);
    // Double click on the number's label: lets a number of one's own be typed.
    void Label11_DblClick();
    void make10();
    void mu_dobothtests(const std::function<void()>& stockTest);

    // The page of the numbered document on screen; nothing when its number
    // could reach outside the data directory.
    std::optional<QString> pagePath() const;
    // Unsaved work is viewed from a page of this copy's own, "ovo-<host>-<pid>.htm".
    static constexpr const char* kScratchPrefix = "ovo-";
    QString scratchPath() const;
    // This copy's scratch page goes when the program closes; those of this
    // host's ended copies at start.
    void removeScratch();
    void removeStaleScratch();

    // The whole page file read for opening; nothing when it could not be
    // (the user has been told).
    std::optional<QByteArray> readPageFile(const QString& path);
    static constexpr qint64 kMaxPageBytes = 64 * 1024 * 1024;

private:
    bool accessOk();
    bool ask(const QString& title, const QString& text);
    void setChanged(bool changed);
    // A cleared document: the number and kind kept, the multipliers and
    // issue date as a new document has them.
    SalesDocument blank() const;
    // The document on screen, with its payments as the page lists them.
    SalesDocument current();
    // The record of the document on screen; nothing when a field cannot be
    // stored (the user has been told, nothing is numbered).
    bool numberNew();
    // Writes the page at `path`; with `record`, under the index lock with
    // the record updated in the same hold.
    bool writePage(const QString& path, const SalesDocument& doc, IndexUpdate* record = nullptr);
    // Before a saved page is written over: whether another copy has saved
    // or deleted it since this copy read or wrote it, and if so what the
    // user chose. Reload puts the saved document on screen.
    enum class Overwrite { Write, Reload, Cancel };
    Overwrite checkSavedElsewhere();
    // True when the save may go on; otherwise the user was asked and chose
    // not to (or to open the saved document instead).
    bool resolveSavedElsewhere();
    bool load(const QString& number, const QString& folder);
    // Writes the page of the numbered document and sets the state of a
    // saved one; on failure the document stays changed, so nothing typed is
    // lost.
    bool writeSavedPage();
    bool writeSavedPage(const SalesDocument& doc, IndexUpdate* record = nullptr);
    // Asks before a save when a field holds characters the files cannot
    // store; on Yes the window shows them as "?", as saved.
    bool confirmStorable();
    void saveAddressBlocks();
    void refuseOpen(const QString& text);

    AppContext& m_ctx;
    DocumentMapper& m_mapper;
    Totals& m_totals;
    IndexFile& m_index;
    bool m_changed = false;
    QString m_folder;
    // The page this copy last read or wrote, and its bytes then: kept
    // (shared with the buffer read or written, not copied) and compared
    // whole, which costs less than hashing them at every open and save.
    struct KnownPage {
        QString path;
        std::optional<QByteArray> bytes;  // nothing: not read or written yet
    } m_known;
    // The last write of a known page was declined by the user.
    bool m_declined = false;
    // The user chose to save a document another copy deleted.
    bool m_saveUnlisted = false;
};
