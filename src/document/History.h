#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include "forms/ControlNames.h"

struct AppContext;

// The bytes of a history file, read as its list offers them and as a save
// and a delete look them up.
namespace history {
// One entry a line; a line ends in CR LF, a lone CR or a lone LF.
QStringList entries(const QByteArray& bytes);
// Whether a line, trimmed of blanks, is `value` (trimmed, one line, stored form).
bool holds(const QByteArray& bytes, const QByteArray& value);
// The file without the lines that, trimmed, are `value`; `removed` says
// whether there were any.
QByteArray without(const QByteArray& bytes, const QByteArray& value, bool* removed);
}  // namespace history

// The history lists of the six free-text fields: each field remembers the
// values once used in it in a text file of the data directory (one entry a
// line, Windows-1252, CR LF, oldest first) and offers them in its drop-down
// list.
class HistoryLists {
public:
    struct Field {
        const char* control;
        const char* file;
    };
    // In the order the fields are recorded.
    static constexpr Field kFields[] = {
        {ctl::ByEd, "by_field.dat"},        {ctl::ShipViaEd, "via_field.dat"},
        {ctl::FOBEd, "fob_field.dat"},      {ctl::TermsEd, "ter_field.dat"},
        {ctl::CommentsEd, "com_field.dat"}, {ctl::JobNumberEd, "jno_field.dat"},
    };

    // `changeRule` runs when a field's list drops down.
    HistoryLists(AppContext& ctx, std::function<void()> changeRule)
        : m_ctx(ctx), m_changeRule(std::move(changeRule)) {}

    // Registers the fields' handlers and the AddToUserFields hook.
    void bind();

    // Records the six fields' values in their files and refills the lists.
    // False when a file could not be used (the user has been told); the
    // fields after it are left as they were.
    bool AddToUserFields();
    // Removes every line equal to HistoryText from the file HistoryFileName
    // names (an address combo box deletes its address instead). False when
    // nothing was removed because a file could not be used.
    bool DeleteHistoryEntry();

    // The events of a history field.
    void gotFocus(const QString& control);
    void listChoice(const QString& control);
    void editDelete(const QString& control);

private:
    QString pathOf(const char* file) const;
    bool recordField(const Field& field);

    AppContext& m_ctx;
    std::function<void()> m_changeRule;
};
