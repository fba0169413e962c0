// One copy of the program with no window, working a shared data folder at
// random until its time is up or it is killed; and the checker of what the
// copies left. The crash test kills it at random moments, the contention
// test runs several at once.
//
//   stress_driver run DOCUMENTS COPY SEED SECONDS LOG   (SECONDS 0: until killed)
//   stress_driver verify DOCUMENTS LOG...
//
// Every save is logged as "save <page> <tag> <base> <asked>": the job
// number written, the one the copy had read, and how many lost-update
// questions it was asked on the way.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <cstdio>
#include <cstring>

#include "browse/DocumentList.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"

namespace {

const QString kElsewhere = QStringLiteral("Saved Elsewhere");

// The user who says yes: to numbering, to deleting, to overwriting another
// copy's save once asked.
struct YesPrompter : FakePrompter {
    int elsewhere = 0;
    // Told of another copy's work: a row opened between its numbering and
    // its page (the record goes first), a row it deleted first.
    int toldOfOther = 0;
    QStringList odd;  // boxes no command of the loop should raise
    MsgButton message(MsgIcon, MsgButtons buttons, MsgButton def, const QString& title,
                      const QString& text) override {
        if (title == kElsewhere)
            ++elsewhere;
        else if (text.contains("was not found") || text.contains("no longer in the document index"))
            ++toldOfOther;
        else if (title != "Save?" && title != "Confirm")
            odd << title + ": " + text.section(u'\n', 0, 0);
        if (buttons & MsgButton::Yes) return MsgButton::Yes;
        return buttons & MsgButton::Ok ? MsgButton::Ok : def;
    }
};

struct Copy {
    YesPrompter prompter;
    FakeDesktop desktop;
    FakeClock clock;
    ScriptedWindows windows;
    std::unique_ptr<Application> app;
    QFile log;
    QString copy;
    int serial = 0;
    QRandomGenerator rng;

    Copy(const QString& documents, const QString& copyName, quint32 seed, const QString& logPath)
        : log(logPath), copy(copyName), rng(seed) {
        Application::Seams seams;
        seams.prompter = &prompter;
        seams.desktop = &desktop;
        seams.clock = &clock;
        seams.formats = &usFormats();
        seams.windows = &windows;
        // Patient as waitForOtherCopies: the other copies' locks are waited out.
        seams.retry.attempts = 100000;
        seams.retry.sleep = [](std::chrono::milliseconds) { ::usleep(500); };
        app = std::make_unique<Application>(seams, documents);
        log.open(QIODevice::Append);
        serial = int(seed % 100000) * 10;  // a restarted copy tags on apart
        app->start();
    }

    FormModel& f() { return app->mainForm(); }
    DocumentSession& session() { return app->session(); }
    QString tag() { return QStringLiteral("%1-%2").arg(copy).arg(++serial); }
    void note(const QStringList& fields) {
        log.write((fields.join(u'\t') + u'\n').toUtf8());
        log.flush();
    }
    QString page() { return session().folder() + f().text("PONoEd").trimmed(); }

    // Types a new tag into the document and totals it.
    void edit(const QString& t) {
        f().setText("JobNumberEd", t);
        f().setText("CommentsEd", t);
        GridModel& items = *f().grid("OrderGrid");
        if (items.rows() < 8)
            items.addItem(QStringLiteral("1\t\t\tea\tWidget %1\t%2.50\t%2.50\t")
                              .arg(t)
                              .arg(rng.bounded(900)));
        session().markEdited();
        f().click("TotalUp");
    }
    bool save(const QString& base) {
        const int asked = prompter.elsewhere;
        const QString t = f().text("JobNumberEd");
        const bool saved = session().SaveChanges();
        if (saved) note({"save", page(), t, base, QString::number(prompter.elsewhere - asked)});
        // A save that failed is not tried again by the next open's prompt.
        session().markUnchanged();
        return saved;
    }
    // A row of the document list: number and folder.
    std::optional<std::pair<QString, QString>> pickRow() {
        app->browser().PopPOGrid();
        const GridModel& list = *f().grid("POGrid");
        const int rows = list.rows() - 1;
        if (rows < 1) return std::nullopt;
        // Often one of the last few, so that copies meet on a document.
        const int r =
            rng.bounded(2) ? 1 + int(rng.bounded(rows)) : qMax(1, rows - int(rng.bounded(3)));
        f().grid("POGrid")->setCurrentRow(r);
        return std::make_pair(list.cell(r, doclist::Number).trimmed(),
                              list.cell(r, doclist::SubFolder).trimmed());
    }
    bool openSome() {
        const auto row = pickRow();
        return row && session().open(row->first, row->second);
    }

