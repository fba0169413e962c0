#include "addresses/AddressBook.h"
#include "forms/ControlNames.h"

#include <QtEndian>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "addresses/AddressRecord.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "records/Messages.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

struct BlockInfo {
    const char* kind;
    QString combo, field, counter, save, del, title;
};

const BlockInfo kBlocks[] = {
    {"V", ctl::ToCombo, ctl::ToField, ctl::VendAddyCounter, ctl::ChangedVendor, ctl::DeleteVendor,
     QStringLiteral("Sold To")},
    {"T", ctl::ShipToCombo, ctl::ShipToField, ctl::ToAddyCounter, ctl::ChangedDest, ctl::DeleteDest,
     QStringLiteral("Ship To")},
};

const BlockInfo& info(AddressBook::Block b) {
    return kBlocks[static_cast<int>(b)];
}

constexpr AddressBook::Block kBothBlocks[] = {AddressBook::Block::SoldTo,
                                              AddressBook::Block::ShipTo};

const QString kTitle = QStringLiteral("Address Book");
const QString kShipToSame = ctl::ShipToSame;
// Tags are whole numbers a double holds exactly.
constexpr double kMaxTag = 9007199254740992.0;
// Records read at a time: about 1 MB, so a full book is never held whole
// just to list its names.
constexpr qint64 kChunkRecords = 1840;

// Runs `each` on every whole record of the file in order, reading about
// 1 MB at a time; `each` returns false to stop.
template <typename Each>
FileError forEachRecord(const DataFile& file, Each each) {
    const qint64 whole = file.size() / addyrec::kLength;
    QByteArray chunk;
    for (qint64 first = 0; first < whole; first += kChunkRecords) {
        const qint64 count = qMin(kChunkRecords, whole - first);
        if (FileError e = file.readAt(first * addyrec::kLength, count * addyrec::kLength, &chunk);
            !e.ok()) {
            return e;
        }
        const qint64 got = chunk.size() / addyrec::kLength;
        for (qint64 i = 0; i < got; ++i) {
            if (!each(first + i, chunk.constData() + i * addyrec::kLength)) return {};
        }
        if (got < count) break;  // cut short while we read
    }
    return {};
}

double tagAt(const char* record) {
    const quint64 bits = qFromLittleEndian<quint64>(record + addyrec::Tag);
    double tag = 0;
    std::memcpy(&tag, &bits, sizeof tag);
    return tag;
}

// One more than the highest tag seen, so that a tag is never reused;
// nothing when no higher whole number fits a double.
struct NextTag {
    double highest = 0;
    void see(const char* record) {
        const double tag = tagAt(record);
        if (std::isfinite(tag) && tag > highest) highest = tag;
    }
    std::optional<double> next() const {
        if (highest + 1 >= kMaxTag) return std::nullopt;
        return std::floor(highest) + 1;
    }
};

FileError nextTagIn(const DataFile& file, std::optional<double>* next) {
    next->reset();
    NextTag tags;
    FileError e = forEachRecord(file, [&tags](qint64, const char* record) {
        tags.see(record);
        return true;
    });
    if (e.ok()) *next = tags.next();
    return e;
}

}  // namespace

QString AddressBook::path() const {
    return m_ctx.state.DataPath + QLatin1String(kFileName);
}

bool AddressBook::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

void AddressBook::tell(const QString& title, const QString& text) {
    m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, title, text);
}

