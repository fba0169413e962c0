#include "app/Application.h"
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
      m_document(m_ctx, m_totals),
      m_catalogue(m_ctx),
      m_lineEntry(m_ctx, m_document, m_totals),
      m_index(m_ctx),
      m_pageWriter(m_ctx),
      m_commands(m_ctx, m_document, m_totals, m_index),
      m_history(m_ctx, m_commands),
      m_pageReader(m_ctx, m_document, m_totals),
      m_payments(m_ctx),
      m_browser(m_ctx),
      m_viewer(m_ctx),
      m_addresses(m_ctx) {
    m_ctx.form = m_form.get();
    m_ctx.prompter = seams.prompter;
    m_ctx.desktop = seams.desktop;
    m_ctx.windows = seams.windows;
    m_ctx.clock = seams.clock;
    m_ctx.formats = seams.formats;
    m_ctx.retry = seams.retry;
    m_document.setStartState();
    bindCommands();
}

Application::~Application() = default;

void Application::bindCommands() {
    FormModel& f = *m_form;
    f.onClick(ctl::TotalUp, [this] { m_totals.TotalUp(); });
    f.onClick(ctl::Clear, [this] { m_document.Clear(); });
    f.onClick(ctl::HelpButton, [this] { m_shell.HelpButton(); });
    f.onClick(ctl::mu_HelpContents, [this] { m_form->click(ctl::HelpButton); });
    f.onClick(ctl::mu_About, [this] { m_shell.mu_About(); });
    f.onClick(ctl::mu_exit, [this] { m_form->requestClose(); });

    m_ctx.hooks.PopStockList = [this] { m_catalogue.PopStockList(); };
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

    Hooks& h = m_ctx.hooks;
    h.MakeSnap = [this](const QString& path) { return m_pageWriter.MakeSnap(path); };
    h.SavePrompt = [this] { return m_commands.SavePrompt(); };
    m_commands.bindChangeRule();
    m_history.bind();
    m_pageReader.bind();
    m_payments.bind();
    m_browser.bind();
    m_viewer.bind();
    m_addresses.bind();
    m_pageWriter.setPaymentsBlockSource([this] {
        const PaymentsBlockText b = m_payments.makePaymentsBlock();
        return PaymentsBlock{b.html, b.rows};
    });
    f.onClick(ctl::SaveChanges, [this] { m_commands.SaveChanges(); });
    f.onClick(ctl::Save_PO, [this] { m_commands.Save_PO(); });
    f.onClick(ctl::NewPO, [this] { m_commands.NewPO(); });
    f.onClick(ctl::MakeOrder, [this] { m_commands.MakeOrder(); });
    f.onDoubleClick(ctl::Label11, [this] { m_commands.Label11_DblClick(); });
    f.onClick(ctl::make10, [this] { m_commands.make10(); });
    f.onClick(ctl::mu_dobothtests, [this] {
        m_commands.mu_dobothtests([this] { m_catalogue.mu_maketeststockitems(); });
    });
}

void Application::start() {
    AppState& s = m_ctx.state;
    FormModel& f = *m_form;
    const Hooks& h = m_ctx.hooks;

    s.HomeFolder = Shell::homeFolderFor(m_documentsFolder);
    m_shell.LoadConfig();
    // After the configuration, which makes the program's folder on a first start.
    m_shell.ensureHelpFile();

    s.ConfigRec.taxName1 = trimBlanks(s.ConfigRec.taxName1);
    f.setCaption(ctl::Label6, QStringLiteral("+ ") + s.ConfigRec.taxName1);
    s.ConfigRec.taxName2 = trimBlanks(s.ConfigRec.taxName2);
    f.setCaption(ctl::Label19, QStringLiteral("+ ") + s.ConfigRec.taxName2);

    if (s.DataAccessOK && h.PopAddyLists) h.PopAddyLists();
    if (s.DataAccessOK && s.ConfigRec.oldDataConverted == QStringLiteral("N") &&
        h.CheckForOldData) {
        h.CheckForOldData();
    }
    if (s.DataAccessOK) m_shell.CheckForThisYearsFolder();

    for (const char* name :
         {ctl::JobNumberEd, ctl::ShipDateEd, ctl::TermsEd, ctl::ShipViaEd, ctl::FOBEd, ctl::ByEd,
          ctl::CommentsEd, ctl::ShipToField, ctl::ToField}) {
        f.setText(QLatin1String(name), QString());
    }
    m_document.resetOrderGrid();
    const QDate today = m_ctx.clock->today();
    f.setText(ctl::OrderDateEd, m_ctx.formats->shortDate(today));

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
    f.setEnabled(ctl::SaveChanges, false);
    f.setEnabled(ctl::Save_PO, false);
    s.Dirty = false;
    f.setEnabled(ctl::ShipToSame, false);

    f.setWindowCaption(msg::kProductName);

    if (s.DataAccessOK && h.PopPOGrid) h.PopPOGrid();
    if (s.DataAccessOK && h.PopStockList) h.PopStockList();

    // The clear command of the history boxes' edit menus is wired by the
    // history lists, which own the deletion it runs.

    f.setMaxLength(ctl::JobNumberEd, 12);
    f.setMaxLength(ctl::ToCombo, 60);
    f.setMaxLength(ctl::ShipToCombo, 60);
    f.setMaxLength(ctl::StockCatCombo, 30);
    f.setMaxLength(ctl::StockUnitCombo, 20);
    f.setMaxLength(ctl::StockVendorCombo, 60);
}

bool Application::close() {
    if (m_ctx.hooks.SavePrompt && !m_ctx.hooks.SavePrompt()) return false;
    m_shell.storeKindFlags();
    m_shell.SaveConfig();
    return true;
}
