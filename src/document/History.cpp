#include "document/History.h"
#include "forms/ControlNames.h"

#include <cstring>

#include "base/Cp1252.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "records/DataFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Runs `line(begin, length)` for every line of a history file. Lines end in
// CR LF; a lone CR or LF (a file edited elsewhere) ends one too, and a last
// line without an end still counts.
template <typename F>
void forEachLine(const QByteArray& bytes, F&& line) {
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* e = p;
        while (e < end && *e != '\r' && *e != '\n') ++e;
        line(p, static_cast<qsizetype>(e - p));
        if (e < end && *e == '\r' && e + 1 < end && e[1] == '\n') ++e;
        p = e + 1;
    }
}

bool equalsTrimmed(const char* p, qsizetype n, const QByteArray& value) {
    while (n > 0 && *p == ' ') ++p, --n;
    while (n > 0 && p[n - 1] == ' ') --n;
    return n == value.size() && (n == 0 || std::memcmp(p, value.constData(), size_t(n)) == 0);
}

// A value as its file stores it, so that "already recorded" compares what
// the file can hold: a character outside Windows-1252 is stored as "?".
QByteArray storedForm(const QString& text) {
    QString t = text;
    // One entry is one line.
    t.replace(u'\r', u' ').replace(u'\n', u' ');
    return cp1252::encode(trimBlanks(t));
}

}  // namespace

QStringList history::entries(const QByteArray& bytes) {
    QStringList entries;
    forEachLine(bytes, [&](const char* p, qsizetype n) { entries.append(cp1252::decode(p, n)); });
    return entries;
}

// A fast search for the value, then a look at what stands around it.
bool history::holds(const QByteArray& bytes, const QByteArray& value) {
    const auto lineEnd = [&bytes](qsizetype i) {
        return i < 0 || i >= bytes.size() || bytes[i] == '\r' || bytes[i] == '\n';
    };
    for (qsizetype at = bytes.indexOf(value); at >= 0; at = bytes.indexOf(value, at + 1)) {
        qsizetype before = at - 1;
        while (before >= 0 && bytes[before] == ' ') --before;
        qsizetype after = at + value.size();
        while (after < bytes.size() && bytes[after] == ' ') ++after;
        if (lineEnd(before) && lineEnd(after)) return true;
    }
    return false;
}

QByteArray history::without(const QByteArray& bytes, const QByteArray& value, bool* removed) {
    QByteArray kept;
    kept.reserve(bytes.size() + 2);
    *removed = false;
    forEachLine(bytes, [&](const char* p, qsizetype n) {
        if (equalsTrimmed(p, n, value)) {
            *removed = true;
        } else {
            kept.append(p, n).append(kLineEnd);
        }
    });
    return kept;
}

namespace {

// Appends `value` as a new last line of `file` (held alone), whose bytes
// are `bytes`. A file whose last line has no end gets one first; a write
// that fails leaves the file as it was.
FileError appendEntry(DataFile& file, QByteArray* bytes, const QByteArray& value) {
    QByteArray line;
    if (!bytes->isEmpty() && !bytes->endsWith('\r') && !bytes->endsWith('\n')) line = kLineEnd;
    line += value + kLineEnd;
    if (FileError e = file.append(line); !e.ok()) return e;
    *bytes += line;
    return {};
}

}  // namespace

void HistoryLists::bind() {
    FormModel& f = *m_ctx.form;
    for (const Field& field : kFields) {
        const QString control = QLatin1String(field.control);
        f.on(control, FormModel::Event::GotFocus, [this, control] { gotFocus(control); });
        f.onClick(control, [this, control] { listChoice(control); });
        f.on(control, FormModel::Event::DropDown, [this] { if (m_changeRule) m_changeRule(); });
        f.on(control, FormModel::Event::EditDelete, [this, control] { editDelete(control); });
    }
    m_ctx.hooks.AddToUserFields = [this] { AddToUserFields(); };
}

QString HistoryLists::pathOf(const char* file) const {
    return m_ctx.state.DataPath + QLatin1String(file);
}

bool HistoryLists::AddToUserFields() {
    if (!m_ctx.state.DataAccessOK) return false;
    for (const Field& field : kFields) {
        // As with any file error, the fields after a failing one wait for
        // the next run.
        if (!recordField(field)) return false;
    }
    return true;
}

bool HistoryLists::recordField(const Field& field) {
    FormModel& f = *m_ctx.form;
    const QString control = QLatin1String(field.control);
    const QString path = pathOf(field.file);
    const QString value = trimBlanks(f.text(control));
    const QByteArray stored = storedForm(value);
    QStringList entries;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        DataFile file(path);
        // Reading shares the file (and works on a read-only one); a missing
        // file is created empty.
        if (FileError e = file.open(DataFile::Mode::ReadOrCreate); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        if (!stored.isEmpty() && !history::holds(bytes, stored)) {
            // Appending needs the file to ourselves; another copy may have
            // recorded the value meanwhile, so look again once we have it.
            if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
            if (FileError e = file.readAll(&bytes); !e.ok()) return e;
            if (!history::holds(bytes, stored)) {
                if (FileError e = appendEntry(file, &bytes, stored); !e.ok()) return e;
            }
        }
        entries = history::entries(bytes);
        return {};
    });
    if (!ok) return false;
    f.setItems(control, entries);
    f.setText(control, value);
    return true;
}

bool HistoryLists::DeleteHistoryEntry() {
    AppState& s = m_ctx.state;
    FormModel& f = *m_ctx.form;
    if (s.HistoryFileName == ctl::ToCombo) {
        f.click(ctl::DeleteVendor);
        return true;
    }
    if (s.HistoryFileName == ctl::ShipToCombo) {
        f.click(ctl::DeleteDest);
        return true;
    }
    const QString fileName = trimBlanks(s.HistoryFileName);
    const Field* field = nullptr;
    for (const Field& candidate : kFields) {
        if (fileName == QLatin1String(candidate.file)) field = &candidate;
    }
    if (!field) return false;  // no history field has had the focus yet
    if (!s.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return false;
    }

    const QString path = pathOf(field->file);
    const QByteArray target = storedForm(s.HistoryText);
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        // Held from the read to the replace, so no other copy's entry is lost.
        DataFile file(path);
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        bool removed = false;
        const QByteArray kept = history::without(bytes, target, &removed);
        if (!removed) return {};
        // A new file renamed over the old: a failure leaves the old one whole.
        return file.replaceContents(kept);
    });
    // The user has been told; the entry and the field's text stay.
    if (!ok) return false;

    f.setText(QLatin1String(field->control), QString());
    AddToUserFields();
    return true;
}

void HistoryLists::gotFocus(const QString& control) {
    for (const Field& field : kFields) {
        if (control == QLatin1String(field.control)) {
            m_ctx.state.HistoryFileName = QLatin1String(field.file);
        }
    }
    m_ctx.state.HistoryText = m_ctx.form->text(control);
}

void HistoryLists::listChoice(const QString& control) {
    m_ctx.state.HistoryText = m_ctx.form->text(control);
}

void HistoryLists::editDelete(const QString& control) {
    // The Delete names its own field: the shared values may still describe
    // another field (a save refreshes texts without moving the focus).
    gotFocus(control);
    DeleteHistoryEntry();
}
