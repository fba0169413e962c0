#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class AddressBook;
struct AppContext;
// Complete: the inline constructor may destroy the window model.
#include "forms/FormModel.h"
struct FileError;

// The controls of the import window. Label1, Text1 and Command1 are names
// other windows use too, so these keep a namespace of their own.
namespace ctl::addy {
inline constexpr char Label1[] = "Label1";
inline constexpr char Text1[] = "Text1";
inline constexpr char Command1[] = "Command1";
inline constexpr char ImportAsShipTos[] = "ImportAsShipTos";
}  // namespace ctl::addy

// A contact file exported by Quillary: 1047-byte records of blank-padded
// Windows-1252 text, no header. Only these fields are read.
namespace quillary {
constexpr int kLength = 1047;
//                             offset width
constexpr int Type = 0;     //    0    1   "1" to "4"
constexpr int NameB = 1;    //    1   20   second word of the person line
constexpr int NameA = 21;   //   21   20   first word of the person line
constexpr int Org = 81;     //   81   40   organisation
constexpr int Phone = 121;  //  121   20
constexpr int Fax = 151;    //  151   20
constexpr int Addr1 = 316;  //  316   40
constexpr int Addr2 = 356;  //  356   40
constexpr int Place1 = 396; //  396   20
constexpr int Place2 = 416; //  416   20
constexpr int Place3 = 436; //  436   10
}  // namespace quillary

// What one pass over an export file found.
struct ImportCount {
    qint64 records = 0;   // whole records
    qint64 entries = 0;   // records of type "1" to "4", each an address entry
    qint64 skipped = 0;   // whole records of any other type
    qint64 trailing = 0;  // bytes of a record cut short at the end, never read
};

// Turns the whole records of an export into address-book records of `kind`
// (570 bytes each, tag 0: the book numbers them as it adds them). Types "2"
// and "4" are organisations with the person as first line, "1" and "3" the
// other way round; other types are skipped. Control bytes read as blanks.
QByteArray convertExport(const QByteArray& file, char kind, ImportCount* count);
// Whether `file` holds at least one whole record of type "1" to "4".
bool holdsImportRecord(const QByteArray& file);

// The import window "OVO_AddyForm", its commands and the import itself.
std::unique_ptr<FormModel> makeAddyForm();

class AddressImport {
public:
    static constexpr const char* kTitle = "Error";

    AddressImport(AppContext& ctx, AddressBook& book) : m_ctx(ctx), m_book(book) {}
    ~AddressImport();

    // Wires the main window's menu item.
    void bind();
    // Shows the window modally, then refills the address lists.
    void mu_ImportQuillary();
    // The open window's model; null while none is open.
    FormModel* form() const { return m_form.get(); }

    // Chooses the file and checks it; false when none passed.
    bool Command1_Click();
    // Checks the chosen file again and imports it as Ship To entries.
    bool ImportAsShipTos_Click();
    // Appends one address entry of `kind` per contact of the file at `path`;
    // false when nothing was added (the user has been told why).
    bool importFile(const QString& path, char kind);

    // Why the file at `path` cannot be imported, as the "Error" box says
    // it; empty when it can.
    QString check(const QString& path) const;

private:
    // The files of the data directory are never imported.
    QString ownFileRefusal(const QString& path) const;
    static QString readError(const QString& path, const FileError& e);
    void error(const QString& text);

    AppContext& m_ctx;
    AddressBook& m_book;
    std::unique_ptr<FormModel> m_form;
};
