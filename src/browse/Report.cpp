#include "browse/Report.h"

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "browse/DocumentList.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageWriter.h"
#include "records/DataFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/ConfigRecord.h"
#include "shell/Shell.h"

namespace report {

const Command kCommands[8] = {
    {ctl::mu_ReportAllProposals, "Ap"}, {ctl::mu_ReportsAllAcks, "AP"},
    {ctl::mu_ReportsAllInvoices, "Ai"}, {ctl::mu_ReportsAllReciepts, "AI"},
    {ctl::mu_PropsCurCust, "Cp"},       {ctl::mu_AcksCurCust, "CP"},
    {ctl::mu_InvCurCust, "Ci"},         {ctl::mu_RecCurCust, "CI"},
};

namespace {

const char* titleOf(QChar kind) {
    switch (kind.unicode()) {
        case 'p': return "<font size=\"4\"><b>PROPOSALS</b></font><br>";
        case 'P': return "<font size=\"4\"><b>Acknowledgements</b></font><br>";
        case 'i': return "<font size=\"4\"><b>INVOICES</b></font><br>";
        case 'I': return "<font size=\"4\"><b>Receipts</b></font><br>";
        default: return nullptr;
    }
}

class Writer {
public:
    // About 300 characters a document row, 2,000 for the rest.
    explicit Writer(qsizetype rows) { m_out.reserve(2000 + rows * 300); }
    template <typename Text>
    void line(const Text& text) {
        m_out += text;
        m_out += QLatin1String("\r\n");
    }
    // One cell on its line: the opening markup, the text escaped, "</td>".
    void cell(const char* open, QStringView text) {
        m_out += QLatin1String(open);
        appendHtmlEscaped(m_out, text);
        m_out += QLatin1String("</td>\r\n");
    }
    void lines(std::initializer_list<const char*> texts) {
        for (const char* t : texts) line(QLatin1String(t));
    }
    QString take() { return std::move(m_out); }

private:
    QString m_out;
};

}  // namespace

QByteArray make(const QString& code, const QVector<QStringList>& rows, const Customer& customer,
                const ConfigRecord& cfg, const Formats& formats) {
    const bool oneCustomer = !code.startsWith(u'A');
    const QChar kind = code.size() > 1 ? code.at(1) : QChar();
    Writer w(rows.size());
    w.lines({"<html>", "<head>", "</head>", "<body>"});
    w.line(QLatin1String("<BASEFONT FACE=\"") + trimBlanks(cfg.fontName) +
           QLatin1String("\" SIZE=\"1\">"));
    w.line(QLatin1String("<table border=0 cellspacing=0 width=\"") + trimBlanks(cfg.pageWidth) +
           QLatin1String("\"><tr><td>"));
    w.lines({"<table width=\"100%\"><tr>", "<td align=\"left\" valign=\"top\">"});
    if (cfg.companyId == QLatin1String("Y")) {
        w.line(QLatin1String("<img src=\"") + trimBlanks(cfg.topGraphic) + QLatin1String("\">"));
    } else {
        // The letterhead as stored, markup and padding included.
        for (std::size_t i = 0; i < cfg.companyLines.size(); ++i) {
            const QString stored = cfg.companyLines[i].leftJustified(cfg::CompanyLineWidth, u' ');
            if (trimBlanks(stored).isEmpty()) continue;
            w.line(i == 0 ? QLatin1String("<b>") + stored + QLatin1String("</b><br>")
                          : stored + QLatin1String("<br>"));
        }
    }
    w.lines({"</td>", "<td align=\"right\" valign=\"top\">"});
    if (const char* title = titleOf(kind)) w.line(QLatin1String(title));
    w.lines({"</td>", "</tr></table>"});

    const QString name = trimBlanks(customer.name);
    if (oneCustomer) {
        w.lines({"<table width=\"100%\"><tr>",
                 "<td width=\"50%\" valign=\"top\"><font size=\"-1\">", "<b>Sold To:</b><p>"});
        QString block;
        MakeHTML_NoteBlock(htmlEscaped(trimBlanks(customer.lines)), block);
        w.line(htmlEscaped(name) + QLatin1String("<br>") + block);
        w.lines({"</td>", "<td width=\"50%\" valign=\"top\"><font size=\"-1\">", "</td>",
                 "</tr></table>"});
    }
    w.lines({"<p>",
             "<table width=\"100%\" border=\"1\" cellpadding=\"1\" cellspacing=\"0\"><tr>",
             "<td><font size=\"-1\">Number</td>", "<td><font size=\"-1\">Date</td>",
             "<td><font size=\"-1\">Customer</td>",
             "<td align=\"right\"><font size=\"-1\">Total</td>", "</tr>"});

    double total = 0, shipping = 0, salesTax = 0, otherTax = 0;
    QString cleaned;  // one buffer for every amount read
    const auto value = [&formats, &cleaned](QStringView cell) {
        // The number cleaner's digits, points and commas; nothing left reads 0.
        cleaned.resize(0);
        for (QChar c : cell) {
            if ((c >= u'0' && c <= u'9') || c == u'.' || c == u',') cleaned.append(c);
        }
        if (cleaned.isEmpty()) return 0.0;
        // The fixed-point reader is the fast one; past its range, a double.
        const CurrencyParse money = formats.toCurrency(cleaned);
        return money.ok() ? money.value.toDouble() : formats.toNumber(cleaned).value_or(0.0);
    };
    const QString kindText(kind);
    for (const QStringList& row : rows) {
        const auto cell = [&row](int column) {
            return column < row.size() ? blanksTrimmed(row.at(column)) : QStringView();
        };
        if (oneCustomer && cell(doclist::SoldTo) != name) continue;
        if (cell(doclist::Status) != kindText) continue;
        w.line(QLatin1String("<tr>"));
        w.cell("<td valign=\"top\"><font size=\"-1\">", cell(doclist::Number));
        w.cell("<td valign=\"top\"><font size=\"-1\">&nbsp;", cell(doclist::Date));
        w.cell("<td valign=\"top\"><font size=\"-1\">&nbsp;", cell(doclist::SoldTo));
        w.cell("<td  align=\"right\" valign=\"top\"><font size=\"-1\">&nbsp;",
               cell(doclist::OrderTotal));
        total += value(cell(doclist::OrderTotal));
        shipping += value(cell(doclist::Shipping));
        salesTax += value(cell(doclist::SalesTax));
        otherTax += value(cell(doclist::OtherTax));
        w.line(QLatin1String("</tr>"));
    }

    const auto money = [&formats](double sum) {
        const std::optional<Currency> c = Currency::fromDouble(sum);
        return c ? formats.currency(*c) : generalNumber(sum);
    };
    const auto closingRow = [&](const QString& label, const QString& amount) {
        w.lines({"<tr><td></td>", "<td></td>"});
        w.line(QLatin1String("<td align=\"right\"><font size=\"-1\">") + label +
               QLatin1String("</td>"));
        w.line(QLatin1String("<td align=\"right\"><font size=\"-1\">") + amount +
               QLatin1String("</td>"));
        w.line(QStringLiteral("</tr>"));
    };
    w.lines({"<tr><td></td>", "<td></td>",
             "<td align=\"right\"><font size=\"-1\"><b>Total</b></td>"});
    w.line(QLatin1String("<td align=\"right\"><font size=\"-1\"><b>") + money(total) +
           QLatin1String("</b></td>"));
    w.lines({"</tr>", "<tr><td></td>", "<td></td>", "<td></td>", "<td>&nbsp;</td>", "</tr>"});
    closingRow(QStringLiteral("Total above includes shipping charges of:"), money(shipping));
    for (const auto& [taxName, sum] : {std::pair{cfg.taxName1, salesTax}, {cfg.taxName2, otherTax}}) {
        closingRow(QLatin1String("Total above includes ") + htmlEscaped(trimBlanks(taxName)) +
                       QLatin1String(" of:"),
                   money(sum));
    }
    closingRow(QStringLiteral("Net (less shipping and taxes):"),
               money(total - (otherTax + salesTax + shipping)));
    w.lines({"</table>", "</td></tr></table>", "</body></html>"});
    return cp1252::encode(w.take());
}

}  // namespace report

