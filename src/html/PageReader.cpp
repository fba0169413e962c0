#include "html/PageReader.h"
#include "forms/ControlNames.h"

#include <QFileInfo>
#include <cerrno>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/MarkerText.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

constexpr int kCells = 8;
// "<!-- " + tag + " " before a value, " " + tag + " -->" after it.
constexpr qsizetype kHeadLength = 9;
constexpr qsizetype kTailLength = 8;

const struct {
    const char* tag;
    const char* control;
} kMarkerFields[StoredDocument::kFields] = {
    {"PON", ctl::PONoEd},     {"JOB", ctl::JobNumberEd},      {"ORD", ctl::OrderDateEd},
    {"VND", ctl::ToCombo},    {"STO", ctl::ShipToCombo},      {"BY?", ctl::ByEd},
    {"SDA", ctl::ShipDateEd}, {"VIA", ctl::ShipViaEd},        {"FOB", ctl::FOBEd},
    {"TRM", ctl::TermsEd},    {"TAX", ctl::SalesTaxEd},       {"TAF", ctl::TaxFactorEd},
    {"OTX", ctl::OtherTaxEd}, {"OTF", ctl::OtherTaxFactorEd}, {"SHP", ctl::ShippingEd},
    {"DIS", ctl::DiscountEd}, {"DIF", ctl::DiscountFactorEd}, {"COM", ctl::CommentsEd},
};

const QLatin1String kItemHead("<!-- ITM ");
const QLatin1String kEnd("<!-- END -->");
const QString kTitle = QStringLiteral("Open Document");

// The value of a marker line "<!-- TAG value TAG -->", or nothing when the
// line is no marker. Lines too short to hold a value are none either.
std::optional<QStringView> markerValue(QStringView line, QStringView* tag) {
    if (line.size() < kHeadLength + kTailLength) return std::nullopt;
    if (!line.startsWith(QLatin1String("<!-- ")) || line.at(8) != u' ') return std::nullopt;
    const QStringView t = line.mid(5, 3);
    const QStringView tail = line.right(kTailLength);
    if (tail.at(0) != u' ' || tail.mid(1, 3) != t || tail.mid(4) != QLatin1String(" -->")) {
        return std::nullopt;
    }
    *tag = t;
    return line.mid(kHeadLength, line.size() - kHeadLength - kTailLength);
}

QStringList itemCells(QStringView value) {
    QStringList cells;
    cells.reserve(kCells);
    for (QStringView cell : value.split(u'\t')) {
        if (cells.size() == kCells) break;
        cells.append(readMarkerValue(cell.toString()));
    }
    while (cells.size() < kCells) cells.append(QString());
    return cells;
}

// A stored text quoted in a message, cut to what a message box can show.
QString quoted(const QString& text) {
    constexpr qsizetype kShown = 40;
    return u'"' + (text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text) + u'"';
}

bool isZeroFactor(const Formats& formats, const QString& text) {
    return formats.toNumber(CleanNumber(text)).value_or(0.0) == 0;
}

}  // namespace

const char* StoredDocument::tag(Field field) {
    return kMarkerFields[field].tag;
}

const char* StoredDocument::control(Field field) {
    return kMarkerFields[field].control;
}

StoredDocument readStoredDocument(const QByteArray& page) {
    StoredDocument doc;
    const QString text = cp1252::decode(page);
    const QStringView all(text);
    qsizetype from = 0;
    while (from < all.size()) {
        qsizetype to = all.indexOf(u'\n', from);
        if (to < 0) to = all.size();
        QStringView line = all.mid(from, to - from);
        from = to + 1;
        if (line.endsWith(u'\r')) line.chop(1);

        if (line.startsWith(kItemHead)) {
            doc.items.append(itemCells(line.mid(kItemHead.size())));
            continue;
        }
        QStringView tag;
        const std::optional<QStringView> value = markerValue(line, &tag);
        if (!value) {
            // Trailing blanks are forgiven on a hand-edited end line.
            while (line.endsWith(u' ')) line.chop(1);
            if (line == kEnd) {
                doc.complete = true;
                break;
            }
            continue;
        }
        if (tag == QLatin1String("???")) {
            // An unknown kind code changes nothing.
            if (auto kind = kindFromCode(value->toString())) doc.kind = kind;
            continue;
        }
        for (int f = 0; f < StoredDocument::kFields; ++f) {
            if (tag == QLatin1String(kMarkerFields[f].tag)) {
                doc.fields[f] = readMarkerValue(value->toString());
                break;
            }
        }
    }
    return doc;
}

