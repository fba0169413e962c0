// Every command that writes, with each of its file calls failing in turn,
// and again on a full disk: each file whole (as before or as after a clean
// run), the user told, the typing kept, no temporary file left, no
// document number twice in the index.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <cerrno>

#include "records/DataFile.h"
#include "records/FaultPlan.h"
#include "records/ProgramFixture.h"
#include "shell/PictureChooser.h"

namespace {

using Files = QMap<QString, QByteArray>;  // under the documents folder

const QStringList kPanel = {"StockCatCombo", "StockVendorCombo", "StockUnitCombo",
                            "StockDescriptionEd", "StockUnitCostEd"};

struct Fx : ProgramFixture {
    struct SaveDesktop : FakeDesktop {
        QString chosen;
        QString chooseSaveFile(const QString&, const QString&) override { return chosen; }
    } desktop;

    Fx() {
        desktop.chosen = data("out.csv");
        t.app->context().desktop = &desktop;
    }
    void typeDocument() {
        form().setText("ToCombo", "Acme");
        form().setText("ToField", "1 Main St");
        form().setText("TermsEd", "Net 30");
        form().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        t.app->session().markEdited();
    }
    void saveNew() {
        typeDocument();
        t.prompter.answers = {MsgButton::Yes};
        QVERIFY(t.app->session().SaveChanges());
    }
    void stockPanel(const QString& description) {
        const QStringList texts = {"Tools", "Acme", "ea", description, "10"};
        for (int i = 0; i < kPanel.size(); ++i) form().setText(kPanel[i], texts[i]);
    }
    void click(const QString& name, QList<MsgButton> answers = {}) {
        t.prompter.answers = answers;
        form().click(name);
    }
    // Every file, the name of this copy's own files and the folder's own
    // path made alike across runs.
    Files files(const QString& tag = copyTag()) {
        Files out;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = path.mid(dir.path().size() + 1).replace(tag, "TAG");
            const QByteArray folder = dir.path().toUtf8();
            out[name] = readFile(path).replace(folder, QByteArray(folder.size(), '#'));
        }
        return out;
    }
};

struct Command {
    const char* name;
    std::function<void(Fx&)> setup;
    std::function<void(Fx&)> run;
    QStringList mayChange;  // wildcards under the documents folder
    QStringList typed;      // fields the command is given
    QString storedIn;       // the file they go to: once it is written, they may go
};

const QStringList kDocument = {"*/ovo_data2.dat", "*/2026/*", "*_field.dat", "*/pay_data.dat",
                               "*/ovo_data/ovo_addy.dat"};
const QStringList kStock = {"*/ovo_stock.dat"}, kBook = {"*/ovo_addy.dat"},
                  kPay = {"*/pay_data.dat"};

