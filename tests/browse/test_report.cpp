// Summary reports and the CSV export: the report pages byte for byte as the
// layout has them, the export's quoting, and both commands' files.
#include <QtTest>
#include <cerrno>

#include "base/Cp1252.h"
#include "browse/Export.h"
#include "browse/Report.h"
#include "records/FileError.h"
#include "records/ProgramFixture.h"
#include "shell/ConfigRecord.h"

namespace {

QStringList row(const char* number, const char* date, const char* soldTo, const char* kind,
                const QStringList& amounts) {  // total, shipping, tax, other tax
    return {number, "", date, soldTo, "", "", amounts[0], amounts[1], amounts[2], "", "", "",
            kind, amounts[3], "2026\\"};
}

const QVector<QStringList> kRows = {
    row("000005", "12/5/2026", "Acme Hardware", "i", {"1,100.00", "10.00", "80.00", "10.00"}),
    row("000004", "12/4/2026", "Acme Hardware", "p", {"9,999.00", "1.00", "1.00", "1.00"}),
    row("000003", "12/3/2026", "acme hardware", "i", {"50.00", "0.00", "4.00", "1.00"}),
    row("000001", "11/30/2026", "Acme Hardware", "i", {"212.50", "2.50", "10.00", "0.00"}),
};

ConfigRecord settings() {
    ConfigRecord c;
    c.fontName = "Verdana";
    c.pageWidth = "700";
    c.companyId = "N";
    c.companyLines = {"Brookside Supply Co.", "1 Mill Lane", "", "Riverton, OR 97000", " "};
    c.taxName1 = "ST";
    c.taxName2 = "City";
    c.topGraphic = "ovo_top.gif";
    return c;
}

QString pad(const char* text) {
    return QString::fromLatin1(text).leftJustified(60, u' ');
}

QByteArray crlf(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

const QStringList kHead = {"<html>", "<head>", "</head>", "<body>",
                           "<BASEFONT FACE=\"Verdana\" SIZE=\"1\">",
                           "<table border=0 cellspacing=0 width=\"700\"><tr><td>",
                           "<table width=\"100%\"><tr>", "<td align=\"left\" valign=\"top\">"};
const QStringList kTableHead = {
    "<p>", "<table width=\"100%\" border=\"1\" cellpadding=\"1\" cellspacing=\"0\"><tr>",
    "<td><font size=\"-1\">Number</td>", "<td><font size=\"-1\">Date</td>",
    "<td><font size=\"-1\">Customer</td>", "<td align=\"right\"><font size=\"-1\">Total</td>",
    "</tr>"};

QStringList docRow(const char* number, const char* date, const char* name, const char* total) {
    return {"<tr>",
            QString("<td valign=\"top\"><font size=\"-1\">%1</td>").arg(number),
            QString("<td valign=\"top\"><font size=\"-1\">&nbsp;%1</td>").arg(date),
            QString("<td valign=\"top\"><font size=\"-1\">&nbsp;%1</td>").arg(name),
            QString("<td  align=\"right\" valign=\"top\"><font size=\"-1\">&nbsp;%1</td>").arg(total),
            "</tr>"};
}

QStringList closing(const char* total, const char* shipping, const char* st, const char* city,
                    const char* net) {
    const auto sum = [](const QString& label, const char* amount) {
        return QStringList{"<tr><td></td>", "<td></td>",
                           "<td align=\"right\"><font size=\"-1\">" + label + "</td>",
                           QString("<td align=\"right\"><font size=\"-1\">%1</td>").arg(amount),
                           "</tr>"};
    };
    return QStringList{"<tr><td></td>", "<td></td>",
                       "<td align=\"right\"><font size=\"-1\"><b>Total</b></td>",
                       QString("<td align=\"right\"><font size=\"-1\"><b>%1</b></td>").arg(total),
                       "</tr>", "<tr><td></td>", "<td></td>", "<td></td>", "<td>&nbsp;</td>",
                       "</tr>"} +
           sum("Total above includes shipping charges of:", shipping) +
           sum("Total above includes ST of:", st) + sum("Total above includes City of:", city) +
           sum("Net (less shipping and taxes):", net) +
           QStringList{"</table>", "</td></tr></table>", "</body></html>"};
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Written by hand from the layout: every invoice of the list in its
    // order, the proposal skipped, the letterhead as stored.
    void allInvoices() {
        const QByteArray expected = crlf(
            kHead +
            QStringList{"<b>" + pad("Brookside Supply Co.") + "</b><br>", pad("1 Mill Lane") + "<br>",
                        pad("Riverton, OR 97000") + "<br>", "</td>",
                        "<td align=\"right\" valign=\"top\">",
                        "<font size=\"4\"><b>INVOICES</b></font><br>", "</td>", "</tr></table>"} +
            kTableHead + docRow("000005", "12/5/2026", "Acme Hardware", "1,100.00") +
            docRow("000003", "12/3/2026", "acme hardware", "50.00") +
            docRow("000001", "11/30/2026", "Acme Hardware", "212.50") +
            closing("$1,362.50", "$12.50", "$94.00", "$11.00", "$1,245.00"));
        QCOMPARE(report::make("Ai", kRows, {}, settings(), usFormats()), expected);
    }

    // One customer, compared with case: the logo, the Sold To block with its
    // two address lines, only that name's rows.
    void oneCustomer() {
        ConfigRecord c = settings();
        c.companyId = "Y";
        const QByteArray expected = crlf(
            kHead +
            QStringList{"<img src=\"ovo_top.gif\">", "</td>", "<td align=\"right\" valign=\"top\">",
                        "<font size=\"4\"><b>INVOICES</b></font><br>", "</td>", "</tr></table>",
                        "<table width=\"100%\"><tr>",
                        "<td width=\"50%\" valign=\"top\"><font size=\"-1\">", "<b>Sold To:</b><p>",
                        "Acme Hardware<br>", "12 Main St<br>", "Springfield<p>", "</td>",
                        "<td width=\"50%\" valign=\"top\"><font size=\"-1\">", "</td>",
                        "</tr></table>"} +
            kTableHead + docRow("000005", "12/5/2026", "Acme Hardware", "1,100.00") +
            docRow("000001", "11/30/2026", "Acme Hardware", "212.50") +
            closing("$1,312.50", "$12.50", "$90.00", "$10.00", "$1,200.00"));
        const report::Customer acme{" Acme Hardware ", "12 Main St\r\nSpringfield"};
        QCOMPARE(report::make("Ci", kRows, acme, c, usFormats()), expected);
    }

    // No rows of the kind: the head, zero sums. Typed markup in a name is
    // shown as typed; a "<!--" would hide the table.
    void emptyAndMarkup() {
        const QByteArray none = report::make("AI", kRows, {}, settings(), usFormats());
        QVERIFY(none.contains("<b>Receipts</b>") && !none.contains("000005"));
        QVERIFY(none.contains("<b>$0.00</b>"));
        QVector<QStringList> rows = kRows;
        rows[0][3] = "<!-- Tom & Co";
        const report::Customer tom{"<!-- Tom & Co", "<b>"};
        const QByteArray page = report::make("Ci", rows, tom, settings(), usFormats());
        QVERIFY(!page.contains("<!--") && !page.contains("\r\n<b>\r\n"));
        QCOMPARE(page.count("&lt;!-- Tom &amp; Co"), 2);
    }

    // The menu command writes this copy's own report and shows it; a
    // failed write shows nothing. The report goes when the program closes.
    void commandsWriteAndShowTheirOwnFile() {
        ProgramFixture x;
        QStringList viewed;
        x.t.app->context().hooks.ShowViewer = [&] { viewed << x.t.app->state().DisplayFile; };
        const QString file = x.t.app->reports().path();
        QVERIFY(file.startsWith(x.data("report-")) && file.endsWith(
                    "-" + QString::number(QCoreApplication::applicationPid()) + ".htm"));
        x.form().click("mu_ReportsAllInvoices");
        QCOMPARE(viewed, QStringList{file});
        QVERIFY(readFile(file).contains("<b>INVOICES</b>"));
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Replace && path.contains("report-") ? FileError::systemError(ENOSPC)
                                                                     : FileError::none();
        });
        x.form().click("mu_RecCurCust");
        QCOMPARE(viewed.size(), 1);
        QCOMPARE(x.asked().last().title, "File Error");
        QVERIFY(readFile(file).contains("<b>INVOICES</b>"));
        setFileFaultHook({});
        // A report of an ended copy of this host goes at start; a live one stays.
        const QString stale = QString(file).replace(QString::number(QCoreApplication::applicationPid()), "999999999");
        writeFile(stale, "old");
        QVERIFY(x.t.app->close());
        QVERIFY(!QFile::exists(file));
        TestApp again(x.dir.path());
        again.app->start();
        QVERIFY(!QFile::exists(stale));
    }