void AddressBook::bind() {
    FormModel& f = *m_ctx.form;
    AppState& s = m_ctx.state;
    m_ctx.hooks.PopAddyLists = [this] { PopAddyLists(); };
    m_ctx.lists.onCommandEnd([this] { forgetBook(); });
    f.onClick(ctl::ToCombo, [this] { ToCombo_Click(); });
    f.onClick(ctl::ShipToCombo, [this] { ShipToCombo_Click(); });
    f.onClick(ctl::ChangedVendor, [this] { ChangedVendor(); });
    f.onClick(ctl::ChangedDest, [this] { ChangedDest(); });
    f.onClick(ctl::DeleteVendor, [this] { DeleteVendor(); });
    f.onClick(ctl::DeleteDest, [this] { DeleteDest(); });
    f.onClick(kShipToSame, [this] { ShipToSame_Click(); });
    f.on(ctl::ToCombo, FormModel::Event::EditDelete, [this] { DeleteVendor(); });
    f.on(ctl::ShipToCombo, FormModel::Event::EditDelete, [this] { DeleteDest(); });

    f.onChange(ctl::ToCombo, [&f, &s] {
        f.setEnabled(ctl::ChangedVendor, true);
        f.setEnabled(kShipToSame, true);
        s.HistoryText = f.text(ctl::ToCombo);
    });
    f.onChange(ctl::ShipToCombo, [&f] { f.setEnabled(ctl::ChangedDest, true); });
    for (Block b : kBothBlocks) {
        const BlockInfo& i = info(b);
        f.onChange(i.field, [&f, &i] {
            f.setEnabled(i.del, true);
            f.setEnabled(i.save, true);
        });
        // The address boxes share the history lists' idea of the field in use.
        f.on(i.combo, FormModel::Event::GotFocus, [&f, &s, &i] {
            s.HistoryFileName = i.combo;
            s.HistoryText = f.text(i.combo);
        });
    }
    f.on(ctl::ToCombo, FormModel::Event::DropDown, [&f] { f.setEnabled(kShipToSame, true); });
}

void AddressBook::PopAddyLists() {
    if (!m_ctx.state.DataAccessOK) return;
    refill(std::nullopt);
}

void AddressBook::refill(std::optional<Block> fresh) {
    // The names are read once for the list and for choosing them again.
    const ListRefills::Command command(m_ctx.lists);
    FormModel& f = *m_ctx.form;
    struct Shown {
        QString name, lines;
        bool save = false, del = false, keep = false;
    } shown[2];
    for (Block b : kBothBlocks) {
        const BlockInfo& i = info(b);
        Shown& s = shown[static_cast<int>(b)];
        s.name = trimBlanks(f.text(i.combo));
        s.lines = f.text(i.field);
        s.save = f.isEnabled(i.save);
        s.del = f.isEnabled(i.del);
    }

    QStringList names;
    const FileStamp stamp = FileStamp::of(path());
    if (m_knownNames) {
        names = *m_knownNames;
    } else if (stamp.unchangedFrom(m_namesStamp)) {
        names = m_names;  // the entries shown are looked up when chosen
    } else {
        // The lists and blocks stay as they are when the book cannot be read.
        if (!readBook({shown[0].name, shown[1].name}, &names)) return;
        m_names = names;
        m_namesStamp = stamp;
    }

    f.setItems(info(Block::SoldTo).combo, names);
    f.setItems(info(Block::ShipTo).combo, names);
    f.setText(info(Block::SoldTo).field, QString());
    f.setText(info(Block::ShipTo).field, QString());
    for (Block b : kBothBlocks) {
        const BlockInfo& i = info(b);
        Shown& s = shown[static_cast<int>(b)];
        if (s.name.isEmpty()) continue;
        // Unsaved work is kept: choosing the name again would replace the
        // lines typed with the book's, or empty them.
        s.keep = b != fresh && (s.save || (!s.lines.isEmpty() && !names.contains(s.name)));
        f.setText(i.combo, s.name);
        if (s.keep) {
            f.setText(i.field, s.lines);
        } else {
            chooseName(b);
        }
    }
    for (Block b : kBothBlocks) {
        const BlockInfo& i = info(b);
        const Shown& s = shown[static_cast<int>(b)];
        f.setEnabled(i.del, s.keep && s.del);
        f.setEnabled(i.save, s.keep && s.save);
    }
}

QStringList AddressBook::namesShown() const {
    return {trimBlanks(m_ctx.form->text(info(Block::SoldTo).combo)),
            trimBlanks(m_ctx.form->text(info(Block::ShipTo).combo))};
}

