#include "html/PageWriter.h"

#include <algorithm>
#include <cmath>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "html/MarkerText.h"
#include "html/PageFormat.h"
#include "shell/ConfigRecord.h"

namespace {

const QLatin1String kLineEnd("\r\n");
const QLatin1String kSmallCell("<td valign=\"top\"><font size=\"-1\">");
const QLatin1String kSmallRightCell("<td valign=\"top\" align=\"right\"><font size=\"-1\">");
const QLatin1String kEndCell("</td>");
const QLatin1String kTotalsRowStart("<tr><td></td>\r\n<td></td>\r\n<td></td>\r\n");
const QLatin1String kAmountCell("<td align=\"right\"><font size=\"-1\">");
const QLatin1String kEmptyCells("<tr><td></td><td></td><td></td>");
const QLatin1String kSmall("<td><font size=\"-1\">");
const QLatin1String kSmallRight("<td align=\"right\"><font size=\"-1\">");
const QLatin1String kRowEnd("</tr>");

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

using Field = const QString SalesDocument::*;


// Table rows on one line, and how many rows they count for when the item
// table is filled up.
struct PaymentsBlock {
    QString html;
    int rows = 0;
};

class Page {
public:
    Page(const SalesDocument& doc, const ConfigRecord& settings, const Formats& formats)
        : m_doc(doc), m_cfg(settings), m_formats(formats) {}

    QString build();

private:
    QString field(Field f) const { return trimBlanks(m_doc.*f); }
    // A field as the printed part shows it.
    QString shown(Field f) const { return htmlEscaped(field(f)); }
    void line(const QString& text) {
        m_out += text;
        m_out += kLineEnd;
    }
    void dataSection();
    void letterhead();
    void addressBlock(const char* heading, Field name, Field lines);
    void itemTable();
    void totalsRow(const QString& label, const QString& amountCell);
    void totals();
    PaymentsBlock paymentsBlock() const;

    // An amount as the page prints it; a text that is no amount as it stands.
    QString currency(const QString& text) const {
        const QString t = trimBlanks(text);
        const CurrencyParse p = m_formats.toMoneyAmount(t);
        return htmlEscaped(p.ok() ? m_formats.currency(p.value) : t);
    }
    bool nonZero(Field f) const {
        const CurrencyParse p = m_formats.toMoneyAmount(field(f));
        return p.status == NumberStatus::OutOfRange || (p.ok() && p.value.raw() != 0);
    }
    QString percent(Field factor) const {
        const NumberParse p = m_formats.readNumber(CleanNumber(m_doc.*factor));
        const double value = p.ok() ? p.value : 0.0;
        // Near the top of a double's range the product overflows; the same
        // number is the factor's digits with two more zeros.
        if (!std::isfinite(value * 100)) return generalNumber(value) + QLatin1String("00");
        return generalNumber(value * 100);
    }