const QList<Command>& commands() {
    const auto none = [](Fx&) {};
    const auto saved = [](Fx& x) {
        x.saveNew();
        x.form().setText("TermsEd", "Net 60");
    };
    const auto payment = [](Fx& x) {
        x.form().setText("PONoEd", "000012");
        x.form().setText("OrderTotalEd", "100.00");
        x.form().setText("PaymentDateEd", "12/6/2026");
        x.form().setText("PaymentAmountEd", "5");
    };
    static const QList<Command> table = {
        {"save new", &Fx::typeDocument, [](Fx& x) { x.click("SaveChanges", {MsgButton::Yes}); },
         kDocument, {"ToCombo", "ToField", "TermsEd"}, "*/000001.htm"},
        {"save", saved, [](Fx& x) { x.click("SaveChanges"); }, kDocument, {"TermsEd"},
         "*/000001.htm"},
        {"save as new", saved, [](Fx& x) { x.click("Save_PO", {MsgButton::Yes, MsgButton::Yes}); },
         kDocument, {"TermsEd"}, "*/000002.htm"},
        {"new", saved, [](Fx& x) { x.click("NewPO", {MsgButton::Yes, MsgButton::Yes}); }, kDocument,
         {"TermsEd"}, "*/000001.htm"},
        {"delete from the list",
         [](Fx& x) {
             x.saveNew();
             x.grid("POGrid").setCurrentRow(1);
             x.form().rightClick("POGrid");
         },
         [](Fx& x) { x.click("POPop_delete", {MsgButton::Yes}); }, kDocument, {}, {}},
        {"stock new", [](Fx& x) { x.stockPanel("Hammer"); },
         [](Fx& x) { x.click("SaveNewStockItem"); }, kStock, kPanel, kStock[0]},
        {"stock change",
         [](Fx& x) {
             x.stockPanel("Hammer");
             x.click("SaveNewStockItem");
             x.grid("StockGrid").setCurrentRow(1);
             x.click("StockGrid");
             x.form().setText("StockDescriptionEd", "Mallet");
         },
         [](Fx& x) { x.click("SaveChangedStockItem"); }, kStock, kPanel, kStock[0]},
        {"stock delete",
         [](Fx& x) {
             x.stockPanel("Hammer");
             x.click("SaveNewStockItem");
             x.grid("StockGrid").setCurrentRow(1);
             x.click("StockGrid");
         },
         [](Fx& x) { x.click("DeleteStockItem", {MsgButton::Yes}); }, kStock, {}, {}},
        {"address save",
         [](Fx& x) {
             x.form().setText("ToCombo", "Acme");
             x.form().setText("ToField", "1 Main St");
         },
         [](Fx& x) { x.click("ChangedVendor"); }, kBook, {"ToCombo", "ToField"}, kBook[0]},
        {"address delete",
         [](Fx& x) {
             x.form().setText("ToCombo", "Acme");
             x.form().setText("ToField", "1 Main St");
             x.click("ChangedVendor");
             x.choose("ToCombo", "Acme");
         },
         [](Fx& x) { x.click("DeleteVendor", {MsgButton::Yes}); }, kBook, {}, {}},
        {"payment save", payment, [](Fx& x) { x.click("SavePayment"); }, kPay,
         {"PaymentDateEd", "PaymentAmountEd"}, kPay[0]},
        {"payment delete",
         [payment](Fx& x) {
             payment(x);
             x.click("SavePayment");
             x.click("ShowPayments");
             x.grid("PaymentsGrid").setCurrentRow(1);
             x.click("PaymentsGrid");
         },
         [](Fx& x) { x.click("DeletePayment"); }, kPay, {}, {}},
        {"history add",
         [](Fx& x) {
             x.form().setText("TermsEd", "Net 30");
             x.form().setText("ByEd", "Ann");
         },
         [](Fx& x) { x.t.app->history().AddToUserFields(); }, {"*_field.dat"}, {"TermsEd"},
         "*/ter_field.dat"},
        {"history delete",
         [](Fx& x) {
             writeFile(x.data("fob_field.dat"), "Origin\r\nDest\r\n");
             x.form().fire("FOBEd", FormModel::Event::GotFocus);
             x.form().setText("FOBEd", "Dest");
         },
         [](Fx& x) { x.form().fire("FOBEd", FormModel::Event::EditDelete); }, {"*/fob_field.dat"}, {}, {}},
        {"configuration at exit", [](Fx& x) { x.t.app->state().ConfigRec.fontName = "Georgia"; },
         [](Fx& x) { x.t.app->close(); }, {"*/ovo_14.cfg"}, {}, {}},
        {"report", none, [](Fx& x) { x.click("mu_ReportsAllInvoices"); }, {"*/report-*"}, {}, {}},
        {"export", &Fx::saveNew, [](Fx& x) { x.click("mu_DataExport"); }, {"*/out.csv"}, {}, {}},
        {"logo copy",
         [](Fx& x) {
             QDir().mkpath(x.dir.filePath("pictures"));
             writeFile(x.dir.filePath("pictures/logo.png"), "PNG bytes");
             x.t.app->state().PickedPicPath = x.dir.filePath("pictures/last.png");
             x.windows.script = [](FormModel& w) {
                 if (w.name() == u"OVO_ProgConfigForm") w.click("SelectGraphic");
                 if (w.name() != u"OVO_SelectPicForm") return;
                 GridModel* files = w.grid(ctl::pic::File1);
                 for (int r = 1; r < files->rows(); ++r) {
                     if (files->cell(r, 0) != u"logo.png") continue;
                     files->setCurrentRow(r);
                     w.click(ctl::pic::File1);
                     static_cast<PictureForm&>(w).previewShown(QSize(120, 40), false);
                     w.click(ctl::pic::Command1);
                 }
             };
         },
         [](Fx& x) { x.click("mu_Configuration"); }, {"*/logo.png"}, {}, {}},
        {"rewrite",
         [](Fx& x) {
             x.t.app->state().ConfigRec.fontName = "Georgia";
             x.saveNew();
             x.click("MakeOrder");  // the view's own page, as the command writes it first
             x.windows.script = [](FormModel& w) {
                 if (w.name() == u"OVO_ProgDisplayForm") w.click("Configuration");
                 if (w.name() != u"OVO_ProgConfigForm") return;
                 w.click("DefaultFont");
                 w.click("ReWrite");
             };
         },
         [](Fx& x) { x.click("MakeOrder"); }, {"*/ovo_data/2026/*", "*/ovo-TAG.htm"}, {}, {}},
        {"address import",
         [](Fx& x) {
             QByteArray contact(1047, ' ');
             contact.replace(0, 3, "1Jo");
             writeFile(x.dir.filePath("export.dat"), contact.repeated(3));
         },
         [](Fx& x) { x.t.app->addressImport().importFile(x.dir.filePath("export.dat"), 'T'); },
         kBook, {}, {}},
        {"old index conversion",
         [](Fx& x) {
             writeFile(x.data("ovo_data.dat"), QByteArray(203, '\0').replace(0, 7, "i000001"));
             x.t.app->state().ConfigRec.oldDataConverted = "N";
         },
         [](Fx& x) {
             x.t.prompter.answers = {MsgButton::Ok};
             x.t.app->index().CheckForOldData();
         },
         {"*/ovo_data2.dat*"}, {}, {}},
        {"strings file", none, [](Fx& x) { x.t.app->strings().xx_makestringsfile(); },
         {"*/OVO_Form1.txt"}, {}, {}},
    };
    return table;
}

