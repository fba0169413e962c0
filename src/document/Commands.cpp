#include "document/Commands.h"
#include "forms/ControlNames.h"

#include "base/Prompter.h"
#include "base/Text.h"
#include "document/Document.h"
#include "document/DocumentIndex.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kNumber = ctl::PONoEd;
const QString kSave = ctl::SaveChanges;
const QString kSaveCopy = ctl::Save_PO;
const QString kTitleSave = QStringLiteral("Save?");
const QString kTitleConfirm = QStringLiteral("Confirm");

const char* const kHistoryFields[] = {ctl::ByEd,        ctl::CommentsEd, ctl::FOBEd,
                                      ctl::JobNumberEd, ctl::ShipViaEd,  ctl::TermsEd};

}  // namespace

void DocumentCommands::applyChangeRule() {
    if (m_ctx.form->text(kNumber) == kPending) return;
    m_ctx.form->setEnabled(kSave, true);
    m_ctx.state.Dirty = true;
}

void DocumentCommands::bindChangeRule() {
    FormModel& f = *m_ctx.form;
    for (const char* name :
         {ctl::ProposalOption, ctl::AcKOption, ctl::InvoiceOption, ctl::RecieptOption}) {
        f.onChange(QLatin1String(name), [this] { applyChangeRule(); });
    }
    for (const char* name : kHistoryFields) {
        const QString field = QLatin1String(name);
        f.onChange(field, [this, field] {
            m_ctx.state.HistoryText = m_ctx.form->text(field);
            applyChangeRule();
        });
    }
    for (const char* name :
         {ctl::OrderDateEd, ctl::ShipDateEd, ctl::OrderTotalEd, ctl::PaymentsEd}) {
        f.onChange(QLatin1String(name), [this] { applyChangeRule(); });
    }
}

bool DocumentCommands::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

bool DocumentCommands::ask(const QString& title, const QString& text) {
    return m_ctx.prompter->message(MsgIcon::Question, MsgButton::Yes | MsgButton::No,
                                   MsgButton::Yes, title, text) == MsgButton::Yes;
}

QString DocumentCommands::pagePath() const {
    const AppState& s = m_ctx.state;
    return s.DataPath + m_ctx.form->caption(ctl::RecYear) + trimBlanks(m_ctx.form->text(kNumber)) +
           QStringLiteral(".htm");
}

QString DocumentCommands::scratchPath() const {
    return m_ctx.state.DataPath + QStringLiteral("ovo.htm");
}

bool DocumentCommands::SavePrompt() {
    if (!m_ctx.state.Dirty) return true;
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Question, MsgButton::Yes | MsgButton::No | MsgButton::Cancel, MsgButton::Yes,
        kTitleSave,
        QStringLiteral("Save changes to Tallybrook Number ") + m_ctx.form->text(kNumber) +
            QStringLiteral(" ?"));
    if (answer == MsgButton::Cancel) return false;
    if (answer == MsgButton::No) return true;
    // Going on after a save that did not happen would lose the changes.
    return SaveChanges();
}

bool DocumentCommands::numberUsable() {
    // The number names the page file and fills the index's six characters.
    const QString number = trimBlanks(m_ctx.form->text(kNumber));
    bool usable = !number.isEmpty() && number.size() <= 6;
    for (QChar c : number) usable = usable && c.unicode() < 0x80 && c.isLetterOrNumber();
    if (usable) return true;
    m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitleSave,
        QStringLiteral("The document number \"%1\" cannot be saved: a number is 1 to 6 letters "
                       "or digits. Please correct it. Nothing has been saved.")
            .arg(number));
    return false;
}

bool DocumentCommands::writeSavedPage() {
    FormModel& f = *m_ctx.form;
    if (!m_ctx.hooks.MakeSnap || !m_ctx.hooks.MakeSnap(pagePath())) {
        // The page is not on disk: the document stays changed, so that a
        // later save or the closing prompt tries again.
        f.setEnabled(kSave, true);
        m_ctx.state.Dirty = true;
        return false;
    }
    f.setEnabled(kSave, false);
    m_ctx.state.Dirty = false;
    return true;
}

bool DocumentCommands::numberAndSave() {
    if (!m_index.numberAndAppend()) return false;
    if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
    return writeSavedPage();
}

