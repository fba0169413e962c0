#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "addresses/AddressRecord.h"
#include "shell/ListRefills.h"

struct AppContext;
class DataFile;
struct FileError;

// The address book: the file "ovo_addy.dat", the Sold To and Ship To
// blocks of the main window with their lists, and the commands that choose,
// save, delete and copy their entries.
class AddressBook {
public:
    static constexpr const char* kFileName = "ovo_addy.dat";
    static constexpr int kMaxEntries = 32767;

    // The two blocks: kind "V" is Sold To, kind "T" is Ship To.
    enum class Block { SoldTo, ShipTo };

    explicit AddressBook(AppContext& ctx) : m_ctx(ctx) {}

    // Registers the handlers of the blocks' controls, the PopAddyLists hook
    // and the end of a command, which forgets the entries looked up in it.
    void bind();

    QString path() const;

    // Refills both lists from the file and chooses the names shown again.
    // A block with unsaved work (its Save button on, or lines for a name
    // the book does not hold) keeps its name, lines and buttons.
    void PopAddyLists();
    // One more than the highest tag in the file; nothing when it could not
    // be read.
    std::optional<double> GetNextAddyTag();
    // Each returns true when the block was written to the book.
    bool SaveNewAddy(Block block);
    bool SaveChangedAddy(Block block);

    // How adding many entries at once ended.
    enum class Added { Written, Full, NoTag, Failed };
    // Adds whole 570-byte records at the end of the book in one go, under
    // its lock with the retry, tagged on from the highest tag in ascending
    // order. A failure part-way cuts the book back to its old length (the
    // user has been told why). A book without room for all of them gets
    // none, and `room` says how many would fit.
    Added appendEntries(QByteArray records, qint64* room = nullptr);

    void ChangedVendor() { saveCommand(Block::SoldTo); }
    void ChangedDest() { saveCommand(Block::ShipTo); }
    void DeleteVendor() { deleteCommand(Block::SoldTo); }
    void DeleteDest() { deleteCommand(Block::ShipTo); }

    // Choosing a name from a list.
    void ToCombo_Click() { chooseName(Block::SoldTo); }
    void ShipToCombo_Click() { chooseName(Block::ShipTo); }
    void ShipToSame_Click();

private:
    enum class Write { Rewrite, Append };

    bool accessOk();
    void tell(const QString& title, const QString& text);
    void chooseName(Block block);
    void saveCommand(Block block);
    void deleteCommand(Block block);
    bool save(Block block, Write how);
    // Refills the lists; `fresh` is a block just saved or deleted, which is
    // chosen again from the book whatever it showed.
    void refill(std::optional<Block> fresh);
    // The first entry named exactly `name` (file order). The book is read
    // at most once a command for the names the blocks show.
    bool lookUp(const QString& name, AddressEntry* out);
    // Reads the book once, block by block: its names into `names` (when
    // given; at most kMaxEntries) and the first entry of each name in
    // `wanted`, remembered until the command ends. False when it could not
    // be read (the user has been told).
    bool readBook(const QStringList& wanted, QStringList* names);
    // The first entry of each wanted name and its record number.
    struct Found {
        QHash<QString, std::optional<AddressEntry>> entries;
        QHash<QString, qint64> at;
    };
    // One pass over an open book for readBook(); `also` sees every record
    // (and the pass then reads the whole book).
    FileError scanBook(const DataFile& file, const QStringList& wanted, QStringList* names,
                       Found* found, const std::function<void(qint64, const char*)>& also);
    // After this copy wrote the book or a command ended.
    void forgetBook();
    QStringList namesShown() const;
    void showTag(Block block, double tag);

    AppContext& m_ctx;
    // The tag of the entry each block shows; its counter label shows it.
    std::array<double, 2> m_tags{};
    // Entries looked up in the running command, by name; nothing: the name
    // is not in the book. Opening a document fills both blocks from one read.
    QHash<QString, std::optional<AddressEntry>> m_found;
    // The names of the last refill and the file they were read from: an
    // unchanged book gives both lists the same names without a read.
    QStringList m_names;
    FileStamp m_namesStamp;
    // The names as this copy's save left them, for the rest of the command.
    std::optional<QStringList> m_knownNames;
};
