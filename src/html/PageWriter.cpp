#include "html/PageWriter.h"
#include "forms/ControlNames.h"

#include <cmath>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "document/Document.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/MarkerText.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"

namespace {

enum Column { Quantity, Category, Maker, Unit, Description, UnitPrice, Amount, StockTag, kColumns };

// The fields of the data section, in file order.
const struct {
    const char* tag;
    const char* field;
} kMarkers[] = {
    {"PON", ctl::PONoEd},           {"JOB", ctl::JobNumberEd},
    {"ORD", ctl::OrderDateEd},      {"VND", ctl::ToCombo},
    {"STO", ctl::ShipToCombo},      {"SDA", ctl::ShipDateEd},
    {"TOT", ctl::OrderTotalEd},     {"SHP", ctl::ShippingEd},
    {"TAX", ctl::SalesTaxEd},       {"OTX", ctl::OtherTaxEd},
    {"NET", ctl::NetTotalEd},       {"DIS", ctl::DiscountEd},
    {"SUB", ctl::SubTotalEd},       {"BY?", ctl::ByEd},
    {"VIA", ctl::ShipViaEd},        {"FOB", ctl::FOBEd},
    {"TRM", ctl::TermsEd},          {"TAF", ctl::TaxFactorEd},
    {"OTF", ctl::OtherTaxFactorEd}, {"DIF", ctl::DiscountFactorEd},
    {"COM", ctl::CommentsEd},
};

const QLatin1String kLineEnd("\r\n");
const QLatin1String kSmallCell("<td valign=\"top\"><font size=\"-1\">");
const QLatin1String kSmallRightCell("<td valign=\"top\" align=\"right\"><font size=\"-1\">");
const QLatin1String kEndCell("</td>");
const QLatin1String kTotalsRowStart("<tr><td></td>\r\n<td></td>\r\n<td></td>\r\n");
const QLatin1String kAmountCell("<td align=\"right\"><font size=\"-1\">");

DocumentKind kindOnScreen(const FormModel& f) {
    for (DocumentKind k : {DocumentKind::Proposal, DocumentKind::Acknowledgement,
                           DocumentKind::Invoice, DocumentKind::Receipt}) {
        if (f.isChecked(QLatin1String(kindInfo(k).option))) return k;
    }
    return DocumentKind::Proposal;
}

// No line of the printed part may begin like a document marker: the page
// shows the same, and a reader never takes an address line for data.
void keepMarkersOut(QString& page, qsizetype from) {
    const QLatin1String head("<!--");
    for (qsizetype at = page.indexOf(head, from); at >= 0; at = page.indexOf(head, at + 2)) {
        if (page.at(at - 1) == u'\r' || page.at(at - 1) == u'\n') {
            page.insert(at, u' ');
        }
    }
}

class Page {
public:
    Page(const AppContext& ctx, const PageWriter::PaymentsBlockSource& payments)
        : m_ctx(ctx), m_f(*ctx.form), m_formats(*ctx.formats), m_payments(payments) {}

    QString build();

private:
    QString field(const char* name) const { return trimBlanks(m_f.text(QLatin1String(name))); }
    void line(const QString& text) {
        m_out += text;
        m_out += kLineEnd;
    }
    void dataSection(const GridModel& grid);
    void letterhead();
    void addressBlock(const char* heading, const char* nameField, const char* linesField);
    void itemTable(const GridModel& grid);
    void totalsRow(const QString& label, const QString& amountCell);
    void totals();

    // An amount as the page prints it; a text that is no amount as it stands.
    QString currency(const QString& text) const {
        const QString t = trimBlanks(text);
        const CurrencyParse p = m_formats.toMoneyAmount(t);
        return p.ok() ? m_formats.currency(p.value) : t;
    }
    bool nonZero(const char* name) const {
        const CurrencyParse p = m_formats.toMoneyAmount(field(name));
        return p.status == NumberStatus::OutOfRange || (p.ok() && p.value.raw() != 0);
    }
    QString percent(const char* factorField) const {
        const NumberParse p =
            m_formats.readNumber(CleanNumber(m_f.text(QLatin1String(factorField))));
        const double factor = p.ok() ? p.value : 0.0;
        // Near the top of a double's range the product overflows; the same
        // number is the factor's digits with two more zeros.
        if (!std::isfinite(factor * 100)) return generalNumber(factor) + QLatin1String("00");
        return generalNumber(factor * 100);
    }

