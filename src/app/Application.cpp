#include "app/Application.h"

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
    f.onClick(QStringLiteral("TotalUp"), [this] { m_totals.TotalUp(); });
    f.onClick(QStringLiteral("Clear"), [this] { m_document.Clear(); });
    f.onClick(QStringLiteral("HelpButton"), [this] { m_shell.HelpButton(); });
    f.onClick(QStringLiteral("mu_HelpContents"),
              [this] { m_form->click(QStringLiteral("HelpButton")); });
    f.onClick(QStringLiteral("mu_About"), [this] { m_shell.mu_About(); });
    f.onClick(QStringLiteral("mu_exit"), [this] { m_form->requestClose(); });

    m_ctx.hooks.PopStockList = [this] { m_catalogue.PopStockList(); };
    f.onClick(QStringLiteral("SaveNewStockItem"), [this] { m_catalogue.SaveNewStockItem(); });
    f.onClick(QStringLiteral("SaveChangedStockItem"),
              [this] { m_catalogue.SaveChangedStockItem(); });
    f.onClick(QStringLiteral("DeleteStockItem"), [this] { m_catalogue.DeleteStockItem(); });
    f.onClick(QStringLiteral("ItemsPopDelete"), [this] { m_catalogue.DeleteStockItem(); });
    f.onClick(QStringLiteral("mu_maketeststockitems"),
              [this] { m_catalogue.mu_maketeststockitems(); });
    f.onClick(QStringLiteral("StockGrid"), [this] { m_catalogue.StockGrid_Click(); });
    f.onRightClick(QStringLiteral("StockGrid"), [this] { m_catalogue.StockGrid_MouseUp(); });
    f.onDoubleClick(QStringLiteral("StockGrid"), [this] { m_lineEntry.StockGrid_DblClick(); });
    f.onRightClick(QStringLiteral("OrderGrid"), [this] { m_lineEntry.OrderGrid_MouseUp(); });
    f.onDoubleClick(QStringLiteral("OrderGrid"), [this] { m_lineEntry.OrderGrid_DblClick(); });
    f.onClick(QStringLiteral("OrderPop_DescriptionOverride"),
              [this] { m_lineEntry.OrderPop_DescriptionOverride(); });
    f.onClick(QStringLiteral("OrderPop_OneTime"), [this] { m_lineEntry.OrderPop_OneTime(); });

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
    f.onClick(QStringLiteral("SaveChanges"), [this] { m_commands.SaveChanges(); });
    f.onClick(QStringLiteral("Save_PO"), [this] { m_commands.Save_PO(); });
    f.onClick(QStringLiteral("NewPO"), [this] { m_commands.NewPO(); });
    f.onClick(QStringLiteral("MakeOrder"), [this] { m_commands.MakeOrder(); });
    f.onDoubleClick(QStringLiteral("Label11"), [this] { m_commands.Label11_DblClick(); });
    f.onClick(QStringLiteral("make10"), [this] { m_commands.make10(); });
    f.onClick(QStringLiteral("mu_dobothtests"), [this] {
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
    f.setCaption(QStringLiteral("Label6"), QStringLiteral("+ ") + s.ConfigRec.taxName1);
    s.ConfigRec.taxName2 = trimBlanks(s.ConfigRec.taxName2);
    f.setCaption(QStringLiteral("Label19"), QStringLiteral("+ ") + s.ConfigRec.taxName2);

    if (s.DataAccessOK && h.PopAddyLists) h.PopAddyLists();
    if (s.DataAccessOK && s.ConfigRec.oldDataConverted == QStringLiteral("N") &&
        h.CheckForOldData) {
        h.CheckForOldData();
    }
    if (s.DataAccessOK) m_shell.CheckForThisYearsFolder();

    for (const char* name : {"JobNumberEd", "ShipDateEd", "TermsEd", "ShipViaEd", "FOBEd", "ByEd",
                             "CommentsEd", "ShipToField", "ToField"}) {
        f.setText(QLatin1String(name), QString());
    }
    m_document.resetOrderGrid();
    const QDate today = m_ctx.clock->today();
    f.setText(QStringLiteral("OrderDateEd"), m_ctx.formats->shortDate(today));

    s.ConfigRec.dateLatest = serialdate::fromDate(today);
    if (s.ConfigRec.dateEarliest == 0) s.ConfigRec.dateEarliest = s.ConfigRec.dateLatest - 90;

    m_shell.restoreGeometry();
    f.setCaption(QStringLiteral("Label16"), QStringLiteral("Data Path = ") + s.DataPath);

    f.setChecked(QStringLiteral("PropCheck"), s.ConfigRec.propCheck != QStringLiteral("N"));
    f.setChecked(QStringLiteral("AckCheck"), s.ConfigRec.ackCheck != QStringLiteral("N"));
    f.setChecked(QStringLiteral("InvCheck"), s.ConfigRec.invCheck != QStringLiteral("N"));
    f.setChecked(QStringLiteral("RecCheck"), s.ConfigRec.recCheck != QStringLiteral("N"));

    f.setCaption(QStringLiteral("VendAddyCounter"), QStringLiteral("0"));
    f.setCaption(QStringLiteral("ToAddyCounter"), QStringLiteral("0"));

    if (s.DataAccessOK && h.AddToUserFields) h.AddToUserFields();

    f.setVisible(QStringLiteral("Frame3"), false);
    f.setEnabled(QStringLiteral("SaveChanges"), false);
    f.setEnabled(QStringLiteral("Save_PO"), false);
    s.Dirty = false;
    f.setEnabled(QStringLiteral("ShipToSame"), false);

    f.setWindowCaption(msg::kProductName);

    if (s.DataAccessOK && h.PopPOGrid) h.PopPOGrid();
    if (s.DataAccessOK && h.PopStockList) h.PopStockList();

    // The clear command of the history boxes' edit menus is wired by the
    // history lists, which own the deletion it runs.

    f.setMaxLength(QStringLiteral("JobNumberEd"), 12);
    f.setMaxLength(QStringLiteral("ToCombo"), 60);
    f.setMaxLength(QStringLiteral("ShipToCombo"), 60);
    f.setMaxLength(QStringLiteral("StockCatCombo"), 30);
    f.setMaxLength(QStringLiteral("StockUnitCombo"), 20);
    f.setMaxLength(QStringLiteral("StockVendorCombo"), 60);
}

bool Application::close() {
    if (m_ctx.hooks.SavePrompt && !m_ctx.hooks.SavePrompt()) return false;
    m_shell.storeKindFlags();
    m_shell.SaveConfig();
    return true;
}
