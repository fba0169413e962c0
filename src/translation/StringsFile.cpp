#include "translation/StringsFile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <optional>

#include "base/Cp1252.h"
#include "base/Desktop.h"
#include "base/Prompter.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "records/DataFile.h"
#include "records/FileError.h"
#include "records/Messages.h"
#include "shell/AppContext.h"

namespace strings {

namespace {

const QString kCaptionKey = QStringLiteral(" caption");
const QString kToolTipKey = QStringLiteral(" tool tip");
const QString kCrLf = QStringLiteral("\r\n");

// Text boxes, lists and grids show a value, not a caption; menus and
// separators have no tool tip.
bool hasCaption(ControlKind kind) {
    switch (kind) {
        case ControlKind::TextBox:
        case ControlKind::MultiLine:
        case ControlKind::Combo:
        case ControlKind::Grid:
        case ControlKind::Calendar:
        case ControlKind::Separator:
            return false;
        default:
            return true;
    }
}

bool hasToolTip(ControlKind kind) {
    switch (kind) {
        case ControlKind::Menu:
        case ControlKind::MenuItem:
        case ControlKind::Separator:
        case ControlKind::Popup:
        case ControlKind::PopupItem:
            return false;
        default:
            return true;
    }
}

// A text line of the file: a line break inside a text would end it early.
QString oneLine(QString text) {
    text.replace(kCrLf, QStringLiteral(" "));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

QString decode(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom)) return QString::fromUtf8(bytes.mid(bom.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? cp1252::decode(bytes) : text;
}

// The text after "de caption" (or any key): " = " then the text. Editors that
// trim trailing blanks leave "de caption =" for an empty text, and a typed
// "de caption=Text" means the same.
std::optional<QString> textAfterKey(const QString& line, qsizetype keyLength) {
    const QString rest = line.mid(keyLength);
    if (rest.startsWith(QStringLiteral(" = "))) return rest.mid(3);
    qsizetype at = 0;
    while (at < rest.size() && rest[at] == u' ') ++at;
    if (at >= rest.size() || rest[at] != u'=') return std::nullopt;
    ++at;
    if (at < rest.size() && rest[at] == u' ') ++at;
    return rest.mid(at);
}

}  // namespace

const HeldTexts& mainWindowHeld() {
    static const HeldTexts held = {
        {ctl::RecYear, ctl::Label6, ctl::Label19, ctl::Label16, ctl::VendAddyCounter,
         ctl::ToAddyCounter, ctl::FileOrderTag},
        {ctl::BottomLabel},
    };
    return held;
}

QByteArray make(const FormModel& form, const HeldTexts& held) {
    QString out = QStringLiteral("'Form Name = ") + form.name() + kCrLf + kCrLf;
    for (const Control& c : form.controls()) {
        if (c.name.startsWith(QLatin1String("xx"))) continue;
        QString block;
        if (hasCaption(c.kind) && !held.captions.contains(c.name) &&
            !c.caption.trimmed().isEmpty()) {
            block += QStringLiteral("en caption = ") + oneLine(c.caption) + kCrLf +
                     QStringLiteral("de caption = de?") + kCrLf;
        }
        if (hasToolTip(c.kind) && !held.toolTips.contains(c.name) &&
            !c.toolTip.trimmed().isEmpty()) {
            block += QStringLiteral("en tool tip = ") + oneLine(c.toolTip) + kCrLf +
                     QStringLiteral("de tool tip = de?") + kCrLf;
        }
        if (block.isEmpty()) continue;
        out += QStringLiteral("!!") + c.name + kCrLf + block + QStringLiteral("//") + kCrLf + kCrLf;
    }
    return cp1252::encode(out);
}

QList<Entry> read(const QByteArray& bytes, const QString& language) {
    const QString caption = language + kCaptionKey;
    const QString toolTip = language + kToolTipKey;
    QList<Entry> out;
    QString name;
    bool inBlock = false;
    const QString text = decode(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.startsWith(u"!!")) {
            name = line.mid(2).trimmed().toString();
            inBlock = true;
        } else if (line.startsWith(u"//")) {
            inBlock = false;
        } else if (inBlock && line.startsWith(caption)) {
            if (auto text = textAfterKey(line.toString(), caption.size()))
                out.append({name, Entry::Caption, *text});
        } else if (inBlock && line.startsWith(toolTip)) {
            if (auto text = textAfterKey(line.toString(), toolTip.size()))
                out.append({name, Entry::ToolTip, *text});
        }
    }
    return out;
}

int apply(FormModel& form, const QList<Entry>& entries, const HeldTexts& held) {
    int set = 0;
    for (const Entry& e : entries) {
        // has() first: a name from a file is no fault of the program's.
        if (!form.has(e.name)) continue;
        const ControlKind kind = form.control(e.name).kind;
        if (e.property == Entry::Caption) {
            if (!hasCaption(kind) || held.captions.contains(e.name)) continue;
            // Captions head the lists' columns, where "|" would start a new one.
            QString text = e.text;
            text.replace(u'|', QChar(0x00A6));
            form.setCaption(e.name, text);
        } else {
            if (!hasToolTip(kind) || held.toolTips.contains(e.name)) continue;
            form.setToolTip(e.name, e.text);
        }
        ++set;
    }
    return set;
}

}  // namespace strings