    const SalesDocument& m_doc;
    const ConfigRecord& m_cfg;
    const Formats& m_formats;
    QString m_out;
};

QString Page::build() {
    m_out.reserve(4096 + m_doc.items.size() * 400);
    dataSection();
    const qsizetype printed = m_out.size();

    line(QStringLiteral("<head>"));
    line(QStringLiteral("</head>"));
    line(QStringLiteral("<body>"));
    line(QLatin1String("<BASEFONT FACE=\"") + htmlEscaped(trimBlanks(m_cfg.fontName)) +
         QLatin1String("\" SIZE=\"1\">"));
    line(QLatin1String("<table border=0 cellspacing=0 width=\"") + htmlEscaped(trimBlanks(m_cfg.pageWidth)) +
         QLatin1String("\"><tr><td>"));
    line(QStringLiteral("<table width=\"100%\"><tr>"));
    line(QStringLiteral("<td align=\"left\" valign=\"top\">"));
    letterhead();
    line(QStringLiteral("</td>"));
    line(QStringLiteral("<td align=\"right\" valign=\"top\">"));
    line(QLatin1String("<font size=\"6\"><b>") + QLatin1String(kindInfo(m_doc.kind).pageTitle) +
         QLatin1String("</b></font><br>"));
    line(QLatin1String("<b>No: ") + htmlEscaped(m_doc.number) + QLatin1String("</b><br>"));
    line(QStringLiteral(
        "<font size=\"-2\">Please note number above on all correspondence!</font><br>"));
    const QString job = shown(&SalesDocument::jobNumber);
    if (!job.isEmpty()) line(QLatin1String("<font size=\"-1\">Ref. No.: ") + job + "<br>");
    line(QLatin1String("<font size=\"-1\">Issue Date: ") + shown(&SalesDocument::orderDate));
    line(QStringLiteral("</td>"));
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<table width=\"100%\"><tr>"));
    addressBlock("Sold To:", &SalesDocument::soldTo, &SalesDocument::soldToLines);
    addressBlock("Ship To:", &SalesDocument::shipTo, &SalesDocument::shipToLines);
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<p>"));

    line(QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\"><tr>"));
    for (const auto& [label, f] : {std::pair{"By: ", &SalesDocument::by},
                                   {"Ship Date: ", &SalesDocument::shipDate},
                                   {"Via: ", &SalesDocument::shipVia},
                                   {"FOB: ", &SalesDocument::fob},
                                   {"Terms: ", &SalesDocument::terms}}) {
        line(QLatin1String("<td><font size=\"-1\">") + QLatin1String(label) + shown(f) + kEndCell);
    }
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<p>"));

    itemTable();
    line(QStringLiteral("</table>"));
    const QString comment = shown(&SalesDocument::comments);
    if (!comment.isEmpty()) {
        line(QLatin1String("<center><font size=\"-1\">") + comment + QLatin1String("</center><p>"));
    }
    line(QStringLiteral("<table width=\"100%\" border=\"0\" cellspacing=\"0\"><tr>"));
    line(QStringLiteral("<td><br>&nbsp;</td>"));
    line(m_doc.kind == DocumentKind::Proposal
             ? QStringLiteral("<br><td><font size=\"-1\">Accepted by: </font></td>")
             : QStringLiteral("<br><td></td>"));
    line(QStringLiteral("</tr></table>"));
    line(QStringLiteral("<hr size=\"1\" noshade>"));
    line(QStringLiteral("</td></tr></table>"));
    line(QStringLiteral("</body></html>"));

    keepMarkersOut(m_out, printed);
    return m_out;
}

void Page::dataSection() {
    line(QStringLiteral("<html>"));
    line(QLatin1String("<!-- ") + QLatin1String(pageformat::kKindTag) + u' ' +
         QChar(kindInfo(m_doc.kind).code) + u' ' + QLatin1String(pageformat::kKindTag) +
         QLatin1String(" -->"));
    for (const pageformat::Marker& m : pageformat::kMarkers) {
        const QLatin1String tag(m.tag);
        m_out += QLatin1String("<!-- ") + tag + u' ';
        m_out += markerValue(m_doc.*m.field);
        m_out += u' ' + tag + QLatin1String(" -->");
        m_out += kLineEnd;
    }
    // Item lines stay inside one comment, closed by the END line.
    for (const QStringList& cells : m_doc.items) {
        m_out += QLatin1String(pageformat::kItemHead);
        for (int col = 0; col < kItemColumns; ++col) {
            if (col > 0) m_out += u'\t';
            m_out += markerValue(cells.value(col));
        }
        m_out += kLineEnd;
    }
    line(QLatin1String(pageformat::kEndLine));
}

