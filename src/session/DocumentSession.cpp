#include "session/DocumentSession.h"

#include <QFileInfo>
#include <cerrno>

#include "base/Clock.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "document/IndexFile.h"
#include "document/Totals.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "records/DataFile.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "session/DocumentMapper.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kTitleSave = QStringLiteral("Save?");
const QString kTitleConfirm = QStringLiteral("Confirm");
const QString kTitleOpen = QStringLiteral("Open Document");
const QString kTitleElsewhere = QStringLiteral("Saved Elsewhere");

QString taxFactorDefault(const QString& configured, const Formats& formats) {
    const QString text = trimBlanks(configured);
    return formats.toNumber(CleanNumber(text)).value_or(0.0) == 0 ? QString() : text;
}

}  // namespace

DocumentSession::Buttons DocumentSession::buttonsFor(State state) {
    switch (state) {
        case State::Unnumbered:
            return {false, false, false};
        case State::UnnumberedChanged:
            return {true, false, true};
        case State::Saved:
            return {false, true, false};
        case State::Changed:
            return {true, true, true};
    }
    return {false, false, false};
}

DocumentSession::DocumentSession(AppContext& ctx, DocumentMapper& mapper, Totals& totals,
                                 IndexFile& index)
    : m_ctx(ctx), m_mapper(mapper), m_totals(totals), m_index(index) {}

void DocumentSession::bind() {
    m_mapper.bindChangeRule([this] { applyChangeRule(); },
                            [this](const QString& text) { m_ctx.state.HistoryText = text; });
    m_ctx.hooks.Edited = [this] { markEdited(); };
    m_ctx.hooks.ClearDocument = [this] { Clear(); };
}

void DocumentSession::setStartState() {
    SalesDocument start;
    m_mapper.writeAll(start);
    m_folder.clear();
    setChanged(false);
}

void DocumentSession::startFields() {
    SalesDocument doc = m_mapper.read();
    for (QString SalesDocument::*field :
         {&SalesDocument::jobNumber, &SalesDocument::shipDate, &SalesDocument::terms,
          &SalesDocument::shipVia, &SalesDocument::fob, &SalesDocument::by,
          &SalesDocument::comments, &SalesDocument::shipToLines, &SalesDocument::soldToLines}) {
        (doc.*field).clear();
    }
    doc.items.clear();
    doc.orderDate = m_ctx.formats->shortDate(m_ctx.clock->today());
    m_mapper.write(doc);
}

DocumentSession::State DocumentSession::state() const {
    if (m_mapper.number() == kPending) {
        return m_changed ? State::UnnumberedChanged : State::Unnumbered;
    }
    return m_changed ? State::Changed : State::Saved;
}

void DocumentSession::setChanged(bool changed) {
    m_changed = changed;
    const Buttons b = buttonsFor(state());
    m_mapper.showButtons(b.saveChanges, b.saveAsNew);
    m_ctx.state.Dirty = b.dirty;
}

void DocumentSession::markEdited() {
    setChanged(true);
}

void DocumentSession::applyChangeRule() {
    if (m_mapper.number() == kPending) return;
    setChanged(true);
}

void DocumentSession::setFolder(const QString& folder) {
    m_folder = folder;
    m_mapper.showFolder(folder);
}

bool DocumentSession::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

bool DocumentSession::ask(const QString& title, const QString& text) {
    return m_ctx.prompter->message(MsgIcon::Question, MsgButton::Yes | MsgButton::No,
                                   MsgButton::Yes, title, text) == MsgButton::Yes;
}

std::optional<QString> DocumentSession::pagePath() const {
    return ::pagePath(m_ctx.state.DataPath, m_folder, m_mapper.number());
}

QString DocumentSession::scratchPath() const {
    // One of this copy's own: another copy's view in between would otherwise
    // put its document into this copy's mail.
    return m_ctx.state.DataPath + QLatin1String(kScratchPrefix) + copyTag() +
           QStringLiteral(".htm");
}

SalesDocument DocumentSession::blank() const {
    SalesDocument doc;
    doc.kind = m_mapper.kind();
    doc.number = m_mapper.number();
    const ConfigRecord& cfg = m_ctx.state.ConfigRec;
    doc.taxFactor = taxFactorDefault(cfg.taxFactor1, *m_ctx.formats);
    doc.otherTaxFactor = taxFactorDefault(cfg.taxFactor2, *m_ctx.formats);
    doc.orderDate = m_ctx.formats->shortDate(m_ctx.clock->today());
    return doc;
}