bool DocumentCommands::SaveChanges() {
    if (!accessOk()) return false;
    FormModel& f = *m_ctx.form;
    bool saved = false;
    if (f.text(kNumber) != kPending) {
        if (!numberUsable() || !m_totals.TotalUp()) return false;
        const IndexWrite record = m_index.RecordData();
        if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
        saved = writeSavedPage();
        if (saved) f.setEnabled(kSaveCopy, true);
        if (!record.written()) m_index.tellNotListed(record);
    } else {
        if (!ask(kTitleSave, QStringLiteral("Save new Tallybrook Number?"))) return false;
        f.click(ctl::ChangedVendor);
        f.click(ctl::ChangedDest);
        if (!m_totals.TotalUp()) return false;
        saved = numberAndSave();
    }
    if (m_ctx.hooks.PopPOGrid) m_ctx.hooks.PopPOGrid();
    return saved;
}

bool DocumentCommands::Save_PO() {
    if (!accessOk()) return false;
    if (!SavePrompt()) return false;
    if (!ask(kTitleConfirm,
             QStringLiteral("Create new Tallybrook based on details currently displayed?"))) {
        return false;
    }
    if (!m_totals.TotalUp()) return false;
    if (!m_index.numberAndAppend()) return false;
    // The copy has no payments: its page must not show the original's.
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
    const bool saved = writeSavedPage();
    if (m_ctx.hooks.PopPOGrid) m_ctx.hooks.PopPOGrid();
    return saved;
}

bool DocumentCommands::NewPO() {
    if (!accessOk()) return false;
    if (!SavePrompt()) return false;
    if (!ask(kTitleConfirm, QStringLiteral("Create blank new Tallybrook ?"))) return false;
    FormModel& f = *m_ctx.form;
    if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
    if (m_ctx.hooks.PopAddyLists) m_ctx.hooks.PopAddyLists();
    m_document.Clear();
    if (!m_totals.TotalUp() || !m_index.numberAndAppend()) {
        // The blank document did not get a number: it must not go on showing
        // the old number, or saving it would overwrite that document.
        f.setText(kNumber, kPending);
        f.setEnabled(kSave, false);
        m_ctx.state.Dirty = false;
        return false;
    }
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();
    const bool saved = writeSavedPage();
    if (m_ctx.hooks.PopPOGrid) m_ctx.hooks.PopPOGrid();
    f.setEnabled(kSaveCopy, true);
    return saved;
}

void DocumentCommands::MakeOrder() {
    if (!accessOk()) return;
    AppState& s = m_ctx.state;
    if (m_ctx.form->text(kNumber).trimmed() != kPending && !s.Dirty) {
        s.DisplayFile = pagePath();
    } else {
        // Unsaved work is shown from a scratch page; the saved page stays.
        if (!m_totals.TotalUp()) return;
        if (!m_ctx.hooks.MakeSnap || !m_ctx.hooks.MakeSnap(scratchPath())) return;
        s.DisplayFile = scratchPath();
    }
    if (m_ctx.hooks.ShowViewer) m_ctx.hooks.ShowViewer();
}

void DocumentCommands::Label11_DblClick() {
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Critical, MsgButton::Yes | MsgButton::No, MsgButton::No,
        QStringLiteral("Confirm Setting Initial Document Number"),
        QStringLiteral("Are you SURE you want to unlock the document number field?\n\nThis should "
                       "only be done ONE TIME in order to make Tallybrook conform to your "
                       "existing numbered records. DO NOT do this as a matter of course - data "
                       "corruption is very likely if you do!"));
    if (answer != MsgButton::Yes) return;
    m_ctx.form->setMaxLength(kNumber, 6);
    m_ctx.form->setLocked(kNumber, false);
}

void DocumentCommands::make10() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    for (int pass = 1; pass <= 10; ++pass) {
        if (!m_totals.TotalUp() || !m_index.numberAndAppend()) break;
        if (m_ctx.hooks.AddToUserFields) m_ctx.hooks.AddToUserFields();
        if (!writeSavedPage()) break;
        f.setWindowCaption(QStringLiteral("making number ") + QString::number(pass));
    }
    f.setWindowCaption(QStringLiteral("done"));
}

void DocumentCommands::mu_dobothtests(const std::function<void()>& stockTest) {
    AppState& s = m_ctx.state;
    if (s.TestRunning) return;
    s.TestRunning = true;
    make10();
    s.TestRunning = false;
    if (stockTest) stockTest();
}