void Page::letterhead() {
    if (m_cfg.companyId == QLatin1String("Y")) {
        line(QLatin1String("<img src=\"") + htmlEscaped(trimBlanks(m_cfg.topGraphic)) +
             QLatin1String("\">"));
        return;
    }
    for (std::size_t i = 0; i < m_cfg.companyLines.size(); ++i) {
        // The letterhead is the business's own, markup included.
        const QString text = trimBlanks(m_cfg.companyLines[i]);
        if (text.isEmpty()) continue;
        line(i == 0 ? QLatin1String("<b>") + text + QLatin1String("</b><br>")
                    : text + QLatin1String("<br>"));
    }
}

void Page::addressBlock(const char* heading, Field name, Field lines) {
    line(QStringLiteral("<td width=\"50%\" valign=\"top\"><font size=\"-1\">"));
    line(QLatin1String("<b>") + QLatin1String(heading) + QLatin1String("</b><p>"));
    QString html;
    MakeHTML_NoteBlock(shown(lines), html);
    line(shown(name) + QLatin1String("<br>") + html);
    line(QStringLiteral("</td>"));
}

PaymentsBlock Page::paymentsBlock() const {
    PaymentsBlock block;
    block.html = kEmptyCells + kSmall + QLatin1String("Payments:") + kEndCell +
                 QLatin1String("<td></td>") + kRowEnd;
    for (const PaymentRow& row : m_doc.paymentRows) {
        block.html += kEmptyCells + kSmall + htmlEscaped(trimBlanks(row.date)) + kEndCell + kSmallRight + u'-' +
                      currency(row.amount) + kEndCell + kRowEnd;
        ++block.rows;
    }
    const std::optional<Currency> balance = m_doc.amount(&SalesDocument::balanceDue, m_formats);
    block.html += kEmptyCells + kSmall + QLatin1String("Balance Due:") + kEndCell + kSmallRight +
                  (balance ? m_formats.currency(*balance) : QString()) + kEndCell + kRowEnd;
    ++block.rows;
    return block;
}

void Page::itemTable() {
    line(QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellpadding=\"1\" cellspacing=\"0\"><tr>"));
    line(QStringLiteral("<td width=\"7%\"><font size=\"-1\">Quant</td>"));
    line(QStringLiteral("<td width=\"7%\"><font size=\"-1\">Unit</td>"));
    line(QStringLiteral("<td width=\"56%\"><font size=\"-1\">Description</td>"));
    line(QStringLiteral("<td width=\"15%\" align=\"right\"><font size=\"-1\">Unit Price</td>"));
    line(QStringLiteral("<td width=\"15%\" align=\"right\"><font size=\"-1\">Amount</td>"));
    line(QStringLiteral("</tr>"));

    const int perLine = m_cfg.descriptionChars;
    qint64 used = m_doc.items.size() + 1;  // the lines and one more
    for (const QStringList& cells : m_doc.items) {
        const QString maker = trimBlanks(cells.value(ItemMaker));
        const QString description = trimBlanks(cells.value(ItemDescription));
        const auto cell = [&cells](int column) { return htmlEscaped(trimBlanks(cells.value(column))); };
        // A length of 0 or less means no wrapping is expected.
        if (perLine > 0) used += (maker.size() + description.size()) / perLine;
        line(QStringLiteral("<tr>"));
        line(kSmallCell + cell(ItemQuantity) + kEndCell);
        line(kSmallCell + cell(ItemUnit) + kEndCell);
        line(kSmallCell + htmlEscaped(maker) + u' ' + htmlEscaped(description) + kEndCell);
        line(kSmallRightCell + currency(cells.value(ItemUnitPrice)) + kEndCell);
        line(kSmallRightCell + currency(cells.value(ItemAmount)) + kEndCell);
        line(QStringLiteral("</tr>"));
    }

    if (nonZero(&SalesDocument::discount)) used += 2;
    if (nonZero(&SalesDocument::salesTax)) used += 1;
    if (nonZero(&SalesDocument::otherTax)) used += 1;
    if (nonZero(&SalesDocument::shipping)) used += 1;
    // Compared by value: "0,00" under a comma locale is no payment either.
    const bool listsPayments = m_doc.hasPayments(m_formats);
    PaymentsBlock payments;
    if (listsPayments) {
        payments = paymentsBlock();
        used += payments.rows;
    }
    for (qint64 n = m_cfg.sigLineSpace - used; n > 0; --n) {
        line(QStringLiteral(
            "<tr bordercolor=\"white\" cellpadding=\"0\" cellspacing=\"0\"><td></td>"));
        line(QStringLiteral("<td></td>"));
        line(QStringLiteral("<td></td>"));
        line(QStringLiteral("<td>:</td>"));
        line(QStringLiteral("<td>:</td>"));
        line(QStringLiteral("</tr>"));
    }
    totals();
    if (listsPayments) line(payments.html);
}

