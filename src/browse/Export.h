#pragma once

#include <QByteArray>
#include <QString>

struct AppContext;
struct ConfigRecord;
class Formats;
class IndexFile;

namespace csvexport {

// What an export holds: the file's bytes (Windows-1252, CR LF) and what of
// the index it left out.
struct Result {
    QByteArray bytes;
    int exported = 0;
    qint64 beyondLimit = 0;  // whole records past the most the index may hold
    bool cutRecord = false;  // the index ends inside a record
};

// The header and one line per listed document of `index` (the whole index
// file), in file order. Values are quoted with inner quotes doubled; a text
// that a spreadsheet would take for a formula gets a leading apostrophe.
Result make(const QByteArray& index, const ConfigRecord& settings, const Formats& formats);

}  // namespace csvexport

// "Data Export" of the File menu: the index as CSV in a file the user
// chooses, then offered to the spreadsheet program.
class DataExport {
public:
    DataExport(AppContext& ctx, IndexFile& index) : m_ctx(ctx), m_index(index) {}

    void bind();
    void mu_DataExport();

private:
    AppContext& m_ctx;
    IndexFile& m_index;
};
