#pragma once

#include <QString>
#include <optional>

struct AppContext;
class Totals;

enum class DocumentKind { Proposal, Acknowledgement, Invoice, Receipt };

struct KindInfo {
    DocumentKind kind;
    const char* option;     // its option button
    char16_t code;          // kind code in files; case matters
    const char* pageTitle;  // title on the printed page
};

const KindInfo& kindInfo(DocumentKind kind);
std::optional<DocumentKind> kindFromCode(const QString& code);

inline const QString kPending = QStringLiteral("(PEND)");

// The document on screen: the fields and line-item grid of the main window.
class Document {
public:
    Document(AppContext& ctx, Totals& totals) : m_ctx(ctx), m_totals(totals) {}

    DocumentKind selectedKind() const;
    void selectKind(DocumentKind kind);
    QString kindCode() const;

    // The grid's format text, from the item label captions of the moment.
    QString orderGridFormat() const;
    // Heading row only, headings from the item labels.
    void resetOrderGrid();

    // Empties the document; a numbered one keeps its number and kind and
    // counts as changed.
    void Clear();

    // The fields as the window first shows them, before anything is loaded.
    void setStartState();

private:
    QString taxFactorDefault(const QString& configured) const;

    AppContext& m_ctx;
    Totals& m_totals;
};