constexpr char kPrefix[] = "report-";

void Reports::bind() {
    for (const report::Command& c : report::kCommands) {
        const QString code = QLatin1String(c.code);
        const QString item = QLatin1String(c.menuItem);
        m_ctx.form->onClick(item, [this, code, item] {
            m_ctx.state.ReportTitle = m_ctx.form->caption(item);
            show(code);
        });
        m_ctx.form->setEnabled(QLatin1String(c.menuItem), true);
    }
}

QString Reports::path() const {
    return m_ctx.state.DataPath + QLatin1String(kPrefix) + copyTag() + QStringLiteral(".htm");
}

bool Reports::MakeReport(const QString& code) {
    const GridModel* grid = m_ctx.form->grid(ctl::POGrid);
    QVector<QStringList> rows;
    rows.reserve(grid->rows());
    for (int r = 1; r < grid->rows(); ++r) rows.append(grid->rowCells(r));
    const report::Customer customer{m_ctx.form->text(ctl::ToCombo),
                                    m_ctx.form->text(ctl::ToField)};
    const QByteArray bytes =
        report::make(code, rows, customer, m_ctx.state.ConfigRec, *m_ctx.formats);
    const QString file = path();
    return RecordLockRetry(*m_ctx.prompter, m_ctx.retry,
                           [&]() -> FileError { return replaceFile(file, bytes); });
}

void Reports::show(const QString& code) {
    if (!m_ctx.state.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return;
    }
    m_ctx.form->setBusy(true);
    const bool made = MakeReport(code);
    m_ctx.form->setBusy(false);
    // A report that could not be written is not shown: an old one would pass for it.
    if (!made) return;
    m_ctx.state.DisplayFile = path();
    m_lastCode = code;
    if (m_ctx.hooks.ShowViewer) m_ctx.hooks.ShowViewer();
}

void Reports::removeOwn() {
    if (!m_ctx.state.DataPath.isEmpty()) removeFile(path());
}

void Reports::removeStale() {
    if (m_ctx.state.DataAccessOK)
        removeFilesOfEndedCopies(m_ctx.state.DataPath, QLatin1String(kPrefix), QStringLiteral(".htm"));
}
