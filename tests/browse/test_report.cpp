// Summary reports and the CSV export: the report pages byte for byte as the
// layout has them, the export's quoting, and both commands' files.
#include <QtTest>
#include <cerrno>

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

}  // namespace

class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Pages written by hand from the layout (data/reports): every invoice of
    // the list in its order, the proposal skipped, the letterhead as stored;
    // one customer, compared with case: the logo, the Sold To block with its
    // two address lines, only that name's rows.
    void pages() {
        const report::Customer acme{" Acme Hardware ", "12 Main St\r\nSpringfield"};
        for (const auto& [code, logo, page] :
             {std::tuple{"Ai", "N", "all-invoices"}, {"Ci", "Y", "one-customer"}}) {
            ConfigRecord c = settings();
            c.companyId = logo;
            QCOMPARE(report::make(code, kRows, acme, c, usFormats()),
                     readFile(QString(TESTDATA_DIR "/reports/%1.htm").arg(page)));
        }
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
        QCOMPARE(viewed.size(), 1);  // (the file and the box: test_faults)
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
    // replaced only on Yes; Yes at the end opens the file with the desktop's
    // program for it. (A write that fails: test_faults.)
    void exportCommand() {
        struct Desktop : FakeDesktop {
            QString chosen;
            QString chooseSaveFile(const QString&, const QString&) override { return chosen; }
        } desktop;
        ProgramFixture x("ovo_data2.dat", indexRecord('i', "000001", "2026\\"));
        x.t.app->context().desktop = &desktop;
        desktop.chosen = x.data("out");
        writeFile(x.data("out.csv"), "old");
        const auto run = [&](QList<MsgButton> answers) {
            x.asked().clear();
            x.t.prompter.answers = answers;
            x.form().click("mu_DataExport");
            return x.titles().join(',');
        };
        QCOMPARE(run({MsgButton::No}), "Confirm");
        QCOMPARE(readFile(x.data("out.csv")), "old");
        QCOMPARE(run({MsgButton::Yes, MsgButton::Yes}), "Confirm,Export Complete");
        QVERIFY(readFile(x.data("out.csv")).startsWith("\"Number\""));
        QCOMPARE(desktop.filesOpened, QStringList{x.data("out.csv")});
        desktop.chosen.clear();  // cancelled
        QCOMPARE(run({}), "");
    }

    // The export of an index built from the record layout (data/reports):
    // the header, one line per listed kind in file order, quotes doubled,
    // formulas defused.
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
        QCOMPARE(r.bytes, readFile(TESTDATA_DIR "/reports/export.csv"));
        // A sample with a line break inside a value, for a spreadsheet-style
        // reader to parse (check_export.py).
        const QByteArray awkward = indexRecord('I', "000007", "2026\\", "+SUM(A1)", 0,
                                               "Caf\xe9, \"Ltd\"\r\nBack door", "x,y");
        writeFile(QStringLiteral(EXPORT_SAMPLE), csvexport::make(index.left(4 * 351) + awkward, c, usFormats()).bytes);
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