// One run of a command from its starting files.
struct Outcome {
    Files before, after;
    QStringList titles;  // of the boxes the command showed
    bool typedKept = true;
};

// What the user saw: the boxes, then whether the typed fields were kept.
QString seen(Fx& x, const Command& c, const QStringList& typed) {
    QStringList now;
    for (const QString& f : c.typed) now << x.form().text(f);
    return x.titles().join(u'|') + (now == typed ? "\n" : "\nlost");
}

// `run` runs the command, returns what the user saw and the tag its files
// are named by.
Outcome runCommand(const Command& c,
                   const std::function<QString(Fx&, const QStringList&, QString*)>& run) {
    Fx x;
    c.setup(x);
    Outcome o;
    o.before = x.files();
    QStringList typed;
    for (const QString& f : c.typed) typed << x.form().text(f);
    x.asked().clear();
    QString said;
    const QString tag = run(x, typed, &said);
    o.after = x.files(tag);
    o.titles = said.section(u'\n', 0, 0).split(u'|', Qt::SkipEmptyParts);
    o.typedKept = said.section(u'\n', 1).isEmpty();
    return o;
}

Outcome runWithPlan(const Command& c, const FaultPlan& plan) {
    return runCommand(c, [&](Fx& x, const QStringList& typed, QString* said) {
        startFaultPlan(plan);
        c.run(x);
        stopFaultPlan();
        *said = seen(x, c, typed);
        return copyTag();
    });
}

bool matches(const QString& wildcard, const QString& file) {
    const QString re = QRegularExpression::escape(wildcard).replace("\\*", ".*");
    return QRegularExpression(QRegularExpression::anchoredPattern(re)).match(file).hasMatch();
}

bool mayChange(const Command& c, const QString& file) {
    return std::any_of(c.mayChange.begin(), c.mayChange.end(),
                       [&](const QString& w) { return matches(w, file); });
}