bool storedNumberUsable(const QString& number) {
    if (number == kPending) return true;
    if (number.isEmpty()) return false;
    for (const QChar c : number) {
        if (c.unicode() >= 0x80 || !c.isLetterOrNumber()) return false;
    }
    return true;
}

void PageReader::bind() {
    m_ctx.hooks.LoadOrder = [this](const QString& path) { return LoadOrder(path); };
}

void PageReader::refuse(const QString& text) {
    m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitle,
        text + QStringLiteral("\n\nThe document on screen has not been changed."));
}

std::optional<QByteArray> PageReader::readPage(const QString& path) {
    QByteArray bytes;
    bool missing = false;
    qint64 tooLarge = 0;
    const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        missing = false;
        tooLarge = 0;
        const QFileInfo info(nativePath(path));
        if (info.isFile() && info.size() > kMaxPageBytes) {
            tooLarge = info.size();
            return {};
        }
        const FileError e = readWholeFile(path, &bytes);
        // Reading never creates the page: a missing one is said, not made.
        if (e.code == ENOENT || e.code == ENOTDIR) {
            missing = true;
            return {};
        }
        return e;
    });
    if (!read) return std::nullopt;
    if (missing) {
        refuse(QStringLiteral("The document page %1 was not found. It may have been moved or "
                              "deleted, or its folder may not be reachable.")
                   .arg(nativePath(path)));
        return std::nullopt;
    }
    if (tooLarge > 0) {
        refuse(QStringLiteral("The file %1 is not a Tallybrook document page: at %2 bytes it is "
                              "far larger than any document.")
                   .arg(nativePath(path))
                   .arg(tooLarge));
        return std::nullopt;
    }
    return bytes;
}

bool PageReader::LoadOrder(const QString& path) {
    if (!m_ctx.state.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return false;
    }
    const std::optional<QByteArray> page = readPage(path);
    if (!page) return false;

    const StoredDocument stored = readStoredDocument(*page);
    const QString file = nativePath(path);
    if (!stored.kind) {
        refuse(QStringLiteral("The file %1 is not a Tallybrook document page: it does not say "
                              "which kind of document it holds.")
                   .arg(file));
        return false;
    }
    const std::optional<QString>& number = stored.fields[StoredDocument::PON];
    if (!number) {
        refuse(QStringLiteral("The document page %1 cannot be opened: it holds no document "
                              "number.")
                   .arg(file));
        return false;
    }
    if (!storedNumberUsable(*number)) {
        refuse(QStringLiteral("The document page %1 cannot be opened: its document number %2 is "
                              "not made of letters and digits only.")
                   .arg(file, quoted(*number)));
        return false;
    }

    apply(stored);

    if (!stored.complete) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitle,
            QStringLiteral("The document page %1 is incomplete: it ends before the end of its "
                           "stored data, so line items or fields may be missing.\n\nWhat the "
                           "page holds has been loaded. Please check the document before "
                           "saving it.")
                .arg(file));
    }
    return true;
}

void PageReader::apply(const StoredDocument& stored) {
    FormModel& f = *m_ctx.form;
    m_document.Clear();
    m_document.selectKind(*stored.kind);
    for (int i = 0; i < StoredDocument::kFields; ++i) {
        const auto field = static_cast<StoredDocument::Field>(i);
        if (!stored.fields[i]) continue;
        const QString control = QLatin1String(StoredDocument::control(field));
        f.setText(control, *stored.fields[i]);
        // The address lines are not stored: the address book gives them.
        if (field == StoredDocument::VND || field == StoredDocument::STO) f.click(control);
    }
    if (!stored.items.isEmpty()) {
        f.grid(ctl::OrderGrid)->setDataRows(stored.items);
    }

    for (const char* name : {ctl::TaxFactorEd, ctl::OtherTaxFactorEd, ctl::DiscountFactorEd}) {
        const QString control = QLatin1String(name);
        if (isZeroFactor(*m_ctx.formats, f.text(control))) f.setText(control, QString());
    }
    m_totals.TotalUp();
    if (m_ctx.hooks.PopPAGrid) m_ctx.hooks.PopPAGrid();

    // Putting the fields back ran their change rules; the stored document
    // is unchanged.
    f.setEnabled(ctl::SaveChanges, false);
    m_ctx.state.Dirty = false;
    if (f.text(ctl::PONoEd) != kPending) {
        f.setEnabled(ctl::Save_PO, true);
    }
}
