#include "app/Application.h"

#include <utility>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include "forms/ControlNames.h"

#include "base/Clock.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "forms/MainForm.h"
#include "records/Messages.h"

Application::Application(const Seams& seams, QString documentsFolder)
    : m_form(makeMainForm()),
      m_documentsFolder(std::move(documentsFolder)),
      m_shell(m_ctx),
      m_totals(m_ctx),
      m_catalogue(m_ctx),
      m_lineEntry(m_ctx, m_totals),
      m_index(m_ctx),
      m_mapper(*m_form),
      m_session(m_ctx, m_mapper, m_totals, m_index),
      m_history(m_ctx, [this] { m_session.applyChangeRule(); }),
      m_payments(m_ctx),
      m_browser(m_ctx, m_index,
                [this](const QString& number, const QString& folder) {
                    return m_session.open(number, folder);
                }),
      m_viewer(m_ctx),
      m_addresses(m_ctx),
      m_reports(m_ctx),
      m_export(m_ctx, m_index),
      m_config(m_ctx, m_shell),
      m_import(m_ctx, m_addresses),
      m_strings(m_ctx, makeMainForm()) {
    m_ctx.form = m_form.get();
    m_ctx.prompter = seams.prompter;
    m_ctx.desktop = seams.desktop;
    m_ctx.windows = seams.windows;
    m_ctx.clock = seams.clock;
    m_ctx.formats = seams.formats;
    m_ctx.retry = seams.retry;
    m_session.setStartState();
    bindCommands();
    bindLists();
}

Application::~Application() = default;

void Application::bindCommands() {
    FormModel& f = *m_form;
    f.onClick(ctl::TotalUp, [this] { m_totals.TotalUp(); });
    f.onClick(ctl::Clear, [this] { m_session.Clear(); });
    f.onClick(ctl::HelpButton, [this] { m_shell.HelpButton(); });
    f.onClick(ctl::mu_HelpContents, [this] { m_form->click(ctl::HelpButton); });
    f.onClick(ctl::mu_About, [this] { m_shell.mu_About(); });
    f.onClick(ctl::mu_exit, [this] { m_form->requestClose(); });

    f.onClick(ctl::SaveNewStockItem, [this] { m_catalogue.SaveNewStockItem(); });
    f.onClick(ctl::SaveChangedStockItem, [this] { m_catalogue.SaveChangedStockItem(); });
    f.onClick(ctl::DeleteStockItem, [this] { m_catalogue.DeleteStockItem(); });
    f.onClick(ctl::ItemsPopDelete, [this] { m_catalogue.DeleteStockItem(); });
    f.onClick(ctl::mu_maketeststockitems, [this] { m_catalogue.mu_maketeststockitems(); });
    f.onClick(ctl::StockGrid, [this] { m_catalogue.StockGrid_Click(); });
    f.onRightClick(ctl::StockGrid, [this] { m_catalogue.StockGrid_MouseUp(); });
    f.onDoubleClick(ctl::StockGrid, [this] { m_lineEntry.StockGrid_DblClick(); });
    f.onRightClick(ctl::OrderGrid, [this] { m_lineEntry.OrderGrid_MouseUp(); });
    f.onDoubleClick(ctl::OrderGrid, [this] { m_lineEntry.OrderGrid_DblClick(); });
    f.onClick(ctl::OrderPop_DescriptionOverride,
              [this] { m_lineEntry.OrderPop_DescriptionOverride(); });
    f.onClick(ctl::OrderPop_OneTime, [this] { m_lineEntry.OrderPop_OneTime(); });

    m_session.bind();
    m_history.bind();
    m_payments.bind();
    m_browser.bind();
    m_viewer.bind();
    m_addresses.bind();
    m_reports.bind();
    m_export.bind();
    m_config.bind();
    m_import.bind();
    m_config.setDocumentFolder([this] { return m_session.folder(); });
    // From a report, the report is made again; from a document, its page.
    m_config.setRewrite([this] {
        const QString shown = m_ctx.state.DisplayFile;
        const bool done = shown == m_reports.path() ? m_reports.remake() : m_session.rewrite(shown);
        if (done) m_viewer.reload();
        return done;
    });
    m_viewer.setConfigEditor([this] { m_config.show(); });
    m_strings.bind();
    // Loaded captions head the lists' columns too.
    m_strings.setLoaded([this] {
        const ListRefills::Command command(m_ctx.lists);
        m_mapper.refreshItemHeadings();
        m_ctx.lists.refill(ListRefills::Documents);
        m_ctx.lists.refill(ListRefills::Stock);
    });
    f.onClick(ctl::SaveChanges, [this] { m_session.SaveChanges(); });
    f.onClick(ctl::Save_PO, [this] { m_session.Save_PO(); });
    f.onClick(ctl::NewPO, [this] { m_session.NewPO(); });
    f.onClick(ctl::MakeOrder, [this] { m_session.MakeOrder(); });
    f.onDoubleClick(ctl::Label11, [this] { m_session.Label11_DblClick(); });
    f.onClick(ctl::make10, [this] { m_session.make10(); });
    f.onClick(ctl::mu_dobothtests, [this] {
        m_session.mu_dobothtests([this] { m_catalogue.mu_maketeststockitems(); });
    });
}