// The checks of one faulted run against the clean one; a failure names the run.
void check(const Command& c, const Outcome& clean, const Outcome& o, const QString& run) {
    QCOMPARE(o.before, clean.before);
    QStringList names = o.after.keys() + clean.after.keys() + o.before.keys();
    names.removeDuplicates();
    for (const QString& name : names) {
        QVERIFY2(!isTempFileName(name), qPrintable(run + ": left " + name));
        const QByteArray now = o.after.value(name, "<missing>");
        // An empty record file where there was none is no change.
        const QByteArray was = o.before.value(name, "<missing>");
        const bool asBefore = now == was || (was == "<missing>" && now.isEmpty());
        const bool asAfter = mayChange(c, name) && now == clean.after.value(name, "<missing>");
        QVERIFY2(asBefore || asAfter,
                 qPrintable(run + ": " + name + " is neither as before nor as after"));
    }
    for (const auto& [name, bytes] : o.after.asKeyValueRange()) {
        if (!name.endsWith("ovo_data2.dat")) continue;
        QSet<QByteArray> numbers;
        for (qsizetype r = 0; r + 351 <= bytes.size(); r += 351)
            numbers.insert(bytes.mid(r + 1, 6));
        QVERIFY2(numbers.size() == bytes.size() / 351, qPrintable(run + ": a number twice"));
    }
    if (o.after == clean.after) return;  // done, perhaps after a retry
    QVERIFY2(o.titles != clean.titles, qPrintable(run + ": failed untold: " + o.titles.join(',')));
    const bool stored = std::any_of(names.begin(), names.end(), [&](const QString& name) {
        return matches(c.storedIn, name) && o.after.value(name) == clean.after.value(name);
    });
    QVERIFY2(o.typedKept || stored, qPrintable(run + ": typing lost"));
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { stopFaultPlan(); }

    void eachCallFails_data() {
        QTest::addColumn<int>("command");
        for (int i = 0; i < commands().size(); ++i) QTest::newRow(commands()[i].name) << i;
    }
    void eachCallFails() {
        QFETCH(int, command);
        const Command& c = commands()[command];
        const Outcome clean = runWithPlan(c, {});
        const QList<FileCall> calls = fileCallLog();
        QVERIFY2(clean.after != clean.before, "the command wrote nothing");
        check(c, clean, clean, "clean");
        static int total = 0;
        int failed = 0;
        struct Kind {
            const char* name;
            int err;
            bool shortWrite;
        };
        for (int n = 1; n <= calls.size(); ++n) {
            for (const Kind& k : {Kind{"EIO", EIO, false}, Kind{"ENOSPC", ENOSPC, false},
                                  Kind{"short write", 0, true}, Kind{"EBUSY", EBUSY, false},
                                  Kind{"EACCES", EACCES, false}}) {
                for (const bool on : {false, true}) {
                    // A short write differs from a full disk at writes only; a
                    // busy or refused file for ever is the lock tests'.
                    const bool held = k.err == EBUSY || k.err == EACCES;
                    if (k.shortWrite ? calls[n - 1].op != FileOp::Write : held && on)
                        continue;
                    const Outcome o = runWithPlan(c, {n, on, k.err, k.shortWrite, true});
                    failed += faultsInjected();
                    const QString file = calls[n - 1].path.section('/', -1);
                    check(c, clean, o,
                          QString("call %1 of %2 (%3) %4%5")
                              .arg(n).arg(calls.size())
                              .arg(file, k.name, on ? " from there on" : ""));
                    if (QTest::currentTestFailed()) return;
                }
            }
        }
        total += failed;
        qInfo("%s: %lld file calls, %d failed on purpose (%d in all so far)", c.name,
              qlonglong(calls.size()), failed, total);
    }

    // The same commands in a child whose files may not grow past a size
    // between the files' sizes before and after; the disk's refusal is
    // ignored as a signal, so it comes back as a failed write.
    void fullDisk_data() { eachCallFails_data(); }
    void fullDisk() {
        QFETCH(int, command);
        const Command& c = commands()[command];
        const Outcome clean = runWithPlan(c, {});
        QSet<qint64> limits;
        for (const auto& [name, bytes] : clean.after.asKeyValueRange()) {
            const qint64 was = clean.before.value(name).size();
            if (bytes != clean.before.value(name) && bytes.size() > 0)
                limits << bytes.size() - 1 << (was + bytes.size()) / 2;
        }
        for (const qint64 limit : limits) {
            const Outcome o = runCommand(c, [&](Fx& x, const QStringList& typed, QString* said) {
                int pipe[2];
                if (::pipe(pipe) != 0) return QString();
                const QString parent = copyTag();
                const pid_t child = ::fork();
                if (child == 0) {
                    // This copy's own files are named by its process: the child's now.
                    for (const QString& f : QDir(x.data()).entryList({"*" + parent + "*"}))
                        QFile::rename(x.data(f), x.data(QString(f).replace(parent, copyTag())));
                    const rlimit size{rlim_t(limit), rlim_t(limit)};
                    ::signal(SIGXFSZ, SIG_IGN);
                    ::setrlimit(RLIMIT_FSIZE, &size);
                    c.run(x);
                    const QByteArray out = seen(x, c, typed).toUtf8();
                    ::_exit(::write(pipe[1], out.data(), out.size()) == out.size() ? 0 : 1);
                }
                ::close(pipe[1]);
                QFile from;
                from.open(pipe[0], QIODevice::ReadOnly, QFile::AutoCloseHandle);
                *said = QString::fromUtf8(from.readAll());
                int status = 0;
                [&] { QVERIFY(::waitpid(child, &status, 0) == child && status == 0); }();
                const QString pid = QString::number(::getpid());
                return copyTag().chopped(pid.size()) + QString::number(child);
            });
            check(c, clean, o, QString("files limited to %1 bytes").arg(limit));
            if (QTest::currentTestFailed()) return;
        }
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
