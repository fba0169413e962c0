#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

struct AppContext;

// The payments block of a page: table rows on one line, and how many rows it
// counts for when the item table is filled up (its heading row not counted).
struct PaymentsBlock {
    QString html;
    int rows = 0;
};

// Writes the document on screen (the main window's fields and OrderGrid) as
// its HTML page: first the data section of comment lines that carry every
// field and line item, then the printable page.
class PageWriter {
public:
    explicit PageWriter(AppContext& ctx) : m_ctx(ctx) {}

    // Who knows the payments: asked once per page, only when the document
    // shows payments. Without one the page has no payments block.
    using PaymentsBlockSource = std::function<PaymentsBlock()>;
    void setPaymentsBlockSource(PaymentsBlockSource source) { m_payments = std::move(source); }

    // The whole page in Windows-1252, lines ending CR LF.
    QByteArray page() const;

    // Replaces the file at `path` (a data path) with the page, in one piece:
    // the old page stays whole until the new one is complete. A file held
    // by another copy is waited for; false when the page was not written,
    // after the user has been told why.
    bool MakeSnap(const QString& path) const;

private:
    AppContext& m_ctx;
    PaymentsBlockSource m_payments;
};

// The lines of a multi-line address text as HTML lines for the page: each
// output line begins with CR LF; every line but the last ends in "<br>", the
// last in "<p>", and a line that already ends in a tag (">") gets none.
// An empty input gives an empty output.
void MakeHTML_NoteBlock(const QString& input, QString& output);

// A number as the page's percentages show it: up to 15 significant digits,
// no trailing zeros, no exponent and no group separators; ASCII digits and
// "." whatever the locale.
QString generalNumber(double value);
