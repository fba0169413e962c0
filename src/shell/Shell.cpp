#include "shell/Shell.h"
#include "forms/ControlNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <sys/stat.h>

#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "records/DataFile.h"
#include "records/Messages.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"

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
    const QFileInfo info(nativePath(path));
    // A first start: make the folders an installer would have made.
    const bool firstStart = !info.exists();
    if (firstStart) QDir().mkpath(nativePath(s.HomeFolder));

    s.ConfigRec = ConfigRecord::defaults(s.HomeFolder);
    ConfigRecord loaded = s.ConfigRec;
    int storedLength = cfg::kLength;
    bool ok = false;
    const FileError notAFile = checkRegularOrMissing(path);
    if (!notAFile.ok()) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Configuration File"),
            QStringLiteral("Tallybrook keeps its settings in %1, but that is not a file it can "
                           "read.\n\n%2\n\nThis time Tallybrook runs with its usual settings and "
                           "leaves %1 alone. Move it out of the way and start Tallybrook again.")
                .arg(nativePath(path), notAFile.reason));
    } else {
        ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
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
            storedLength = record.length();
            loaded = ConfigRecord::decode(record, s.HomeFolder);
            return {};
        });
    }
    // A file that is there but could not be read keeps the user's settings,
    // the data path among them: it is left alone, and the local default data
    // directory must not stand in for a shared one.
    m_leaveConfigAlone = !ok && (!notAFile.ok() || info.size() > 0);
    if (ok) s.ConfigRec = loaded;
    if (m_leaveConfigAlone) s.ConfigRec.dataPath.clear();
    if (ok && storedLength < cfg::kLength) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Configuration File"),
            QStringLiteral("The configuration file %1 is shorter than it should be: it holds %2 "
                           "of its %3 bytes.\n\nThe settings it holds have been read; the others "
                           "have their usual values. The whole configuration is written back "
                           "when Tallybrook closes.")
                .arg(nativePath(path))
                .arg(storedLength)
                .arg(cfg::kLength));
    }
    s.ConfigRec.dataPath = trimBlanks(s.ConfigRec.dataPath);
    s.DataPath = s.ConfigRec.dataPath;
    if (firstStart && ok) QDir().mkpath(nativePath(s.DataPath));

    s.DataAccessOK = testDataDirectory();
    if (!s.DataAccessOK) NoServerAccess();
}

bool Shell::testDataDirectory() {
    const QString& dataPath = m_ctx.state.DataPath;
    // Blank would be the working folder, and the system stops a name at a NUL:
    // neither is the folder the user named.
    if (dataPath.isEmpty() || dataPath.contains(QChar(u'\0'))) return false;
    const QString path = dataPath + QLatin1String(kTestFileName);
    DataFile test(path);
    // Another copy starting at the same moment may hold it, or have removed it.
    const FileError opened = test.open(DataFile::Mode::Write);
    if (!opened.ok() && !opened.heldByOther()) return false;
    test.close();
    return removeFile(path).ok();
}

bool Shell::SaveConfig() {
    // What could not be read is not ours to overwrite.
    if (m_leaveConfigAlone) return false;
    AppState& s = m_ctx.state;
    const WindowGeometry& g = m_ctx.form->geometry();
    s.ConfigRec.windowHeight = ConfigRecord::measureText(g.height);
    s.ConfigRec.windowWidth = ConfigRecord::measureText(g.width);
    s.ConfigRec.windowLeft = ConfigRecord::measureText(g.left);
    s.ConfigRec.windowTop = ConfigRecord::measureText(g.top);

    const QString path = configPath();
    const Record record = s.ConfigRec.encode();
    const auto writeInPlace = [&]() -> FileError {
        RecordFile file(path, cfg::kLength);
        if (FileError e = file.open(); !e.ok()) return e;
        return file.write(1, record);
    };
    return RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        if (FileError e = checkRegularOrMissing(path); !e.ok()) return e;
        const QFileInfo info(nativePath(path));
        // Bytes after the record belong to someone else: a long tail is not
        // read and copied, the record is written where it is.
        if (info.exists() && info.size() > kWholeFileLimit) return writeInPlace();
        QByteArray bytes;
        if (info.exists()) {
            if (FileError e = readWholeFile(path, &bytes); !e.ok()) return e;
        }
        if (bytes.size() < record.length()) bytes.resize(record.length());
        bytes.replace(0, record.length(), record.bytes());
        const FileError replaced = replaceFile(path, bytes);
        if (replaced.ok() || replaced.heldByOther() || !info.exists()) return replaced;
        // No room for a temporary file beside it (a folder we may not write
        // to, a full disk): a whole record still fits in place. A short file
        // would have to grow, and a full disk would leave it cut.
        if (info.size() < record.length()) return replaced;
        return writeInPlace();
    });
}

void Shell::CheckForThisYearsFolder() {
    AppState& s = m_ctx.state;
    const QString year = QString::number(m_ctx.clock->today().year()).rightJustified(4, u'0');
    QDir().mkdir(nativePath(s.DataPath + year));
    s.YearFolder = year + u'\\';
    m_ctx.form->setCaption(ctl::RecYear, s.YearFolder);
    // Pages refer to the logo by its bare name, so each year folder needs a copy.
    s.ConfigRec.topGraphic = trimBlanks(s.ConfigRec.topGraphic);
    const QString logo = s.ConfigRec.topGraphic;
    writeDefaultLogo();
    if (!logo.isEmpty() && QFileInfo(nativePath(s.DataPath + logo)).isFile()) {
        const QString from = s.DataPath + logo;
        const QString to = s.DataPath + s.YearFolder + logo;
        // A copy that is already the same is not written again at each start.
        QByteArray source, copy;
        if (isFileItself(from) && isFileItself(to) && readWholeFile(from, &source).ok() &&
            readWholeFile(to, &copy).ok() && source == copy)
            return;
        const FileError copied = copyFileOver(from, to);
        if (!copied.ok()) showFileError(*m_ctx.prompter, copied);
    }
}

void Shell::writeDefaultLogo() {
    const AppState& s = m_ctx.state;
    if (trimBlanks(s.ConfigRec.companyId) != QLatin1String("Y") ||
        s.ConfigRec.topGraphic != QLatin1String(kDefaultLogoName))
        return;
    const QString path = s.DataPath + s.ConfigRec.topGraphic;
    // Whatever is in its place, even a broken link, is the user's.
    struct stat st;
    if (::lstat(fileSystemName(path).constData(), &st) == 0 || errno != ENOENT) return;
    QFile resource(QStringLiteral(":/ovo_top.gif"));
    if (!resource.open(QIODevice::ReadOnly)) return;
    const FileError written = replaceFile(path, resource.readAll());
    if (!written.ok()) showFileError(*m_ctx.prompter, written);
}

void Shell::removeLeftoverTempFiles() {
    const AppState& s = m_ctx.state;
    constexpr std::chrono::hours kAge{1};
    if (!s.HomeFolder.isEmpty()) removeStaleTempFiles(s.HomeFolder, kAge);
    if (!s.DataAccessOK) return;
    removeStaleTempFiles(s.DataPath, kAge);
    const QDir data(nativePath(s.DataPath));
    static const QRegularExpression year(QStringLiteral("^[0-9]{4}$"));
    for (const QString& folder : data.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (year.match(folder).hasMatch()) removeStaleTempFiles(s.DataPath + folder + u'\\', kAge);
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
    c.propCheck = flag(ctl::PropCheck);
    c.ackCheck = flag(ctl::AckCheck);
    c.invCheck = flag(ctl::InvCheck);
    c.recCheck = flag(ctl::RecCheck);
}
