#include "browse/Export.h"

#include <QFileInfo>

#include "base/Cp1252.h"
#include "base/Desktop.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/IndexFile.h"
#include "document/IndexRecord.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "records/DataFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/ConfigRecord.h"
#include "shell/Shell.h"

namespace csvexport {

namespace {

// Appended in place: an export of a full index is a million fields.
void appendQuoted(QString& out, QStringView value) {
    out += u'"';
    for (qsizetype quote; (quote = value.indexOf(u'"')) >= 0; value = value.mid(quote + 1)) {
        out += value.left(quote + 1);
        out += u'"';
    }
    out += value;
    out += QLatin1String("\",");
}

// A spreadsheet runs a cell that starts like a formula.
void appendText(QString& out, const QString& value) {
    const QStringView t = QStringView(value).trimmed();
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!t.isEmpty() && kFormulaStarts.contains(t.front())) {
        appendQuoted(out, QString(u'\'' + t.toString()));
        return;
    }
    appendQuoted(out, t);
}

}  // namespace

Result make(const QByteArray& index, const ConfigRecord& cfg, const Formats& formats) {
    QString out = QStringLiteral("\"Number\",\"Job\",\"Date\",\"Sold To\",\"Ship To\","
                                 "\"Ship Date\",\"Total\",\"Shipping\",");
    // The tax names as the configuration stores them: five characters.
    appendQuoted(out, cfg.taxName1.leftJustified(5, u' ', true));
    appendQuoted(out, cfg.taxName2.leftJustified(5, u' ', true));
    out += QStringLiteral("\"Net\",\"Discount\",\"List\"\r\n");
    Result r;
    const qint64 whole = index.size() / indexrec::kLength;
    r.cutRecord = index.size() % indexrec::kLength != 0;
    const qint64 count = qMin<qint64>(whole, IndexFile::kMaxRecords);
    r.beyondLimit = whole - count;
    out.reserve(out.size() + count * 200);
    const auto date = [&](double serial) {
        const QDate d = serialdate::toDate(serial);
        appendQuoted(out, d.isValid() ? formats.shortDate(d) : QString());
    };
    QString amount;  // one buffer for every amount written
    const auto money = [&](Currency c) {
        amount.resize(0);
        formats.appendCurrency(amount, c);
        appendQuoted(out, amount);
    };
    for (qint64 i = 0; i < count; ++i) {
        IndexRecord rec;
        if (!IndexRecord::decode(index.constData() + i * indexrec::kLength, indexrec::kLength,
                                 &rec))
            continue;
        // Deleted records and kinds this program does not know stay out.
        if (rec.kind.size() != 1 || !QStringLiteral("pPiI").contains(rec.kind)) continue;
        appendText(out, rec.number);
        appendText(out, rec.jobNumber);
        date(rec.orderDate);
        appendText(out, rec.soldTo);
        appendText(out, rec.shipTo);
        date(rec.shipDate);
        for (Currency c : {rec.orderTotal, rec.shipping, rec.salesTax, rec.otherTax,
                           rec.netTotal, rec.discount, rec.subTotal})
            money(c);
        out.chop(1);
        out += QLatin1String("\r\n");
        ++r.exported;
    }
    r.bytes = cp1252::encode(out);
    return r;
}

}  // namespace csvexport

void DataExport::bind() {
    m_ctx.form->onClick(ctl::mu_DataExport, [this] { mu_DataExport(); });
}

void DataExport::mu_DataExport() {
    if (!m_ctx.state.DataAccessOK) {
        Shell(m_ctx).NoServerAccess();
        return;
    }
    if (!m_ctx.desktop) return;
    QString file = m_ctx.desktop->chooseSaveFile(
        QStringLiteral("Data Export"), QStringLiteral("Comma Separated Values (*.csv *.CSV)"));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".csv");
    const QFileInfo existing(file);
    if (existing.exists() && existing.size() > 0 &&
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Yes | MsgButton::No,
                                MsgButton::Yes, QStringLiteral("Confirm"),
                                QStringLiteral("File already exists - do you want to replace it?")) !=
            MsgButton::Yes) {
        return;
    }
    m_ctx.form->setBusy(true);
    const std::optional<QByteArray> index = m_index.readAll();
    bool written = false;
    csvexport::Result result;
    if (index) {
        result = csvexport::make(*index, m_ctx.state.ConfigRec, *m_ctx.formats);
        // Written whole or not at all: No, Cancel or a failure keep the old file.
        written = RecordLockRetry(*m_ctx.prompter, m_ctx.retry,
                                  [&]() -> FileError { return replaceFile(file, result.bytes); });
    }
    m_ctx.form->setBusy(false);
    if (!written) return;

    QString leftOut;
    if (result.beyondLimit > 0) {
        leftOut += QStringLiteral("\r\n\r\nThe index holds %1 more records than the %2 it may "
                                  "hold; they were not exported.")
                       .arg(m_ctx.formats->locale().toString(result.beyondLimit),
                            m_ctx.formats->locale().toString(IndexFile::kMaxRecords));
    }
    if (result.cutRecord) {
        leftOut += QStringLiteral("\r\n\r\nThe index ends in part of a record, cut short; it was "
                                  "not exported.");
    }
    const MsgButton answer = m_ctx.prompter->message(
        MsgIcon::Information, MsgButton::Yes | MsgButton::No, MsgButton::No,
        QStringLiteral("Export Complete"),
        QStringLiteral("Data has been exported to ") + file + leftOut +
            QStringLiteral("\r\nWe can try to open it in your default spreadsheet program now - "
                           "proceed?"));
    if (answer == MsgButton::Yes) m_ctx.desktop->openFile(file);
}
