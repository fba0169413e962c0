#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

#include "document/Document.h"

struct AppContext;
class Totals;

// What the data section of a stored page holds, read without touching a
// window: the kind, the field markers the page carries and its line items.
struct StoredDocument {
    // The fields a page gives back, in the order they are put back.
    enum Field {
        PON,
        JOB,
        ORD,
        VND,
        STO,
        BY,
        SDA,
        VIA,
        FOB,
        TRM,
        TAX,
        TAF,
        OTX,
        OTF,
        SHP,
        DIS,
        DIF,
        COM,
        kFields
    };
    static const char* tag(Field field);
    static const char* control(Field field);

    // The last known kind code of the page; none when it has no usable one.
    std::optional<DocumentKind> kind;
    // A field the page does not carry stays as the window has it.
    std::array<std::optional<QString>, kFields> fields;
    // Eight cells each, in page order.
    QVector<QStringList> items;
    // False when the page ends before its end marker (cut short).
    bool complete = false;
};

// Reads the markers of a page (Windows-1252, CR LF or LF line ends). Only
// lines before the end marker count: the printed part after it holds typed
// address lines, which must never be taken for data.
StoredDocument readStoredDocument(const QByteArray& page);

// Whether a stored number may become the number on screen: "(PEND)" or
// letters and digits only (it names a file and an index record).
bool storedNumberUsable(const QString& number);

// Makes a stored page the document on screen again.
class PageReader {
public:
    PageReader(AppContext& ctx, Document& document, Totals& totals)
        : m_ctx(ctx), m_document(document), m_totals(totals) {}

    // Sets the LoadOrder hook.
    void bind();

    // Reads the page at `path` (a data path) whole, then clears the window
    // and puts back the kind, the fields and the line items, fills the
    // address lines from the address book, recomputes the totals, fills the
    // payments and leaves the document unchanged. False, with the user told
    // why and the document on screen kept, when the page is missing,
    // unreadable or no document page.
    bool LoadOrder(const QString& path);

    // Pages larger than this are no document pages (a page of a thousand
    // line items is well under a megabyte).
    static constexpr qint64 kMaxPageBytes = 64 * 1024 * 1024;

private:
    // The page's bytes; nothing when it could not be read (the user has
    // been told).
    std::optional<QByteArray> readPage(const QString& path);
    void refuse(const QString& text);
    void apply(const StoredDocument& stored);

    AppContext& m_ctx;
    Document& m_document;
    Totals& m_totals;
};