FileError AddressBook::scanBook(const DataFile& file, const QStringList& wanted, QStringList* names,
                                Found* found,
                                const std::function<void(qint64, const char*)>& also) {
    found->entries.clear();
    found->at.clear();
    if (names) names->clear();
    std::vector<std::pair<QString, NameMatcher>> pending;
    for (const QString& name : wanted) {
        if (found->entries.contains(name)) continue;
        found->entries.insert(name, std::nullopt);
        pending.emplace_back(name, NameMatcher(name, Qt::CaseSensitive));
    }
    if (names) names->reserve(qMin<qint64>(kMaxEntries, file.size() / addyrec::kLength));
    return forEachRecord(file, [&](qint64 n, const char* record) {
        if (also) also(n, record);
        if (names && names->size() < kMaxEntries) names->append(AddressEntry::nameAt(record));
        for (auto it = pending.begin(); it != pending.end();) {
            AddressEntry entry;
            if (it->second.matches(record) &&
                AddressEntry::decode(record, addyrec::kLength, &entry)) {
                found->entries[it->first] = entry;
                found->at[it->first] = n;
                it = pending.erase(it);
            } else {
                ++it;
            }
        }
        return also || !pending.empty() || (names && names->size() < kMaxEntries);
    });
}

bool AddressBook::readBook(const QStringList& wanted, QStringList* names) {
    return RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::ReadOrCreate); !e.ok()) return e;
        Found found;
        const FileError e = scanBook(file, wanted, names, &found, {});
        // A name not met was looked for through the whole book.
        if (e.ok()) m_found.insert(found.entries);
        return e;
    });
}

void AddressBook::forgetBook() {
    m_found.clear();
    m_knownNames.reset();
}

bool AddressBook::lookUp(const QString& name, AddressEntry* out) {
    if (!m_found.contains(name) && !readBook(QStringList{name} + namesShown(), nullptr)) {
        return false;
    }
    const std::optional<AddressEntry> entry = m_found.value(name);
    if (entry) *out = *entry;
    return entry.has_value();
}

void AddressBook::showTag(Block block, double tag) {
    m_tags[static_cast<int>(block)] = tag;
    m_ctx.form->setCaption(info(block).counter, tagText(tag));
}

void AddressBook::chooseName(Block block) {
    const ListRefills::Command command(m_ctx.lists);
    const BlockInfo& i = info(block);
    FormModel& f = *m_ctx.form;
    AppState& s = m_ctx.state;
    f.setText(i.field, QString());
    AddressEntry entry;
    if (s.DataAccessOK && lookUp(trimBlanks(f.text(i.combo)), &entry)) {
        f.setText(i.field, entry.address);
        showTag(block, entry.tag);
    }
    // The session keeps whether the document is changed.
    if (m_ctx.hooks.Edited) m_ctx.hooks.Edited();
    f.setEnabled(i.del, true);
    f.setEnabled(i.save, false);
    if (block == Block::SoldTo && m_ctx.hooks.PopStockList) m_ctx.hooks.PopStockList();
    s.HistoryText = f.text(i.combo);
}

std::optional<double> AddressBook::GetNextAddyTag() {
    std::optional<double> next;
    RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        next.reset();
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::ReadOrCreate); !e.ok()) return e;
        return nextTagIn(file, &next);
    });
    return next;
}

bool AddressBook::SaveNewAddy(Block block) {
    return save(block, Write::Append);
}

bool AddressBook::SaveChangedAddy(Block block) {
    return save(block, Write::Rewrite);
}

