#include "shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "shell/AppContext.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "forms/FormModel.h"
#include "records/Messages.h"
#include "base/Prompter.h"
#include "records/RecordFile.h"
#include "base/Text.h"

namespace {

const char kHelpPage[] = R"(<html>
<head><title>Tallybrook Help</title></head>
<body>
<h2>Tallybrook</h2>
<p>Tallybrook writes, keeps and sends the sales documents of a small business:
proposals, acknowledgements, invoices and receipts. One document is edited at a
time in the main window.</p>
<h3>Writing a document</h3>
<ul>
<li>Choose the kind of document: Proposal, Ack., Invoice or Receipt.</li>
<li>Fill in the Sold To and Ship To blocks, the shipping row (By, Ship Date, Via,
FOB, Terms) and the reference number.</li>
<li>Each line item has a quantity, a unit, a description, a unit cost and an
amount.</li>
</ul>
<h3>Totals</h3>
<p>Press <b>Total Up</b> to compute the sub total, the discount, the net total,
both taxes, shipping and the order total.</p>
<ul>
<li>The small box beside the discount, and those beside each tax, hold a
<i>multiplier</i>: <nobr>.1</nobr> is 10%, <nobr>.065</nobr> is 6.5%. With a multiplier the amount is
computed; with the box blank you may type the amount yourself.</li>
<li>Both taxes are computed on the net total.</li>
<li>Shipping is always typed.</li>
</ul>
<p><b>Clear</b> empties the fields of the document; a numbered document keeps
its number and kind.</p>
<h3>Where your data lives</h3>
<p>The settings are kept in the file ovo_14.cfg in the Fernhollow folder of your
documents folder. The documents, the index and the other data files are kept in
the data directory (normally the ovo_data folder beside it), which may be a
network folder shared by several copies of Tallybrook. Every saved document is
an HTML page in the folder of its year.</p>
<p>When the data directory cannot be reached, Tallybrook says so at start-up;
correct the data path or the network and start the program again.</p>
</body>
</html>
)";

}  // namespace

QString Shell::homeFolderFor(const QString& documentsFolder) {
    QString home = documentsFolder;
    const int nul = static_cast<int>(home.indexOf(QChar(u'\0')));
    if (nul >= 0) home.truncate(nul);
    if (!trimBlanks(home).endsWith(QDir::separator())) home += QDir::separator();
    return home + QStringLiteral("Fernhollow") + QDir::separator();
}

QString Shell::configPath() const {
    return m_ctx.state.HomeFolder + QLatin1String(kConfigFileName);
}

QString Shell::helpPath() const {
    return m_ctx.state.HomeFolder + QLatin1String(kHelpFileName);
}

void Shell::LoadConfig() {
    AppState& s = m_ctx.state;
    const QString path = configPath();
    // A first start: make the folders an installer would have made.
    const bool firstStart = !QFileInfo::exists(nativePath(path));
    if (firstStart) QDir().mkpath(nativePath(s.HomeFolder));

    s.ConfigRec = ConfigRecord::defaults(s.HomeFolder);
    ConfigRecord loaded = s.ConfigRec;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path, cfg::kLength);
        // Only a new file is written here; a read-only one is still read.
        const bool stored = QFileInfo(nativePath(path)).size() > 0;
        if (FileError e =
                file.open(stored ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWrite);
            !e.ok()) {
            return e;
        }
        if (file.size() == 0) {
            if (FileError e = file.write(1, s.ConfigRec.encode()); !e.ok()) return e;
        }
        Record record(0);
        if (FileError e = file.read(1, &record); !e.ok()) return e;
        loaded = ConfigRecord::decode(record, s.HomeFolder);
        return {};
    });
    // Without its file the program still runs, on the defaults.
    if (ok) s.ConfigRec = loaded;
    s.ConfigRec.dataPath = trimBlanks(s.ConfigRec.dataPath);
    s.DataPath = s.ConfigRec.dataPath;
    if (firstStart && ok) QDir().mkpath(nativePath(s.DataPath));

    s.DataAccessOK = testDataDirectory();
    if (!s.DataAccessOK) NoServerAccess();
}

bool Shell::testDataDirectory() {
    const QString path = nativePath(m_ctx.state.DataPath + QLatin1String(kTestFileName));
    if (injectedFault(FileOp::Open, path).kind != FileError::Kind::None) return false;
    QFile test(path);
    if (!test.open(QIODevice::ReadWrite)) return false;
    test.close();
    // Another copy starting at the same moment may have removed it first.
    return test.remove() || !test.exists();
}