    void step() {
        // A payment leaves the document changed; the save prompt of the
        // next command would save it unlogged.
        session().markUnchanged();
        const int what = int(rng.bounded(100));
        if (what < 25) {  // a new document, its addresses saved with it
            app->mapper().setNumber(kPending);
            session().Clear();
            const QString t = tag();
            f().setText("ToCombo", "Cust " + t);
            f().setText("ToField", "1 Road\r\nTown " + t);
            edit(t);
            if (save("new")) note({"addr", "Cust " + t});
        } else if (what < 55) {  // a change to any listed document
            if (!openSome()) return;
            const QString base = f().text("JobNumberEd");
            edit(tag());
            save(base);
        } else if (what < 65) {  // saved as new, then changed
            if (!openSome()) return;
            const QString base = f().text("JobNumberEd");
            const int asked = prompter.elsewhere;
            if (!session().Save_PO()) return;
            note({"save", page(), base, "new", QString::number(prompter.elsewhere - asked)});
            edit(tag());
            save(base);
        } else if (what < 72) {  // deleted from the list
            const auto row = pickRow();
            if (!row) return;
            f().rightClick("POGrid");
            if (app->browser().POPop_delete()) note({"del", row->second + row->first});
        } else if (what < 82) {  // a payment on the document on screen
            if (f().text("PONoEd").trimmed() == kPending) return;
            const qint64 cents = rng.bounded(1, 100000);
            f().setText("PaymentDateEd", usFormats().shortDate(clock.today()));
            f().setText("PaymentAmountEd", QString::number(cents / 100.0, 'f', 2));
            const int before = f().grid("PaymentsGrid")->rows();
            f().click("SavePayment");
            if (f().grid("PaymentsGrid")->rows() > before)
                note({"pay", f().text("PONoEd").trimmed(), QString::number(cents * 100)});
        } else if (what < 92) {  // a new stock item
            const QString d = "Item " + tag();
            const QStringList names = {"StockCatCombo", "StockVendorCombo", "StockUnitCombo",
                                       "StockDescriptionEd", "StockUnitCostEd"};
            const QStringList texts = {"Parts", "Acme", "ea", d, "3.50"};
            for (int i = 0; i < names.size(); ++i) f().setText(names[i], texts[i]);
            f().click("SaveNewStockItem");
            note({"stock", d});
        } else {  // one of this copy's stock items changed
            app->catalogue().PopStockList();
            GridModel& stock = *f().grid("StockGrid");
            int row = 0;
            for (int r = 1; r < stock.rows() && !row; ++r)
                if (stock.cell(r, 3).startsWith("Item " + copy + "-") && rng.bounded(4) == 0)
                    row = r;
            if (!row) return;
            const QString old = stock.cell(row, 3).trimmed();
            stock.setCurrentRow(row);
            stock.setCurrentCol(0);
            f().click("StockGrid");
            const QString d = "Item " + tag();
            f().setText("StockDescriptionEd", d);
            f().click("SaveChangedStockItem");
            note({"restock", old, d});
        }
    }
};

int run(const QStringList& a) {
    Copy c(a[2], a[3], a[4].toUInt(), a[6]);
    const int seconds = a[5].toInt();
    const QDeadlineTimer until =
        seconds > 0 ? QDeadlineTimer(seconds * 1000) : QDeadlineTimer(QDeadlineTimer::Forever);
    int steps = 0;
    while (!until.hasExpired()) {
        c.step();
        ++steps;
    }
    c.note({"end", QString::number(steps), QString::number(c.prompter.elsewhere),
            QString::number(c.prompter.toldOfOther)});
    for (const QString& o : c.prompter.odd) c.note({"box", o});
    return c.app->close() ? 0 : 1;
}

// ---- the checker ----

struct Save {
    QString tag, base;
    bool asked;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString textAt(const QByteArray& b, qsizetype at, int width) {
    return QString::fromLatin1(b.mid(at, width)).trimmed();
}
double realAt(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<double>(b.constData() + at);
}

int verify(const QStringList& a) {
    const QString data = Shell::homeFolderFor(a[2]) + "ovo_data/";
    QStringList faults;
    QHash<QString, QList<Save>> saves;
    QSet<QString> deleted, addresses, payments;
    QHash<QString, QSet<QString>> stockOf;  // copy log -> its items now
    int steps = 0, asked = 0, early = 0;
    for (const QString& logPath : a.mid(3)) {
        for (const QByteArray& line : readAll(logPath).split('\n')) {
            const QStringList w = QString::fromUtf8(line).split(u'\t');
            if (w.size() < 2) continue;
            if (w[0] == "save" && w.size() == 5)
                saves[w[1]].append({w[2], w[3], w[4] != "0"});
            else if (w[0] == "del")
                deleted.insert(w[1]);
            else if (w[0] == "addr")
                addresses.insert(w[1]);
            else if (w[0] == "pay")
                payments.insert(w[1] + u' ' + w[2]);
            else if (w[0] == "stock")
                stockOf[logPath].insert(w[1]);
            else if (w[0] == "restock") {
                stockOf[logPath].remove(w[1]);
                stockOf[logPath].insert(w[2]);
            } else if (w[0] == "end" && w.size() == 4) {
                steps += w[1].toInt();
                asked += w[2].toInt();
                early += w[3].toInt();
            } else if (w[0] == "box")
                faults << "unexpected box: " + w[1];
        }
    }
    // Documents: what the index lists live, and the tag on each page.
    const QByteArray index = readAll(data + "ovo_data2.dat");
    QHash<QString, QString> live;
    static const QRegularExpression job("<!-- JOB (.*) JOB -->");
    for (qsizetype at = 0; at + indexrec::kLength <= index.size(); at += indexrec::kLength) {
        if (index[at] == 'D') continue;
        const QString page = textAt(index, at + indexrec::SubFolder, 5) + textAt(index, at + 1, 6);
        const QString onPage =
            job.match(
                   QString::fromLatin1(readAll(data + QString(page).replace(u'\\', u'/') + ".htm")))
                .captured(1);
        if (live.contains(page)) faults << page + " is listed twice";
        live.insert(page, onPage);
    }
    int documents = 0;
    for (auto it = saves.cbegin(); it != saves.cend(); ++it) {
        const QString& page = it.key();
        QHash<QString, int> unasked;  // per base
        QSet<QString> bases;
        bool anyAsked = false;
        for (const Save& s : it.value()) {
            bases.insert(s.base);
            anyAsked |= s.asked;
            if (!s.asked && ++unasked[s.base] > 1)
                faults << page + ": two saves over " + s.base + ", the second not asked";
        }
        ++documents;
        if (!live.contains(page)) {
            if (!deleted.contains(page)) faults << page + ": saved, never deleted, not listed";
            continue;
        }
        const QString now = live.value(page);
        if (std::none_of(it.value().begin(), it.value().end(),
                         [&](const Save& s) { return s.tag == now; }))
            faults << page + ": holds " + now + ", which no copy saved";
        // Each save is on the page, built on, or replaced with a question.
        for (const Save& s : it.value())
            if (s.tag != now && !bases.contains(s.tag) && !anyAsked && !deleted.contains(page))
                faults << page + ": the save of " + s.tag + " is lost";
    }
    // Tags never twice; every item and address a copy saved is there.
    // kindAt < 0: one run of tags for the whole file.
    const auto tags = [&](const char* file, int length, int kindAt, int tagAt, int textAt_,
                          int width, QSet<QString>* texts) {
        const QByteArray b = readAll(data + file);
        QSet<QString> seen;
        for (qsizetype at = 0; at + length <= b.size(); at += length) {
            const QString key = (kindAt < 0 ? QString() : QString(QLatin1Char(b[at + kindAt]))) +
                                QString::number(realAt(b, at + tagAt));
            if (seen.contains(key)) faults << QString("%1: tag %2 twice").arg(file, key);
            seen.insert(key);
            if (b[at] != 'D') texts->insert(textAt(b, at + textAt_, width));
        }
    };
    QSet<QString> stockNow, addressesNow;
    tags("ovo_stock.dat", 383, -1, 31, 39, 120, &stockNow);
    tags("ovo_addy.dat", 570, 1, 2, 10, 60, &addressesNow);
    for (const QSet<QString>& items : stockOf)
        for (const QString& d : items)
            if (!stockNow.contains(d)) faults << "stock item " + d + " is lost";
    for (const QString& n : addresses)
        if (!addressesNow.contains(n)) faults << "address " + n + " is lost";
    const QByteArray pay = readAll(data + "pay_data.dat");
    QSet<QString> paid;
    for (qsizetype at = 0; at + 23 <= pay.size(); at += 23)
        paid.insert(textAt(pay, at + 1, 6) + u' ' +
                    QString::number(qFromLittleEndian<qint64>(pay.constData() + at + 15)));
    for (const QString& p : payments)
        if (!paid.contains(p)) faults << "payment " + p + " is lost";
    std::printf(
        "%d steps, %d documents saved, %d lost-update questions, %d rows another "
        "copy was saving or had deleted, %d faults\n",
        steps, documents, asked, early, int(faults.size()));
    for (const QString& f : faults) std::printf("%s\n", qPrintable(f));
    return faults.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QStringList a = qapp.arguments();
    if (a.size() == 7 && a[1] == "run") return run(a);
    if (a.size() >= 4 && a[1] == "verify") return verify(a);
    std::fprintf(stderr,
                 "usage: stress_driver run DOCUMENTS COPY SEED SECONDS LOG\n"
                 "       stress_driver verify DOCUMENTS LOG...\n");
    return 2;
}