bool AddressBook::save(Block block, Write how) {
    const BlockInfo& i = info(block);
    FormModel& f = *m_ctx.form;
    const QString typed = trimBlanks(f.text(i.combo));
    if (typed.isEmpty()) {
        tell(kTitle, QStringLiteral("Please type a name in the %1 box before saving its address. "
                                    "Nothing has been saved in the address book.")
                         .arg(i.title));
        return false;
    }
    // Asked before anything is written, as for a document.
    QStringList unstorable;
    for (const auto& [what, text] : {std::pair{QStringLiteral("name"), typed},
                                     std::pair{QStringLiteral("address"), f.text(i.field)}}) {
        const QString chars = cp1252::notHeld(text);
        if (!chars.isEmpty()) unstorable << QStringLiteral("%1 %2: %3").arg(i.title, what, chars);
    }
    if (!unstorable.isEmpty() &&
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Yes | MsgButton::No, MsgButton::No, kTitle,
            QStringLiteral("These fields hold characters the address book cannot store:\n\n%1"
                           "\n\nChoose Yes to save the address with \"?\" in their place, or "
                           "No to go back and change them. Nothing has been saved yet.")
                .arg(unstorable.join(u'\n'))) != MsgButton::Yes) {
        return false;
    }
    AddressEntry entry;
    entry.kind = QLatin1String(i.kind);
    entry.name = storedText(typed, addyrec::NameWidth);
    entry.address = trimBlanks(f.text(i.field));
    if (!cp1252::notHeld(entry.address).isEmpty()) {
        entry.address = cp1252::decode(cp1252::encode(entry.address));
        f.setText(i.field, entry.address);
    }
    const bool addressCut = cp1252::encode(entry.address).size() > addyrec::AddressWidth;

    enum class Outcome { Written, Full, NoTag } outcome = Outcome::Written;
    bool tailMoved = false;
    // The one pass that finds the entry and the next tag also gathers what
    // the lists show afterwards, so that they need no second read.
    QStringList names;
    Found found;
    qint64 match = -1, at = -1;
    QString oldName;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        outcome = Outcome::Written;
        match = -1;
        // Held alone from reading to writing: two copies never give out the
        // same tag or rewrite the same entry at once.
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        const NameMatcher named(entry.name, Qt::CaseInsensitive);
        NextTag tags;
        // Outside a command the refill reads the book itself.
        const bool gather = m_ctx.lists.inCommand();
        const FileError e =
            scanBook(file, gather ? namesShown() << entry.name : QStringList(),
                     gather ? &names : nullptr, &found, [&](qint64 n, const char* record) {
                         if (how == Write::Rewrite && match < 0 && named.matches(record)) {
                             match = n;
                             entry.tag = tagAt(record);
                             oldName = AddressEntry::nameAt(record);
                         }
                         tags.see(record);
                     });
        if (!e.ok()) return e;
        if (match >= 0) {
            at = match;
            return file.writeAt(match * addyrec::kLength, entry.encode());
        }
        at = file.size() / addyrec::kLength;
        if (at >= kMaxEntries) {
            outcome = Outcome::Full;
            return {};
        }
        const std::optional<double> tag = tags.next();
        if (!tag) {
            outcome = Outcome::NoTag;
            return {};
        }
        entry.tag = *tag;
        bool moved = false;
        const FileError written = appendRecordTo(file, entry.encode(), &moved);
        tailMoved = tailMoved || moved;
        return written;
    });
    forgetBook();
    if (ok && outcome == Outcome::Written && m_ctx.lists.inCommand()) {
        // The book as this copy left it, for the rest of the command.
        if (match < 0 && names.size() < kMaxEntries) names.append(entry.name);
        if (match >= 0 && match < names.size()) names[match] = entry.name;
        // A renamed entry may have been the first of its old name.
        if (match >= 0 && oldName != entry.name && found.at.value(oldName, -1) == match)
            found.entries.remove(oldName);
        // As read back: a long address is stored cut.
        AddressEntry stored;
        if (!AddressEntry::decode(entry.encode().constData(), addyrec::kLength, &stored)) {
            found.entries.remove(entry.name);
        } else if (!found.entries.value(entry.name) || found.at.value(entry.name) >= at) {
            found.entries[entry.name] = stored;
        }
        m_found = found.entries;
        m_knownNames = names;
    }
    if (tailMoved) showCutTail(*m_ctx.prompter, path());
    if (!ok) return false;
    if (outcome == Outcome::Full) {
        tell(kTitle, QStringLiteral("The address book already holds %1 entries, as many as it "
                                    "can. \"%2\" has not been saved.")
                         .arg(m_ctx.formats->locale().toString(kMaxEntries), typed));
        return false;
    }
    if (outcome == Outcome::NoTag) {
        tell(kTitle, QStringLiteral("The address book holds an entry number too large to count "
                                    "on from. \"%1\" has not been saved.")
                         .arg(typed));
        return false;
    }
    QStringList notes;
    // The "?" were agreed to above; only a cut is news.
    if (entry.name != cp1252::decode(cp1252::encode(typed))) {
        notes << QStringLiteral(
                     "The name has been saved as \"%1\": a name holds at most %2 "
                     "characters.")
                     .arg(entry.name)
                     .arg(addyrec::NameWidth);
    }
    if (addressCut) {
        notes << QStringLiteral(
                     "The address is longer than %1 characters; only its first %1 "
                     "characters have been saved.")
                     .arg(addyrec::AddressWidth);
    }
    if (!notes.isEmpty()) {
        tell(kTitle, QStringLiteral("The %1 address \"%2\" has been saved in the address book.\n\n")
                             .arg(i.title, entry.name) +
                         notes.join(QStringLiteral("\n\n")));
    }
    showTag(block, entry.tag);
    // The name as stored, so that choosing it again finds the entry.
    f.setText(i.combo, entry.name);
    refill(block);
    return true;
}