SalesDocument DocumentSession::current() {
    SalesDocument doc = m_mapper.read();
    if (doc.hasPayments(*m_ctx.formats)) {
        // The page lists the payments as the file has them now.
        if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
        doc = m_mapper.read();
    }
    doc.subFolder = m_folder;
    return doc;
}

bool DocumentSession::SavePrompt() {
    if (!m_ctx.state.Dirty) return true;
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Question, MsgButton::Yes | MsgButton::No | MsgButton::Cancel, MsgButton::Yes,
        kTitleSave,
        QStringLiteral("Save changes to Tallybrook Number ") + m_mapper.number() +
            QStringLiteral(" ?"));
    if (answer == MsgButton::Cancel) return false;
    if (answer == MsgButton::No) return true;
    // Going on after a save that did not happen would lose the changes.
    return SaveChanges();
}

bool DocumentSession::writePage(const QString& path, const SalesDocument& doc,
                                IndexUpdate* record) {
    // Built whole before the file is touched, so a retry writes the same page.
    const QByteArray bytes = ::writePage(doc, m_ctx.state.ConfigRec, *m_ctx.formats);
    const bool known = path == m_known.path && m_known.bytes;
    if (!known && !record) {
        const bool written = RecordLockRetry(
            *m_ctx.prompter, m_ctx.retry, [&]() -> FileError { return replaceFile(path, bytes); });
        if (written && path == m_known.path) m_known.bytes = bytes;
        return written;
    }
    // A page this copy knows is written only while it is as this copy last
    // saw it, checked and written under the index lock; another copy that
    // saved or deleted it since is asked about first. Its record is
    // written in the same hold.
    m_saveUnlisted = false;
    for (;;) {
        bool changed = false;
        const auto work = [&](const QByteArray& index, bool* wrote) -> FileError {
            if (known) {
                QByteArray now;
                const FileError read = readWholeFile(path, &now);
                if (!read.ok() && read.code != ENOENT) return read;
                const bool unlisted =
                    !read.ok() ||
                    !IndexFile::hasLiveRecord(index, trimBlanks(m_mapper.number()), m_folder);
                changed = unlisted ? !m_saveUnlisted : now != *m_known.bytes;
                if (changed) return {};
            }
            const FileError e = replaceFile(path, bytes);
            *wrote = e.ok();
            return e;
        };
        if (!m_index.whileLocked(work, record)) return false;
        if (!changed) {
            if (path == m_known.path) m_known.bytes = bytes;
            return true;
        }
        if (!resolveSavedElsewhere()) {
            m_declined = true;
            return false;
        }
    }
}

DocumentSession::Overwrite DocumentSession::checkSavedElsewhere() {
    const std::optional<QString> path = pagePath();
    // A page this copy has not read or written is written as before.
    if (!path || *path != m_known.path || !m_known.bytes) return Overwrite::Write;
    const QString number = trimBlanks(m_mapper.number());
    for (;;) {
        QByteArray now;
        const FileError read = readWholeFile(*path, &now);
        const bool gone = read.code == ENOENT;
        if (!read.ok() && !gone) return Overwrite::Write;  // the write will say why
        bool listed = true;
        if (const std::optional<QByteArray> index = m_index.readAll()) {
            listed = IndexFile::hasLiveRecord(*index, number, m_folder);
        }
        if (!gone && listed && now == *m_known.bytes) return Overwrite::Write;
        const bool deleted = gone || !listed;
        const MsgButton answer =
            deleted ? m_ctx.prompter->message(
                          MsgIcon::Warning, MsgButton::Yes | MsgButton::Cancel, MsgButton::Cancel,
                          kTitleElsewhere,
                          QStringLiteral("Tallybrook Number %1 has been deleted by another copy of "
                                         "Tallybrook since you opened it here.\n\nYes saves the "
                                         "document on your screen, and it is listed again.\n"
                                         "Cancel saves nothing.")
                              .arg(number))
                    : m_ctx.prompter->message(
                          MsgIcon::Warning, MsgButton::Yes | MsgButton::No | MsgButton::Cancel,
                          MsgButton::Cancel, kTitleElsewhere,
                          QStringLiteral("Tallybrook Number %1 has been saved by another copy of "
                                         "Tallybrook since you opened it here.\n\nYes saves the "
                                         "document on your screen over it: the other copy's "
                                         "changes are lost.\nNo opens the saved document in "
                                         "place of yours: your changes are lost.\nCancel saves "
                                         "nothing, so you can compare first.")
                              .arg(number));
        if (answer == MsgButton::No) return Overwrite::Reload;
        if (answer != MsgButton::Yes) return Overwrite::Cancel;
        // Agreed to replace what is there now; anything newer is asked about again.
        if (deleted) {
            m_saveUnlisted = true;
            return Overwrite::Write;
        }
        m_known.bytes = now;
        m_index.endCommand();
    }
}