StringsFile::StringsFile(AppContext& ctx, std::unique_ptr<FormModel> english)
    : m_ctx(ctx), m_english(std::move(english)) {}

StringsFile::~StringsFile() = default;

void StringsFile::bind() {
    FormModel& f = *m_ctx.form;
    f.onClick(ctl::xx_makestringsfile, [this] { xx_makestringsfile(); });
    f.onClick(ctl::xx_edit_strings_file, [this] { xx_edit_strings_file(); });
    f.onClick(ctl::xx_read_de_strings, [this] { xx_read_de_strings(); });
    f.onClick(ctl::xx_read_en_strings, [this] { xx_read_en_strings(); });
}

QString StringsFile::path() const {
    return m_ctx.state.HomeFolder + m_english->name() + QStringLiteral(".txt");
}

bool StringsFile::xx_makestringsfile() {
    const QString file = path();
    if (const FileError e = checkRegularOrMissing(file); !e.ok()) {
        showFileError(*m_ctx.prompter, e);
        return false;
    }
    if (QFileInfo(file).size() > 0) {
        const MsgButton answer = m_ctx.prompter->message(
            MsgIcon::Critical, MsgButton::Yes | MsgButton::No, MsgButton::No,
            QStringLiteral("Are you SURE?"),
            file +
                QStringLiteral(
                    " already exists!\r\n\r\nThis function will delete it and create a new one - "
                    "any work you have already done on the translation will be lost!\r\n\r\nTo "
                    "contine editing the file you already created, click No now, and instead "
                    "select \"edit strings file\" from the translation menu. "));
        if (answer != MsgButton::Yes) return false;
    }
    if (const FileError e = replaceFile(file, strings::make(*m_english, strings::mainWindowHeld()));
        !e.ok()) {
        showFileError(*m_ctx.prompter, e);
        return false;
    }
    openInEditor();
    return true;
}

void StringsFile::xx_edit_strings_file() {
    if (!missing()) openInEditor();
}

bool StringsFile::missing() {
    if (QFileInfo::exists(path())) return false;
    m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, msg::kProductName,
                            QStringLiteral("There is no strings file ") + path() +
                                QStringLiteral(" yet.\r\n\r\nSelect \"make strings file\" from the "
                                               "translation menu to make it."));
    return true;
}

void StringsFile::openInEditor() {
    if (m_ctx.desktop && m_ctx.desktop->openFile(path())) return;
    m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, msg::kProductName,
                            QStringLiteral("No text editor could be started for ") + path() +
                                QStringLiteral(".\r\n\r\nOpen the file in a text editor of your "
                                               "own to translate it."));
}

int StringsFile::load(const QString& language) {
    if (missing()) return 0;
    QByteArray bytes;
    if (const FileError e = readWholeFile(path(), &bytes); !e.ok()) {
        showFileError(*m_ctx.prompter, e);
        return 0;
    }
    const int set =
        strings::apply(*m_ctx.form, strings::read(bytes, language), strings::mainWindowHeld());
    if (set == 0) {
        m_ctx.prompter->message(
            MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, msg::kProductName,
            QStringLiteral("The strings file ") + path() + QStringLiteral(" has no \"") + language +
                QStringLiteral("\" texts for this window."));
    } else if (m_loaded) {
        m_loaded();
    }
    return set;
}
