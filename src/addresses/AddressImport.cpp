#include "addresses/AddressImport.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

#include "addresses/AddressBook.h"
#include "addresses/AddressRecord.h"
#include "base/Desktop.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "forms/WindowHost.h"
#include "records/DataFile.h"
#include "records/Messages.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

using namespace quillary;
namespace addy = ctl::addy;

const char* const kExplanation =
    "To copy names and addresses from Quillary into the address book: in Quillary, select "
    "the contacts you want and export them in Quillary format. Then choose \"Select "
    "Quillary Data File\", pick the exported file, and choose \"Import\". Each contact "
    "becomes an address book entry, listed under Sold To and Ship To.\n\n"
    "Note that this utility does NOT look for duplicates!";

const ControlRow kRows[] = {
    {addy::Label1, ControlKind::Label, kExplanation},
    {addy::Text1, ControlKind::TextBox, "", "The Quillary export file to import"},
    {addy::Command1, ControlKind::Button, "Select Quillary Data File",
     "Choose the file Quillary exported"},
    {addy::ImportAsShipTos, ControlKind::Button, "Import",
     "Add every contact of the chosen file to the address book"},
};

const QString kAllFiles = QStringLiteral("All Files (*.*)");
const QString kQuillaryFiles = QStringLiteral("Quillary Files (*.dat *.DAT)");
const QString kNotQuillary =
    QStringLiteral("This file does not contain Quillary records, or they are corrupt");

// Records read at a time by the check and the import: about 1 MB.
constexpr qint64 kChunkRecords = 1000;

bool isEntryType(char type) {
    return type >= '1' && type <= '4';
}

// Control bytes in an export read as blanks.
bool isBlank(unsigned char c) {
    return c <= 0x20 || c == 0x7f;
}

// Builds text in a buffer far larger than any line the import makes.
class Line {
public:
    void clear() { m_size = 0; }
    // A field of the record, without the blanks around it.
    void field(const char* record, int offset, int width) {
        const auto* f = reinterpret_cast<const unsigned char*>(record + offset);
        int from = 0, to = width;
        while (from < to && isBlank(f[from])) ++from;
        while (to > from && isBlank(f[to - 1])) --to;
        for (int i = from; i < to; ++i) m_bytes[m_size++] = isBlank(f[i]) ? ' ' : char(f[i]);
    }
    void text(const char* s, int n) {
        std::memcpy(m_bytes + m_size, s, size_t(n));
        m_size += n;
    }
    void ch(char c) { m_bytes[m_size++] = c; }
    int size() const { return m_size; }
    void lineBreak() { text("\r\n", 2); }
    void lineOf(const Line& other) { text(other.m_bytes, other.m_size); }
    // Stores the text without the blanks around it, cut to `width`, into a
    // blank-filled field.
    void storeInto(char* field, int width) const {
        int from = 0, to = m_size;
        while (from < to && m_bytes[from] == ' ') ++from;
        while (to > from && m_bytes[to - 1] == ' ') --to;
        std::memcpy(field, m_bytes + from, size_t(qMin(to - from, width)));
    }

private:
    char m_bytes[1024];
    int m_size = 0;
};

// One contact as an address entry, into a blank-filled 570-byte record.
void convertRecord(const char* r, char kind, char* out) {
    thread_local Line person, org, address;
    person.clear();
    person.field(r, NameA, 20);
    person.ch(' ');
    person.field(r, NameB, 20);
    org.clear();
    org.field(r, Org, 40);
    const bool organisation = r[Type] == '2' || r[Type] == '4';

    address.clear();
    address.lineOf(organisation ? person : org);
    address.lineBreak();
    address.field(r, Addr1, 40);
    address.lineBreak();
    address.field(r, Addr2, 40);
    address.lineBreak();
    address.field(r, Place1, 20);
    address.ch(' ');
    address.field(r, Place2, 20);
    address.ch(' ');
    address.field(r, Place3, 10);
    Line phone;
    phone.field(r, Phone, 20);
    if (phone.size() > 0) {
        address.text("\r\n\r\nPhone ", 10);
        address.lineOf(phone);
        address.text(" Fax ", 5);
        address.field(r, Fax, 20);
    }

    out[addyrec::Flag] = '1';
    out[addyrec::Kind] = kind;
    std::memset(out + addyrec::Tag, 0, 8);
    (organisation ? org : person).storeInto(out + addyrec::Name, addyrec::NameWidth);
    address.storeInto(out + addyrec::Address, addyrec::AddressWidth);
}