bool DocumentSession::resolveSavedElsewhere() {
    switch (checkSavedElsewhere()) {
        case Overwrite::Write:
            return true;
        case Overwrite::Reload:
            load(trimBlanks(m_mapper.number()), m_folder);
            return false;
        case Overwrite::Cancel:
            break;
    }
    return false;
}

bool DocumentSession::writeSavedPage() {
    return writeSavedPage(current());
}

bool DocumentSession::writeSavedPage(const SalesDocument& doc, IndexUpdate* record) {
    const std::optional<QString> path = pagePath();
    if (path && *path != m_known.path) m_known = {*path, {}};
    m_declined = false;
    if (!path || !writePage(*path, doc, record)) {
        // Declined: the document on screen is as the user chose to keep it.
        if (m_declined) return false;
        // The page is not on disk: the document stays changed, so that a
        // later save or the closing prompt tries again.
        setChanged(true);
        return false;
    }
    setChanged(false);
    return true;
}

bool DocumentSession::numberNew() {
    const QString notSaved = QStringLiteral("\n\nThe document has not been numbered or saved.");
    QString problem;
    const std::optional<IndexRecord> record = m_index.recordOf(m_mapper.read(), &problem);
    if (!record) {
        m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok,
                                QStringLiteral("Document Number"), problem + notSaved);
        return false;
    }
    const std::optional<QString> number = m_index.numberAndAppend(*record, m_ctx.state.YearFolder);
    if (!number) return false;
    m_ctx.lists.markStale(ListRefills::Documents);
    // Payments belong to a number: the new one has its own.
    m_ctx.lists.markStale(ListRefills::Payments);
    m_mapper.setNumber(*number);
    setFolder(trimBlanks(m_ctx.state.YearFolder));
    return true;
}

bool DocumentSession::confirmStorable() {
    const SalesDocument doc = m_mapper.read();
    const QStringList fields = unstorableFields(doc);
    if (fields.isEmpty()) return true;
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Yes | MsgButton::No, MsgButton::No, kTitleSave,
        QStringLiteral("These fields hold characters that Tallybrook's files cannot store:\n\n"
                       "%1\n\nChoose Yes to save the document with \"?\" in their place, or No "
                       "to go back and change them. Nothing has been saved yet.")
            .arg(fields.join(u'\n')));
    if (answer != MsgButton::Yes) return false;
    // The window shows what is saved, not what the page will never hold.
    m_mapper.write(asStored(doc));
    return true;
}

void DocumentSession::saveAddressBlocks() {
    m_mapper.saveEditedAddresses(m_mapper.read());
}

bool DocumentSession::SaveChanges() {
    if (!accessOk()) return false;
    const ListRefills::Command command(m_ctx.lists);
    bool saved = false;
    if (m_mapper.number() != kPending) {
        const QString number = trimBlanks(m_mapper.number());
        if (!isDocumentNumber(number)) {
            m_ctx.prompter->message(
                MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitleSave,
                QStringLiteral("The document number \"%1\" cannot be saved: a number is 1 to 6 "
                               "letters or digits. Please correct it. Nothing has been saved.")
                    .arg(number));
            return false;
        }
        if (!m_totals.TotalUp() || !confirmStorable()) return false;
        if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
        // The page is the document: it goes first, its record after in the
        // same hold of the index, and a page not written leaves the record
        // as it was.
        // Read from the window once: the page and its record are of the same document.
        const SalesDocument doc = current();
        IndexUpdate record;
        QString problem;
        record.record = m_index.recordOf(doc, &problem);
        record.yearFolder = m_ctx.state.YearFolder;
        record.result = {IndexWrite::Status::Failed, problem, {}};
        saved = writeSavedPage(doc, &record);
        if (saved) {
            if (record.result.written()) {
                m_ctx.lists.markStale(ListRefills::Documents);
                setFolder(record.result.subFolder);
            }
            m_index.tellNotListed(number, record.result);
        }
    } else {
        if (!ask(kTitleSave, QStringLiteral("Save new Tallybrook Number?"))) return false;
        // Every check comes before anything is written.
        if (!m_totals.TotalUp() || !confirmStorable() || !numberNew()) return false;
        // The page straight after its record: a crash in between leaves a
        // numbered document without its page, so the gap is kept short.
        saved = writeSavedPage();
        saveAddressBlocks();
        if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
        // Choosing the saved names again in the lists is no change to the
        // document just saved.
        if (saved) setChanged(false);
    }
    m_ctx.lists.refill(ListRefills::Documents);
    return saved;
}