// Lists refill through one place, so that a command refills each at most
// once; the fillers the parts registered as hooks move there.
void Application::bindLists() {
    ListRefills& lists = m_ctx.lists;
    Hooks& h = m_ctx.hooks;
    lists.setFiller(ListRefills::Documents, [this] { m_browser.PopPOGrid(); });
    lists.setFiller(ListRefills::Stock, [this] { m_catalogue.PopStockList(); });
    lists.setFiller(ListRefills::Addresses, std::exchange(h.PopAddyLists, {}));
    lists.setFiller(ListRefills::Payments, std::exchange(h.PopPAGrid, {}));
    h.PopStockList = [&lists] { lists.refill(ListRefills::Stock); };
    h.PopAddyLists = [&lists] { lists.refill(ListRefills::Addresses); };
    h.PopPAGrid = [&lists] { lists.refill(ListRefills::Payments); };
    lists.onCommandEnd([this] { m_index.endCommand(); });
}

void Application::start() {
    AppState& s = m_ctx.state;
    FormModel& f = *m_form;
    const Hooks& h = m_ctx.hooks;
    // One command: each list is read once.
    const ListRefills::Command command(m_ctx.lists);

    s.HomeFolder = Shell::homeFolderFor(m_documentsFolder);
    m_shell.LoadConfig();
    // After the configuration, which makes the program's folder on a first start.
    m_shell.ensureHelpFile();

    s.ConfigRec.taxName1 = trimBlanks(s.ConfigRec.taxName1);
    f.setCaption(ctl::Label6, QStringLiteral("+ ") + s.ConfigRec.taxName1);
    s.ConfigRec.taxName2 = trimBlanks(s.ConfigRec.taxName2);
    f.setCaption(ctl::Label19, QStringLiteral("+ ") + s.ConfigRec.taxName2);

    if (s.DataAccessOK && h.PopAddyLists) h.PopAddyLists();
    if (s.DataAccessOK && s.ConfigRec.oldDataConverted == QStringLiteral("N"))
        m_index.CheckForOldData();
    if (s.DataAccessOK) m_shell.CheckForThisYearsFolder();
    m_shell.removeLeftoverTempFiles();
    m_reports.removeStale();
    m_session.removeStaleScratch();

    m_session.startFields();
    const QDate today = m_ctx.clock->today();

    s.ConfigRec.dateLatest = serialdate::fromDate(today);
    if (s.ConfigRec.dateEarliest == 0) s.ConfigRec.dateEarliest = s.ConfigRec.dateLatest - 90;

    m_shell.restoreGeometry();
    f.setCaption(ctl::Label16, QStringLiteral("Data Path = ") + s.DataPath);

    f.setChecked(ctl::PropCheck, s.ConfigRec.propCheck != QStringLiteral("N"));
    f.setChecked(ctl::AckCheck, s.ConfigRec.ackCheck != QStringLiteral("N"));
    f.setChecked(ctl::InvCheck, s.ConfigRec.invCheck != QStringLiteral("N"));
    f.setChecked(ctl::RecCheck, s.ConfigRec.recCheck != QStringLiteral("N"));

    f.setCaption(ctl::VendAddyCounter, QStringLiteral("0"));
    f.setCaption(ctl::ToAddyCounter, QStringLiteral("0"));

    if (s.DataAccessOK && h.AddToUserFields) h.AddToUserFields();

    f.setVisible(ctl::Frame3, false);
    m_session.markUnchanged();
    f.setEnabled(ctl::ShipToSame, false);

    f.setWindowCaption(msg::kProductName);

    if (s.DataAccessOK) m_ctx.lists.refill(ListRefills::Documents);
    if (s.DataAccessOK && h.PopStockList) h.PopStockList();

    // The clear command of the history boxes' edit menus is wired by the
    // history lists, which own the deletion it runs.

    f.setMaxLength(ctl::JobNumberEd, 12);
    f.setMaxLength(ctl::ToCombo, 60);
    f.setMaxLength(ctl::ShipToCombo, 60);
    f.setMaxLength(ctl::StockCatCombo, 30);
    f.setMaxLength(ctl::StockUnitCombo, 20);
    f.setMaxLength(ctl::StockVendorCombo, 60);
#if defined(__GLIBC__)
    // Reading the full files leaves freed buffers in the heap: hand them
    // back, so that a long-running copy does not hold them.
    ::malloc_trim(0);
#endif
}

bool Application::close() {
    if (!m_session.SavePrompt()) return false;
    m_shell.storeKindFlags();
    m_shell.SaveConfig();
    m_reports.removeOwn();
    m_session.removeScratch();
    return true;
}
