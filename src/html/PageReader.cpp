#include "html/PageReader.h"

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "html/MarkerText.h"
#include "html/PageFormat.h"

namespace {

// "<!-- " + tag + " " before a value, " " + tag + " -->" after it.
constexpr qsizetype kHeadLength = 9;
constexpr qsizetype kTailLength = 8;

// The value of a marker line "<!-- TAG value TAG -->", or nothing when the
// line is no marker. Lines too short to hold a value are none either.
std::optional<QStringView> markerLineValue(QStringView line, QStringView* tag) {
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
    cells.reserve(kItemColumns);
    for (QStringView cell : value.split(u'\t')) {
        if (cells.size() == kItemColumns) break;
        cells.append(readMarkerValue(cell.toString()));
    }
    while (cells.size() < kItemColumns) cells.append(QString());
    return cells;
}

// A stored text quoted in a message, cut to what a message box can show.
QString quoted(const QString& text) {
    constexpr qsizetype kShown = 40;
    return u'"' + (text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text) + u'"';
}

}  // namespace

bool storedNumberUsable(const QString& number) {
    return number == kPending || isDocumentNumber(number);
}

PageRead readPage(const QByteArray& page, SalesDocument blank, const Formats& formats) {
    PageRead out;
    SalesDocument& doc = blank;
    std::optional<DocumentKind> kind;
    bool numbered = false;
    QVector<QStringList> items;

    const QString text = cp1252::decode(page);
    const QStringView all(text);
    const QLatin1String itemHead(pageformat::kItemHead);
    const QLatin1String endLine(pageformat::kEndLine);
    qsizetype from = 0;
    while (from < all.size()) {
        qsizetype to = all.indexOf(u'\n', from);
        if (to < 0) to = all.size();
        QStringView line = all.mid(from, to - from);
        from = to + 1;
        if (line.endsWith(u'\r')) line.chop(1);

        if (line.startsWith(itemHead)) {
            items.append(itemCells(line.mid(itemHead.size())));
            continue;
        }
        QStringView tag;
        const std::optional<QStringView> value = markerLineValue(line, &tag);
        if (!value) {
            // Trailing blanks are forgiven on a hand-edited end line.
            while (line.endsWith(u' ')) line.chop(1);
            if (line == endLine) {
                out.complete = true;
                break;
            }
            continue;
        }
        if (tag == QLatin1String(pageformat::kKindTag)) {
            // An unknown kind code changes nothing.
            if (auto k = kindFromCode(value->toString())) kind = k;
            continue;
        }
        for (const pageformat::Marker& m : pageformat::kMarkers) {
            if (!m.readBack || tag != QLatin1String(m.tag)) continue;
            doc.*m.field = readMarkerValue(value->toString());
            if (m.field == &SalesDocument::number) numbered = true;
            break;
        }
    }

    if (!kind) {
        out.problem = PageRead::Problem::NoKind;
    } else if (!numbered) {
        out.problem = PageRead::Problem::NoNumber;
    } else if (!storedNumberUsable(doc.number)) {
        out.problem = PageRead::Problem::BadNumber;
    }
    if (!items.isEmpty()) doc.items = std::move(items);
    doc.kind = kind.value_or(doc.kind);
    for (QString SalesDocument::*factor :
         {&SalesDocument::taxFactor, &SalesDocument::otherTaxFactor,
          &SalesDocument::discountFactor}) {
        if (formats.toNumber(CleanNumber(doc.*factor)).value_or(0.0) == 0) (doc.*factor).clear();
    }
    out.document = std::move(doc);
    return out;
}

QString PageRead::problemText(const QString& file) const {
    switch (problem) {
        case Problem::NoKind:
            return QStringLiteral(
                       "The file %1 is not a Tallybrook document page: it does not say which "
                       "kind of document it holds.")
                .arg(file);
        case Problem::NoNumber:
            return QStringLiteral(
                       "The document page %1 cannot be opened: it holds no document number.")
                .arg(file);
        case Problem::BadNumber:
            return QStringLiteral(
                       "The document page %1 cannot be opened: its document number %2 is not "
                       "made of letters and digits only.")
                .arg(file, quoted(document.number));
        case Problem::None:
            break;
    }
    return {};
}