QString nativeName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Turns the busy pointer off while a box asks the user something.
class IdlePrompter : public Prompter {
public:
    IdlePrompter(Prompter& inner, FormModel& form) : m_inner(inner), m_form(form) {}
    MsgButton message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                      const QString& title, const QString& text) override {
        m_form.setBusy(false);
        const MsgButton answer = m_inner.message(icon, buttons, defaultButton, title, text);
        m_form.setBusy(true);
        return answer;
    }

private:
    Prompter& m_inner;
    FormModel& m_form;
};

// The busy pointer while an import runs; the boxes it raises meanwhile go
// through an idle pointer.
class BusyImport {
public:
    BusyImport(AppContext& ctx, FormModel& form)
        : m_ctx(ctx), m_form(form), m_saved(ctx.prompter), m_idle(*ctx.prompter, form) {
        m_ctx.prompter = &m_idle;
        m_form.setBusy(true);
    }
    ~BusyImport() {
        m_form.setBusy(false);
        m_ctx.prompter = m_saved;
    }
    BusyImport(const BusyImport&) = delete;
    BusyImport& operator=(const BusyImport&) = delete;

private:
    AppContext& m_ctx;
    FormModel& m_form;
    Prompter* m_saved;
    IdlePrompter m_idle;
};

}  // namespace

QByteArray convertExport(const QByteArray& file, char kind, ImportCount* count) {
    ImportCount c;
    c.records = file.size() / kLength;
    c.trailing = file.size() - c.records * kLength;
    const char* in = file.constData();
    for (qint64 n = 0; n < c.records; ++n) c.entries += isEntryType(in[n * kLength + Type]);
    c.skipped = c.records - c.entries;
    QByteArray out(c.entries * addyrec::kLength, ' ');
    char* o = out.data();
    for (qint64 n = 0; n < c.records; ++n) {
        const char* r = in + n * kLength;
        if (!isEntryType(r[Type])) continue;
        convertRecord(r, kind, o);
        o += addyrec::kLength;
    }
    if (count) *count = c;
    return out;
}

bool holdsImportRecord(const QByteArray& file) {
    const qint64 whole = file.size() / kLength;
    for (qint64 n = 0; n < whole; ++n) {
        if (isEntryType(file[n * kLength + Type])) return true;
    }
    return false;
}

std::unique_ptr<FormModel> makeAddyForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_AddyForm"),
                                            QStringLiteral("Quillary Name & Address Import"));
    form->addRows(kRows);
    form->setLocked(addy::Text1, true);
    form->setEnabled(addy::ImportAsShipTos, false);
    return form;
}

AddressImport::~AddressImport() = default;

void AddressImport::bind() {
    m_ctx.form->onClick(ctl::mu_ImportQuillary, [this] { mu_ImportQuillary(); });
}

void AddressImport::mu_ImportQuillary() {
    if (!m_ctx.state.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return;
    }
    if (!m_ctx.windows) return;
    m_form = makeAddyForm();
    m_form->onClick(addy::Command1, [this] { Command1_Click(); });
    m_form->onClick(addy::ImportAsShipTos, [this] { ImportAsShipTos_Click(); });
    m_ctx.windows->showModal(*m_form);
    m_form.reset();
    // The lists show the new entries once the window is closed.
    const ListRefills::Command command(m_ctx.lists);
    m_ctx.lists.markStale(ListRefills::Addresses);
    if (m_ctx.hooks.PopAddyLists) m_ctx.hooks.PopAddyLists();
}

void AddressImport::error(const QString& text) {
    m_ctx.prompter->message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok,
                            QLatin1String(kTitle), text);
}

QString AddressImport::ownFileRefusal(const QString& path) const {
    // Through links: a link to the book is the book.
    const QString resolved = QFileInfo(path).canonicalFilePath();
    const QString dataDir = QFileInfo(nativePath(m_ctx.state.DataPath)).canonicalFilePath();
    if (resolved.isEmpty() || dataDir.isEmpty() ||
        QFileInfo(resolved).absolutePath() != dataDir) {
        return {};
    }
    return QStringLiteral("%1 is one of Tallybrook's own data files, not a file Quillary "
                          "exported. Choose the file you exported from Quillary.")
        .arg(nativeName(path));
}

QString AddressImport::readError(const QString& path, const FileError& e) {
    return QStringLiteral("The file %1 could not be read.\n\n%2").arg(nativeName(path), e.reason);
}

QString AddressImport::check(const QString& path) const {
    if (QString own = ownFileRefusal(path); !own.isEmpty()) return own;
    DataFile file(path);
    if (FileError e = file.open(DataFile::Mode::Read); !e.ok()) return readError(path, e);
    // The first contact will do: no need to read a large file whole.
    const qint64 whole = file.size() / kLength;
    QByteArray chunk;
    for (qint64 first = 0; first < whole; first += kChunkRecords) {
        const qint64 count = qMin(kChunkRecords, whole - first);
        if (FileError e = file.readAt(first * kLength, count * kLength, &chunk); !e.ok()) {
            return readError(path, e);
        }
        if (holdsImportRecord(chunk)) return {};
        if (chunk.size() < count * kLength) break;
    }
    return kNotQuillary;
}

