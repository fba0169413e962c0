#pragma once

#include <QString>
#include <functional>

struct AppContext;
class Document;
class DocumentIndex;
class Totals;

// The commands that number, save, copy, begin and show the document on
// screen, the save prompt that guards unsaved changes, and the rule by
// which edits mark a numbered document as changed.
class DocumentCommands {
public:
    DocumentCommands(AppContext& ctx, Document& document, Totals& totals, DocumentIndex& index)
        : m_ctx(ctx), m_document(document), m_totals(totals), m_index(index) {}

    // Ties the change rule to the fields and options that apply it.
    void bindChangeRule();
    // A numbered document counts as changed; "(PEND)" ones do not.
    void applyChangeRule();

    // Asks to save a changed document. False when the command that asked
    // must stop: Cancel, or a save that did not complete.
    bool SavePrompt();

    // Each returns true when the document was saved.
    bool SaveChanges();
    bool Save_PO();
    bool NewPO();
    void MakeOrder();
    // Double click on the number's label: lets a number of one's own be typed.
    void Label11_DblClick();
    void make10();
    void mu_dobothtests(const std::function<void()>& stockTest);

    // The page of the numbered document on screen.
    QString pagePath() const;
    QString scratchPath() const;

private:
    bool accessOk();
    bool ask(const QString& title, const QString& text);
    // PONoEd holds what a page name and the index can take.
    bool numberUsable();
    // Writes the page and sets the state of a saved document; on failure
    // the document stays changed so that nothing typed is lost.
    bool writeSavedPage();
    bool numberAndSave();

    AppContext& m_ctx;
    Document& m_document;
    Totals& m_totals;
    DocumentIndex& m_index;
};