    const AppContext& m_ctx;
    const FormModel& m_f;
    const Formats& m_formats;
    const PageWriter::PaymentsBlockSource& m_payments;
    QString m_out;
};

QString Page::build() {
    const GridModel& grid = *m_f.grid(ctl::OrderGrid);
    m_out.reserve(4096 + grid.rows() * 400);
    dataSection(grid);
    const qsizetype printed = m_out.size();

    const ConfigRecord& cfg = m_ctx.state.ConfigRec;
    line(QStringLiteral("<head>"));
    line(QStringLiteral("</head>"));
    line(QStringLiteral("<body>"));
    line(QLatin1String("<BASEFONT FACE=\"") + trimBlanks(cfg.fontName) +
         QLatin1String("\" SIZE=\"1\">"));
    line(QLatin1String("<table border=0 cellspacing=0 width=\"") + trimBlanks(cfg.pageWidth) +
         QLatin1String("\"><tr><td>"));
    line(QStringLiteral("<table width=\"100%\"><tr>"));
    line(QStringLiteral("<td align=\"left\" valign=\"top\">"));
    letterhead();
    line(QStringLiteral("</td>"));
    line(QStringLiteral("<td align=\"right\" valign=\"top\">"));
    line(QLatin1String("<font size=\"6\"><b>") +
         QLatin1String(kindInfo(kindOnScreen(m_f)).pageTitle) + QLatin1String("</b></font><br>"));
    line(QLatin1String("<b>No: ") + m_f.text(ctl::PONoEd) + QLatin1String("</b><br>"));
    line(QStringLiteral(
        "<font size=\"-2\">Please note number above on all correspondence!</font><br>"));
    const QString job = field(ctl::JobNumberEd);
    if (!job.isEmpty()) line(QLatin1String("<font size=\"-1\">Ref. No.: ") + job + "<br>");
    line(QLatin1String("<font size=\"-1\">Issue Date: ") + field(ctl::OrderDateEd));
    line(QStringLiteral("</td>"));
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<table width=\"100%\"><tr>"));
    addressBlock("Sold To:", ctl::ToCombo, ctl::ToField);
    addressBlock("Ship To:", ctl::ShipToCombo, ctl::ShipToField);
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<p>"));

    line(QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\"><tr>"));
    for (const auto& [label, name] : {std::pair{"By: ", ctl::ByEd},
                                      {"Ship Date: ", ctl::ShipDateEd},
                                      {"Via: ", ctl::ShipViaEd},
                                      {"FOB: ", ctl::FOBEd},
                                      {"Terms: ", ctl::TermsEd}}) {
        line(QLatin1String("<td><font size=\"-1\">") + QLatin1String(label) + field(name) +
             kEndCell);
    }
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<p>"));

    itemTable(grid);
    line(QStringLiteral("</table>"));
    const QString comment = field(ctl::CommentsEd);
    if (!comment.isEmpty()) {
        line(QLatin1String("<center><font size=\"-1\">") + comment + QLatin1String("</center><p>"));
    }
    line(QStringLiteral("<table width=\"100%\" border=\"0\" cellspacing=\"0\"><tr>"));
    line(QStringLiteral("<td><br>&nbsp;</td>"));
    line(kindOnScreen(m_f) == DocumentKind::Proposal
             ? QStringLiteral("<br><td><font size=\"-1\">Accepted by: </font></td>")
             : QStringLiteral("<br><td></td>"));
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<hr size=\"1\" noshade>"));
    line(QStringLiteral("</td></tr></table>"));
    line(QStringLiteral("</body></html>"));

    keepMarkersOut(m_out, printed);
    return m_out;
}