bool AddressImport::Command1_Click() {
    if (!m_form || !m_ctx.desktop) return false;
    const QString chosen = m_ctx.desktop->chooseOpenFile(
        m_form->caption(addy::Command1), {kAllFiles, kQuillaryFiles}, kQuillaryFiles);
    if (chosen.isEmpty()) return false;
    if (const QString why = check(chosen); !why.isEmpty()) {
        error(why);
        return false;
    }
    m_form->setText(addy::Text1, nativeName(chosen));
    m_form->setEnabled(addy::ImportAsShipTos, true);
    return true;
}

bool AddressImport::ImportAsShipTos_Click() {
    if (!m_form) return false;
    const QString path = m_form->text(addy::Text1);
    if (path.isEmpty()) return false;
    return importFile(path, 'T');
}

bool AddressImport::importFile(const QString& path, char kind) {
    if (!m_ctx.state.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return false;
    }
    // Its own command: a failure told in an earlier import is told again.
    const ListRefills::Command command(m_ctx.lists);
    const QLocale& locale = m_ctx.formats->locale();
    ImportCount count;
    AddressBook::Added added = AddressBook::Added::Failed;
    qint64 room = 0;
    bool tooMany = false;
    {
        const BusyImport busy(m_ctx, m_form ? *m_form : *m_ctx.form);
        // Checked again: the file may have changed since it was chosen.
        if (const QString own = ownFileRefusal(path); !own.isEmpty()) {
            error(own);
            return false;
        }
        // Read a part at a time: a file too large for the book is refused
        // before it is held whole.
        DataFile file(path);
        FileError e = file.open(DataFile::Mode::Read);
        const qint64 whole = file.size() / kLength;
        count.trailing = file.size() - whole * kLength;
        QByteArray entries, chunk;
        entries.reserve(qMin<qint64>(whole, AddressBook::kMaxEntries) * addyrec::kLength);
        for (qint64 first = 0; e.ok() && first < whole && !tooMany; first += kChunkRecords) {
            const qint64 n = qMin(kChunkRecords, whole - first);
            e = file.readAt(first * kLength, n * kLength, &chunk);
            ImportCount part;
            if (e.ok()) entries += convertExport(chunk, kind, &part);
            count.records += part.records;
            count.entries += part.entries;
            count.skipped += part.skipped;
            tooMany = count.entries > AddressBook::kMaxEntries;
            if (part.trailing > 0 || chunk.size() < n * kLength) break;  // cut short meanwhile
        }
        file.close();
        if (!e.ok()) {
            error(readError(path, e));
            return false;
        }
        if (count.entries > 0 && !tooMany) {
            added = m_book.appendEntries(std::move(entries), &room);
        }
    }
    if (tooMany) {
        error(QStringLiteral("This file holds more than %1 contacts, more than the address "
                             "book can hold. Nothing has been imported.")
                  .arg(locale.toString(AddressBook::kMaxEntries)));
        return false;
    }
    if (count.entries == 0) {
        error(kNotQuillary);
        if (m_form) m_form->setEnabled(addy::ImportAsShipTos, false);
        return false;
    }
    switch (added) {
    case AddressBook::Added::Failed:
        return false;
    case AddressBook::Added::Full:
        m_ctx.prompter->message(
            MsgIcon::Information, MsgButton::Ok, MsgButton::Ok,
            QStringLiteral("Address Book Full"),
            QStringLiteral("The address book has room for %1 more entries, as it can hold %2 "
                           "in all; this file holds %3 contacts. Nothing has been imported.")
                .arg(locale.toString(room), locale.toString(AddressBook::kMaxEntries),
                     locale.toString(count.entries)));
        return false;
    case AddressBook::Added::NoTag:
        error(QStringLiteral("The address book holds an entry number too large to count on "
                             "from. Nothing has been imported."));
        return false;
    case AddressBook::Added::Written:
        break;
    }
    QString text = QStringLiteral("Finished!\n\nEntries added: %1. Records skipped: %2.")
                       .arg(locale.toString(count.entries), locale.toString(count.skipped));
    if (count.trailing > 0) {
        text += QStringLiteral("\n\nThe file ends in %1 bytes that are not a whole record; "
                               "they were not read.")
                    .arg(locale.toString(count.trailing));
    }
    m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok,
                            QStringLiteral("Import Complete"), text);
    return true;
}