bool Shell::SaveConfig() {
    AppState& s = m_ctx.state;
    const WindowGeometry& g = m_ctx.form->geometry();
    s.ConfigRec.windowHeight = ConfigRecord::measureText(g.height);
    s.ConfigRec.windowWidth = ConfigRecord::measureText(g.width);
    s.ConfigRec.windowLeft = ConfigRecord::measureText(g.left);
    s.ConfigRec.windowTop = ConfigRecord::measureText(g.top);

    const QString path = configPath();
    return RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        // Bytes after the record belong to someone else: keep them.
        QByteArray bytes;
        if (QFileInfo::exists(nativePath(path))) {
            if (FileError e = readWholeFile(path, &bytes); !e.ok()) return e;
        }
        const QByteArray record = s.ConfigRec.encode().bytes();
        if (bytes.size() < record.size()) bytes.resize(record.size());
        bytes.replace(0, record.size(), record);
        return replaceFile(path, bytes);
    });
}

void Shell::CheckForThisYearsFolder() {
    AppState& s = m_ctx.state;
    const QString year = QString::number(m_ctx.clock->today().year()).rightJustified(4, u'0');
    QDir().mkdir(nativePath(s.DataPath + year));
    s.YearFolder = year + u'\\';
    m_ctx.form->setCaption(QStringLiteral("RecYear"), s.YearFolder);
    // Pages refer to the logo by its bare name, so each year folder needs a copy.
    s.ConfigRec.topGraphic = trimBlanks(s.ConfigRec.topGraphic);
    const QString logo = s.ConfigRec.topGraphic;
    if (!logo.isEmpty() && QFileInfo(nativePath(s.DataPath + logo)).isFile()) {
        copyFileOver(s.DataPath + logo,
                     s.DataPath + m_ctx.form->caption(QStringLiteral("RecYear")) + logo);
    }
}

void Shell::NoServerAccess() {
    m_ctx.prompter->message(
        MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, QStringLiteral("No Server Access!"),
        QStringLiteral("Unable to access the data directory ") + m_ctx.state.DataPath +
            QStringLiteral("\n\nThis could be caused by a number of factors, including an "
                           "incorrect data path entry in your configuration file, the network "
                           "being down, or you not being connected to the network.\n\n"
                           "This problem must be corrected before you can continue. "));
}

void Shell::ensureHelpFile() {
    const QString path = helpPath();
    if (QFileInfo::exists(nativePath(path))) return;
    // No help is no reason to stop the program; the Help command says so.
    replaceFile(path, QByteArray(kHelpPage).replace("\n", "\r\n"));
}

void Shell::HelpButton() {
    ensureHelpFile();
    const QString path = helpPath();
    if (!QFileInfo::exists(nativePath(path))) {
        m_ctx.prompter->message(
            MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Help"),
            QStringLiteral("The help file %1 could not be written.").arg(nativePath(path)));
        return;
    }
    m_ctx.desktop->showHelp(nativePath(path));
}

void Shell::mu_About() {
    QString text = msg::kProductName + QStringLiteral("\nVersion ") +
                   QStringLiteral(TALLYBROOK_VERSION) +
                   QStringLiteral(
                       "\n\nProposals, acknowledgements, invoices and receipts "
                       "for the small business.\n\nData directory: ") +
                   nativePath(m_ctx.state.DataPath);
    if (!m_ctx.state.DataAccessOK) text += QStringLiteral("\n(cannot be reached at present)");
    m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok,
                            QStringLiteral("About Tallybrook"), text);
}

void Shell::restoreGeometry() {
    const ConfigRecord& c = m_ctx.state.ConfigRec;
    const ConfigRecord d = ConfigRecord::defaults(m_ctx.state.HomeFolder);
    // Height, width, top, left: the order the window applies them in.
    WindowGeometry g;
    g.height =
        ConfigRecord::measure(c.windowHeight).value_or(*ConfigRecord::measure(d.windowHeight));
    g.width = ConfigRecord::measure(c.windowWidth).value_or(*ConfigRecord::measure(d.windowWidth));
    g.top = ConfigRecord::measure(c.windowTop).value_or(*ConfigRecord::measure(d.windowTop));
    g.left = ConfigRecord::measure(c.windowLeft).value_or(*ConfigRecord::measure(d.windowLeft));
    g.width = qMax(g.width, kMinWidth);
    g.height = qMax(g.height, kMinHeight);
    m_ctx.form->setMinimumSize(kMinWidth, kMinHeight);
    m_ctx.form->setGeometry(g);
}

void Shell::storeKindFlags() {
    ConfigRecord& c = m_ctx.state.ConfigRec;
    FormModel& f = *m_ctx.form;
    const auto flag = [&f](const char* box) {
        return f.isChecked(QLatin1String(box)) ? QStringLiteral("Y") : QStringLiteral("N");
    };
    c.propCheck = flag("PropCheck");
    c.ackCheck = flag("AckCheck");
    c.invCheck = flag("InvCheck");
    c.recCheck = flag("RecCheck");
}