void Page::dataSection(const GridModel& grid) {
    line(QStringLiteral("<html>"));
    line(QLatin1String("<!-- ??? ") + QChar(kindInfo(kindOnScreen(m_f)).code) +
         QLatin1String(" ??? -->"));
    for (const auto& m : kMarkers) {
        const QLatin1String tag(m.tag);
        m_out += QLatin1String("<!-- ") + tag + u' ';
        m_out += markerValue(m_f.text(QLatin1String(m.field)));
        m_out += u' ' + tag + QLatin1String(" -->");
        m_out += kLineEnd;
    }
    // Item lines stay inside one comment, closed by the END line.
    for (int row = 1; row < grid.rows(); ++row) {
        m_out += QLatin1String("<!-- ITM ");
        for (int col = 0; col < kColumns; ++col) {
            if (col > 0) m_out += u'\t';
            m_out += markerValue(grid.cell(row, col));
        }
        m_out += kLineEnd;
    }
    line(QStringLiteral("<!-- END -->"));
}

void Page::letterhead() {
    const ConfigRecord& cfg = m_ctx.state.ConfigRec;
    if (cfg.companyId == QLatin1String("Y")) {
        line(QLatin1String("<img src=\"") + trimBlanks(cfg.topGraphic) + QLatin1String("\">"));
        return;
    }
    for (std::size_t i = 0; i < cfg.companyLines.size(); ++i) {
        const QString text = trimBlanks(cfg.companyLines[i]);
        if (text.isEmpty()) continue;
        line(i == 0 ? QLatin1String("<b>") + text + QLatin1String("</b><br>")
                    : text + QLatin1String("<br>"));
    }
}

void Page::addressBlock(const char* heading, const char* nameField, const char* linesField) {
    line(QStringLiteral("<td width=\"50%\" valign=\"top\"><font size=\"-1\">"));
    line(QLatin1String("<b>") + QLatin1String(heading) + QLatin1String("</b><p>"));
    QString lines;
    MakeHTML_NoteBlock(field(linesField), lines);
    line(field(nameField) + QLatin1String("<br>") + lines);
    line(QStringLiteral("</td>"));
}

void Page::itemTable(const GridModel& grid) {
    line(QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellpadding=\"1\" cellspacing=\"0\"><tr>"));
    line(QStringLiteral("<td width=\"7%\"><font size=\"-1\">Quant</td>"));
    line(QStringLiteral("<td width=\"7%\"><font size=\"-1\">Unit</td>"));
    line(QStringLiteral("<td width=\"56%\"><font size=\"-1\">Description</td>"));
    line(QStringLiteral("<td width=\"15%\" align=\"right\"><font size=\"-1\">Unit Price</td>"));
    line(QStringLiteral("<td width=\"15%\" align=\"right\"><font size=\"-1\">Amount</td>"));
    line(QStringLiteral("</tr>"));

    const int perLine = m_ctx.state.ConfigRec.descriptionChars;
    qint64 used = grid.rows();  // the lines and one more
    for (int row = 1; row < grid.rows(); ++row) {
        const QString maker = trimBlanks(grid.cell(row, Maker));
        const QString description = trimBlanks(grid.cell(row, Description));
        // A length of 0 or less means no wrapping is expected.
        if (perLine > 0) used += (maker.size() + description.size()) / perLine;
        line(QStringLiteral("<tr>"));
        line(kSmallCell + trimBlanks(grid.cell(row, Quantity)) + kEndCell);
        line(kSmallCell + trimBlanks(grid.cell(row, Unit)) + kEndCell);
        line(kSmallCell + maker + u' ' + description + kEndCell);
        line(kSmallRightCell + currency(grid.cell(row, UnitPrice)) + kEndCell);
        line(kSmallRightCell + currency(grid.cell(row, Amount)) + kEndCell);
        line(QStringLiteral("</tr>"));
    }

    if (nonZero(ctl::DiscountEd)) used += 2;
    if (nonZero(ctl::SalesTaxEd)) used += 1;
    if (nonZero(ctl::OtherTaxEd)) used += 1;
    if (nonZero(ctl::ShippingEd)) used += 1;
    PaymentsBlock payments;
    const bool hasPayments = field(ctl::PaymentsEd) != QLatin1String("0.00");
    if (hasPayments && m_payments) {
        payments = m_payments();
        used += payments.rows;
    }
    for (qint64 n = m_ctx.state.ConfigRec.sigLineSpace - used; n > 0; --n) {
        line(QStringLiteral(
            "<tr bordercolor=\"white\" cellpadding=\"0\" cellspacing=\"0\"><td></td>"));
        line(QStringLiteral("<td></td>"));
        line(QStringLiteral("<td></td>"));
        line(QStringLiteral("<td>:</td>"));
        line(QStringLiteral("<td>:</td>"));
        line(QStringLiteral("</tr>"));
    }
    totals();
    if (hasPayments && m_payments) line(payments.html);
}