bool DocumentSession::Save_PO() {
    if (!accessOk()) return false;
    const ListRefills::Command command(m_ctx.lists);
    if (!SavePrompt()) return false;
    if (!ask(kTitleConfirm,
             QStringLiteral("Create new Tallybrook based on details currently displayed?"))) {
        return false;
    }
    if (!m_totals.TotalUp() || !confirmStorable() || !numberNew()) return false;
    // The copy has no payments: its page must not show the original's.
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
    const bool saved = writeSavedPage();
    m_ctx.lists.refill(ListRefills::Documents);
    return saved;
}

bool DocumentSession::NewPO() {
    if (!accessOk()) return false;
    const ListRefills::Command command(m_ctx.lists);
    if (!SavePrompt()) return false;
    if (!ask(kTitleConfirm, QStringLiteral("Create blank new Tallybrook ?"))) return false;
    if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
    if (m_ctx.hooks.PopAddyLists) m_ctx.hooks.PopAddyLists();
    Clear();
    if (!m_totals.TotalUp() || !numberNew()) {
        // The blank document did not get a number: it must not go on showing
        // the old number, or saving it would overwrite that document.
        m_mapper.setNumber(kPending);
        setChanged(false);
        return false;
    }
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
    const bool saved = writeSavedPage();
    m_ctx.lists.refill(ListRefills::Documents);
    return saved;
}

void DocumentSession::Clear() {
    if (!accessOk()) return;
    const ListRefills::Command command(m_ctx.lists);
    m_mapper.write(blank());
    m_totals.TotalUp();
    m_ctx.lists.refill(ListRefills::Stock);
    // Clearing a numbered document is a change to that document.
    if (trimBlanks(m_mapper.number()) != kPending) setChanged(true);
}

void DocumentSession::MakeOrder() {
    if (!accessOk()) return;
    const ListRefills::Command command(m_ctx.lists);
    AppState& s = m_ctx.state;
    const std::optional<QString> saved = pagePath();
    if (trimBlanks(m_mapper.number()) != kPending && !m_changed && saved) {
        s.DisplayFile = *saved;
    } else {
        // Unsaved work is shown from a scratch page; the saved page stays.
        if (!m_totals.TotalUp()) return;
        if (!writePage(scratchPath(), current())) return;
        s.DisplayFile = scratchPath();
    }
    if (m_ctx.hooks.ShowViewer) m_ctx.hooks.ShowViewer();
}

bool DocumentSession::rewrite(const QString& path) {
    if (path.isEmpty() || !accessOk()) return false;
    return writePage(path, current());
}

void DocumentSession::removeScratch() {
    if (!m_ctx.state.DataPath.isEmpty()) removeFile(scratchPath());
}

void DocumentSession::removeStaleScratch() {
    if (m_ctx.state.DataAccessOK)
        removeFilesOfEndedCopies(m_ctx.state.DataPath, QLatin1String(kScratchPrefix),
                                 QStringLiteral(".htm"));
}

void DocumentSession::refuseOpen(const QString& text) {
    m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitleOpen,
        text + QStringLiteral("\n\nThe document on screen has not been changed."));
}

std::optional<QByteArray> DocumentSession::readPageFile(const QString& path) {
    QByteArray bytes;
    bool missing = false;
    qint64 tooLarge = 0;
    const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        missing = false;
        tooLarge = 0;
        const QFileInfo info(nativePath(path));
        if (info.isFile() && info.size() > kMaxPageBytes) {
            tooLarge = info.size();
            return {};
        }
        const FileError e = readWholeFile(path, &bytes);
        // Reading never creates the page: a missing one is said, not made.
        if (e.code == ENOENT || e.code == ENOTDIR) {
            missing = true;
            return {};
        }
        return e;
    });
    if (!read) return std::nullopt;
    if (missing) {
        refuseOpen(QStringLiteral("The document page %1 was not found. It may have been moved or "
                                  "deleted, or its folder may not be reachable; if another copy "
                                  "of Tallybrook is saving it just now, try again in a moment.")
                       .arg(nativePath(path)));
        return std::nullopt;
    }
    if (tooLarge > 0) {
        refuseOpen(QStringLiteral("The file %1 is not a Tallybrook document page: at %2 bytes it "
                                  "is far larger than any document.")
                       .arg(nativePath(path))
                       .arg(tooLarge));
        return std::nullopt;
    }
    return bytes;
}