AddressBook::Added AddressBook::appendEntries(QByteArray records, qint64* room) {
    using addyrec::kLength;
    const qint64 count = records.size() / kLength;
    if (room) *room = 0;
    if (count == 0) return Added::Written;
    Added outcome = Added::Written;
    bool tailMoved = false;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        outcome = Added::Written;
        // Held alone from the count and the tags to the last byte written.
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        const qint64 whole = file.size() / kLength;
        if (whole + count > kMaxEntries) {
            if (room) *room = qMax<qint64>(0, kMaxEntries - whole);
            outcome = Added::Full;
            return {};
        }
        std::optional<double> next;
        if (FileError e = nextTagIn(file, &next); !e.ok()) return e;
        if (!next || *next + double(count) >= kMaxTag) {
            outcome = Added::NoTag;
            return {};
        }
        char* bytes = records.data();
        for (qint64 n = 0; n < count; ++n) {
            qToLittleEndian(std::bit_cast<quint64>(*next + double(n)),
                            bytes + n * kLength + addyrec::Tag);
        }
        // The first record goes as a single save's does, which moves the
        // cut-short end of an interrupted write aside.
        const auto untouched = [](FileError e) {
            if (!e.heldByOther()) {
                e.reason += QStringLiteral(
                    "\n\nThe address book has been left as it was: "
                    "none of the entries has been added.");
            }
            return e;
        };
        bool moved = false;
        FileError e = appendRecordTo(file, records.left(kLength), &moved);
        tailMoved = tailMoved || moved;
        if (!e.ok()) return untouched(e);  // cut back by the append itself
        const qint64 oldLength = file.size() - kLength;
        for (qint64 first = 1; first < count && e.ok(); first += kChunkRecords) {
            const qint64 n = qMin(kChunkRecords, count - first);
            e = file.writeAt(oldLength + first * kLength,
                             QByteArray::fromRawData(bytes + first * kLength, n * kLength));
        }
        if (e.ok()) return e;
        // Some of the entries would be an import no one can tell from a whole one.
        const FileError cut = file.truncate(oldLength);
        if (cut.ok()) return untouched(e);
        // Not to be tried again: a second try would add the first entries twice.
        e.kind = FileError::Kind::Other;
        e.reason += QStringLiteral(
                        "\n\nThe entries written before the failure could not be "
                        "taken out again (%1), so the address book holds part of "
                        "the import.")
                        .arg(cut.reason);
        return e;
    });
    forgetBook();
    if (tailMoved) showCutTail(*m_ctx.prompter, path());
    if (!ok) return Added::Failed;
    if (outcome == Added::Written) m_ctx.lists.markStale(ListRefills::Addresses);
    return outcome;
}