void Page::totalsRow(const QString& label, const QString& amountCell) {
    m_out += kTotalsRowStart;
    line(QLatin1String("<td><font size=\"-1\">") + label + kEndCell);
    line(amountCell);
    line(QStringLiteral("</tr>"));
}

void Page::totals() {
    const auto amount = [this](Field f) { return kAmountCell + currency(m_doc.*f) + kEndCell; };
    totalsRow(QStringLiteral("Sub Total"), amount(&SalesDocument::subTotal));
    if (nonZero(&SalesDocument::discount)) {
        totalsRow(QLatin1String("Disc. (") + percent(&SalesDocument::discountFactor) +
                      QLatin1String("%)"),
                  QLatin1String("<td align=\"right\">-<font size=\"-1\">") +
                      currency(m_doc.discount) + kEndCell);
        totalsRow(QStringLiteral("Total (Net)"), amount(&SalesDocument::netTotal));
    }
    if (nonZero(&SalesDocument::salesTax)) {
        totalsRow(htmlEscaped(trimBlanks(m_cfg.taxName1)) + QLatin1String(" (") +
                      percent(&SalesDocument::taxFactor) + QLatin1String("%)"),
                  amount(&SalesDocument::salesTax));
    }
    if (nonZero(&SalesDocument::otherTax)) {
        totalsRow(htmlEscaped(trimBlanks(m_cfg.taxName2)) + QLatin1String(" (") +
                      percent(&SalesDocument::otherTaxFactor) + QLatin1String("%)"),
                  amount(&SalesDocument::otherTax));
    }
    if (nonZero(&SalesDocument::shipping)) {
        totalsRow(QStringLiteral("Shipping"), amount(&SalesDocument::shipping));
    }
    totalsRow(QStringLiteral("Order Total"), amount(&SalesDocument::orderTotal));
}

}  // namespace

QByteArray writePage(const SalesDocument& doc, const ConfigRecord& settings,
                     const Formats& formats) {
    return cp1252::encode(Page(doc, settings, formats).build());
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

QString htmlEscaped(const QString& text) {
    if (!std::any_of(text.begin(), text.end(), [](QChar c) {
            return c == u'<' || c == u'>' || c == u'&' || c == u'"' || c == u'\'';
        })) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 16);
    appendHtmlEscaped(out, text);
    return out;
}

void appendHtmlEscaped(QString& out, QStringView text) {
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i].unicode()) {
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            case '&': entity = "&amp;"; break;
            case '"': entity = "&quot;"; break;
            case '\'': entity = "&#39;"; break;
            default: continue;
        }
        out += text.mid(plainFrom, i - plainFrom);
        out += QLatin1String(entity);
        plainFrom = i + 1;
    }
    out += text.mid(plainFrom);
}

QString generalNumber(double value) {
    // Rounded to 15 significant digits first, so .065 * 100 reads 6.5.
    const double rounded = QString::number(value, 'g', 15).toDouble();
    if (rounded == 0 || !std::isfinite(rounded)) return QStringLiteral("0");
    return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}