bool DocumentSession::open(const QString& number, const QString& folder) {
    if (!accessOk()) return false;
    const ListRefills::Command command(m_ctx.lists);
    const std::optional<QString> path = ::pagePath(m_ctx.state.DataPath, folder, number);
    if (!path) {
        m_ctx.prompter->message(
            MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, kTitleOpen,
            QStringLiteral("The document list row \"%1\" in folder \"%2\" does not name a page "
                           "Tallybrook can open. Nothing has been opened.")
                .arg(number, folder));
        return false;
    }
    if (!SavePrompt()) return false;
    return load(number, folder);
}

bool DocumentSession::load(const QString& number, const QString& folder) {
    const std::optional<QString> path = ::pagePath(m_ctx.state.DataPath, folder, number);
    if (!path) return false;
    const std::optional<QByteArray> bytes = readPageFile(*path);
    if (!bytes) return false;
    const PageRead page = readPage(*bytes, blank(), *m_ctx.formats);
    const QString file = nativePath(*path);
    if (!page.ok()) {
        refuseOpen(page.problemText(file));
        return false;
    }
    // Saving writes to the page and record of the number shown: a page copied
    // or renamed by hand would overwrite another document.
    if (trimBlanks(page.document.number) != trimBlanks(number)) {
        refuseOpen(QStringLiteral("The document page %1 holds Tallybrook Number %2, not %3 as "
                                  "its row in the document list says: it may have been copied "
                                  "or renamed by hand. Nothing has been opened.\n\nGive the "
                                  "page back its own name (%2.htm), or ask whoever looks after "
                                  "your data.")
                       .arg(file, trimBlanks(page.document.number), trimBlanks(number)));
        return false;
    }

    m_mapper.write(page.document);
    m_ctx.lists.markStale(ListRefills::Payments);
    m_ctx.lists.refill(ListRefills::Stock);
    // The address lines are not stored: the address book gives them.
    m_mapper.lookUpAddresses();
    m_totals.TotalUp();
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
    // The page is looked for in the row's folder, which a later save writes back to.
    setFolder(folder);
    m_known = {*path, *bytes};
    // Putting the fields back ran their change rules; the stored document
    // is unchanged.
    setChanged(false);

    if (!page.complete) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitleOpen,
            QStringLiteral("The document page %1 is incomplete: it ends before the end of its "
                           "stored data, so line items or fields may be missing.\n\nWhat the "
                           "page holds has been loaded. Please check the document before "
                           "saving it.")
                .arg(file));
    }
    return true;
}

void DocumentSession::Label11_DblClick() {
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Critical, MsgButton::Yes | MsgButton::No, MsgButton::No,
        QStringLiteral("Confirm Setting Initial Document Number"),
        QStringLiteral("Are you SURE you want to unlock the document number field?\n\nThis should "
                       "only be done ONE TIME in order to make Tallybrook conform to your "
                       "existing numbered records. DO NOT do this as a matter of course - data "
                       "corruption is very likely if you do!"));
    if (answer != MsgButton::Yes) return;
    m_mapper.unlockNumber();
}

void DocumentSession::make10() {
    if (!accessOk()) return;
    const ListRefills::Command command(m_ctx.lists);
    for (int pass = 1; pass <= 10; ++pass) {
        if (!m_totals.TotalUp() || !numberNew()) break;
        if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
        if (!writeSavedPage()) break;
        m_mapper.showProgress(QStringLiteral("making number ") + QString::number(pass));
    }
    m_mapper.showProgress(QStringLiteral("done"));
    m_ctx.lists.refill(ListRefills::Documents);
}

void DocumentSession::mu_dobothtests(const std::function<void()>& stockTest) {
    AppState& s = m_ctx.state;
    if (s.TestRunning) return;
    s.TestRunning = true;
    make10();
    s.TestRunning = false;
    if (stockTest) stockTest();
}