void Page::totalsRow(const QString& label, const QString& amountCell) {
    m_out += kTotalsRowStart;
    line(QLatin1String("<td><font size=\"-1\">") + label + kEndCell);
    line(amountCell);
    line(QStringLiteral("</tr>"));
}

void Page::totals() {
    const auto amount = [this](const char* name) {
        return kAmountCell + currency(m_f.text(QLatin1String(name))) + kEndCell;
    };
    const ConfigRecord& cfg = m_ctx.state.ConfigRec;
    totalsRow(QStringLiteral("Sub Total"), amount(ctl::SubTotalEd));
    if (nonZero(ctl::DiscountEd)) {
        totalsRow(QLatin1String("Disc. (") + percent(ctl::DiscountFactorEd) + QLatin1String("%)"),
                  QLatin1String("<td align=\"right\">-<font size=\"-1\">") +
                      currency(m_f.text(ctl::DiscountEd)) + kEndCell);
        totalsRow(QStringLiteral("Total (Net)"), amount(ctl::NetTotalEd));
    }
    if (nonZero(ctl::SalesTaxEd)) {
        totalsRow(trimBlanks(cfg.taxName1) + QLatin1String(" (") + percent(ctl::TaxFactorEd) +
                      QLatin1String("%)"),
                  amount(ctl::SalesTaxEd));
    }
    if (nonZero(ctl::OtherTaxEd)) {
        totalsRow(trimBlanks(cfg.taxName2) + QLatin1String(" (") + percent(ctl::OtherTaxFactorEd) +
                      QLatin1String("%)"),
                  amount(ctl::OtherTaxEd));
    }
    if (nonZero(ctl::ShippingEd)) totalsRow(QStringLiteral("Shipping"), amount(ctl::ShippingEd));
    totalsRow(QStringLiteral("Order Total"), amount(ctl::OrderTotalEd));
}

}  // namespace

QByteArray PageWriter::page() const {
    return cp1252::encode(Page(m_ctx, m_payments).build());
}

bool PageWriter::MakeSnap(const QString& path) const {
    // Built whole before the file is touched, so a retry writes the same page.
    const QByteArray bytes = page();
    return RecordLockRetry(*m_ctx.prompter, m_ctx.retry,
                           [&]() -> FileError { return replaceFile(path, bytes); });
}

void MakeHTML_NoteBlock(const QString& input, QString& output) {
    output.clear();
    QString buffer;
    QChar previous;  // null: none
    const QString text = input + u'\n';
    for (const QChar c : text) {
        if (c != u'\r' && c != u'\n') {
            buffer += c;
            previous = c;
            continue;
        }
        if (previous != u'>') buffer += c == u'\n' ? QLatin1String("<p>") : QLatin1String("<br>");
        if (buffer != QLatin1String("<p>")) {
            output += kLineEnd;
            output += buffer;
        }
        buffer.clear();
        previous = QChar();
    }
}

QString generalNumber(double value) {
    // Rounded to 15 significant digits first, so .065 * 100 reads 6.5.
    const double rounded = QString::number(value, 'g', 15).toDouble();
    if (rounded == 0 || !std::isfinite(rounded)) return QStringLiteral("0");
    return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}