void AddressBook::saveCommand(Block block) {
    if (!accessOk()) return;
    // The save's read of the book serves the refill after it.
    const ListRefills::Command command(m_ctx.lists);
    const BlockInfo& i = info(block);
    // A block that was not saved keeps its buttons, to be saved again.
    if (!SaveChangedAddy(block)) return;
    m_ctx.form->setEnabled(i.del, false);
    m_ctx.form->setEnabled(i.save, false);
}

void AddressBook::deleteCommand(Block block) {
    if (!accessOk()) return;
    const BlockInfo& i = info(block);
    FormModel& f = *m_ctx.form;
    const QString name = trimBlanks(f.text(i.combo));
    if (name.isEmpty()) {
        tell(QStringLiteral("Nothing to do!"),
             QStringLiteral("Please select an address to delete."));
        return;
    }
    const NameMatcher matcher(name, Qt::CaseSensitive);
    const auto named = [&matcher](const char* record) { return matcher.matches(record); };
    int count = 0;
    if (!RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
            count = 0;
            DataFile file(path());
            if (FileError e = file.open(DataFile::Mode::ReadOrCreate); !e.ok()) return e;
            return forEachRecord(file, [&](qint64, const char* record) {
                count += named(record) ? 1 : 0;
                return true;
            });
        })) {
        return;
    }
    if (count == 0) {
        tell(kTitle, QStringLiteral("\"%1\" is not in the address book. Nothing has been deleted.")
                         .arg(name));
        return;
    }
    const QString what = count == 1 ? QStringLiteral("Its entry")
                                    : QStringLiteral("All %1 entries of that name").arg(count);
    if (m_ctx.prompter->message(
            MsgIcon::Question, MsgButton::Yes | MsgButton::No, MsgButton::No,
            QStringLiteral("Delete Address"),
            QStringLiteral("Delete \"%1\" from the address book?\n\n%2 will be removed. This "
                           "cannot be undone.")
                .arg(name, what)) != MsgButton::Yes) {
        return;
    }
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        // Held alone from reading to replacing: an entry another copy adds
        // meanwhile waits for us and then goes into the new book.
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const qsizetype whole = bytes.size() / addyrec::kLength;
        QByteArray kept;
        kept.reserve(bytes.size());
        for (qsizetype n = 0; n < whole; ++n) {
            const char* record = bytes.constData() + n * addyrec::kLength;
            if (!named(record)) kept.append(record, addyrec::kLength);
        }
        if (kept.size() == whole * addyrec::kLength) return {};  // gone meanwhile
        // The end of a cut record is kept as it was: it is not ours to drop.
        kept.append(bytes.constData() + whole * addyrec::kLength,
                    bytes.size() - whole * addyrec::kLength);
        FileError e = file.replaceContents(kept);
        if (!e.ok() && !e.heldByOther()) {
            e.reason += QStringLiteral("\n\nThe address book has not been changed.");
        }
        return e;
    });
    forgetBook();
    if (!ok) return;
    refill(block);
    f.setText(i.combo, QString());
    f.setEnabled(i.del, false);
    f.setEnabled(i.save, false);
}

void AddressBook::ShipToSame_Click() {
    FormModel& f = *m_ctx.form;
    const QString name = trimBlanks(f.text(ctl::ToCombo));
    if (name.isEmpty()) return;
    f.setText(ctl::ShipToCombo, name);
    f.setText(ctl::ShipToField, trimBlanks(f.text(ctl::ToField)));
    f.setEnabled(ctl::ChangedDest, false);
    f.setEnabled(kShipToSame, false);
}
