#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct AppContext;
struct ConfigRecord;
class Formats;

// A summary report: the documents of one kind that the document list shows,
// of every customer ("A") or of the Sold To customer only ("C"), with the
// sums of their totals, shipping and taxes.
namespace report {

// The eight report commands and their codes.
struct Command {
    const char* menuItem;
    const char* code;
};
extern const Command kCommands[8];

struct Customer {
    QString name;   // as typed in Sold To
    QString lines;  // its address block
};

// The report page in Windows-1252 with CR LF line ends, from the list's
// data rows (fifteen cells each) in their order. `code` is "A" or "C" and a
// kind code ("p", "P", "i", "I").
QByteArray make(const QString& code, const QVector<QStringList>& rows, const Customer& customer,
                const ConfigRecord& settings, const Formats& formats);

}  // namespace report

// The report commands of the main window. Each copy of the program writes
// its own report file beside the logo in the data directory, so that two
// copies reporting at once never show each other's report.
class Reports {
public:
    explicit Reports(AppContext& ctx) : m_ctx(ctx) {}

    void bind();
    // "report-<host>-<process>.htm" in the data directory.
    QString path() const;
    // Writes the report of `code` from the list as it stands; false when it
    // could not be written (the user has been told).
    bool MakeReport(const QString& code);
    // Runs one menu command: the report, then the viewer.
    void show(const QString& code);
    // Writes the report last shown again (with the settings now in use).
    bool remake() { return !m_lastCode.isEmpty() && MakeReport(m_lastCode); }
    // This copy's report goes when the program closes; reports this host's
    // copies left behind (their process has ended) go at start.
    void removeOwn();
    void removeStale();

private:
    AppContext& m_ctx;
    QString m_lastCode;
};