    // The export command: a bare name gains ".csv"; an existing file is
    // replaced only on Yes and never left half written; Yes at the end opens
    // the file with the desktop's program for it.
    void exportCommand() {
        struct Desktop : FakeDesktop {
            QString chosen;
            QStringList opened;
            QString chooseSaveFile(const QString&, const QString&) override { return chosen; }
            bool openFile(const QString& path) override { return opened << path, true; }
        } desktop;
        ProgramFixture x("ovo_data2.dat", indexRecord('i', "000001", "2026\\"));
        x.t.app->context().desktop = &desktop;
        desktop.chosen = x.data("out");
        writeFile(x.data("out.csv"), "old");
        const auto run = [&](QList<MsgButton> answers) {
            x.asked().clear();
            x.t.prompter.answers = answers;
            x.form().click("mu_DataExport");
            QStringList titles;
            for (const AskedMessage& m : x.asked()) titles << m.title;
            return titles.join(',');
        };
        QCOMPARE(run({MsgButton::No}), "Confirm");
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Write && path.contains("out.csv") ? FileError::systemError(ENOSPC)
                                                                   : FileError::none();
        });
        QCOMPARE(run({MsgButton::Yes}), "Confirm,File Error");
        QCOMPARE(readFile(x.data("out.csv")), "old");
        QCOMPARE(QDir(x.data("")).entryList({"out.csv*"}), QStringList{"out.csv"});
        setFileFaultHook({});
        QCOMPARE(run({MsgButton::Yes, MsgButton::Yes}), "Confirm,Export Complete");
        QVERIFY(readFile(x.data("out.csv")).startsWith("\"Number\""));
        QCOMPARE(desktop.opened, QStringList{x.data("out.csv")});
        desktop.chosen.clear();  // cancelled
        QCOMPARE(run({}), "");
    }

    // The export of an index built from the record layout: the header, one
    // line per listed kind in file order, quotes doubled, formulas defused.
    void exportLines() {
        const QByteArray index =
            indexRecord('i', "000001", "2026\\", "=1+2", 46362, "Caf\xe9, \"Ltd\"", "-Dock 4",
                        0, {12345000, 50000, 0, 0, 0, 0, 10000}) +
            indexRecord('D', "000002", "2026\\") + indexRecord('x', "000003", "2026\\") +
            indexRecord('P', "000004", "2026\\", "", 0, "@home") +
            indexRecord('p', "000005", "2026\\").left(100);
        ConfigRecord c = settings();
        c.taxName1 = "Tax";
        const csvexport::Result r = csvexport::make(index, c, usFormats());
        QCOMPARE(r.exported, 2);
        QVERIFY(r.cutRecord && r.beyondLimit == 0);
        QCOMPARE(cp1252::decode(r.bytes).split("\r\n"),
                 (QStringList{
                     "\"Number\",\"Job\",\"Date\",\"Sold To\",\"Ship To\",\"Ship Date\",\"Total\","
                     "\"Shipping\",\"Tax  \",\"City \",\"Net\",\"Discount\",\"List\"",
                     "\"000001\",\"'=1+2\",\"12/6/2026\",\"Caf\u00e9, \"\"Ltd\"\"\",\"'-Dock 4\","
                     "\"\",\"$1,234.50\",\"$5.00\",\"$0.00\",\"$1.00\",\"$0.00\",\"$0.00\",\"$0.00\"",
                     "\"000004\",\"\",\"\",\"'@home\",\"\",\"\",\"$0.00\",\"$0.00\",\"$0.00\","
                     "\"$0.00\",\"$0.00\",\"$0.00\",\"$0.00\"",
                     ""}));
        // A sample with a line break inside a value, for a spreadsheet-style
        // reader to parse (check_export.py).
        const QByteArray awkward = indexRecord('I', "000007", "2026\\", "+SUM(A1)", 0,
                                               "Caf\xe9, \"Ltd\"\r\nBack door", "x,y");
        writeFile(QStringLiteral(EXPORT_SAMPLE), csvexport::make(index.left(4 * 351) + awkward, c, usFormats()).bytes);
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
