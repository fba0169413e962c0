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

QString quoted(const QString& value) {
    QString v = value;
    v.replace(u'"', QLatin1String("\"\""));
    return u'"' + v + u'"';
}

// A spreadsheet runs a cell that starts like a formula.
QString text(const QString& value) {
    const QString t = trimBlanks(value);
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!t.isEmpty() && kFormulaStarts.contains(t.at(0))) return quoted(u'\'' + t);
    return quoted(t);
}

}  // namespace

Result make(const QByteArray& index, const ConfigRecord& cfg, const Formats& formats) {
    // The tax names as the configuration stores them: five characters.
    const auto taxHeader = [](const QString& name) {
        return quoted(name.leftJustified(5, u' ', true));
    };
    QString out = QStringLiteral("\"Number\",\"Job\",\"Date\",\"Sold To\",\"Ship To\",\"Ship Date\","
                                 "\"Total\",\"Shipping\",") +
                  taxHeader(cfg.taxName1) + u',' + taxHeader(cfg.taxName2) +
                  QStringLiteral(",\"Net\",\"Discount\",\"List\"\r\n");
    Result r;
    const qint64 whole = index.size() / indexrec::kLength;
    r.cutRecord = index.size() % indexrec::kLength != 0;
    const qint64 count = qMin<qint64>(whole, IndexFile::kMaxRecords);
    r.beyondLimit = whole - count;
    const auto date = [&formats](double serial) {
        const QDate d = serialdate::toDate(serial);
        return quoted(d.isValid() ? formats.shortDate(d) : QString());
    };
    const auto money = [&formats](Currency c) { return quoted(formats.currency(c)); };
    for (qint64 i = 0; i < count; ++i) {
        IndexRecord rec;
        if (!IndexRecord::decode(index.constData() + i * indexrec::kLength, indexrec::kLength,
                                 &rec))
            continue;
        // Deleted records and kinds this program does not know stay out.
        if (rec.kind.size() != 1 || !QStringLiteral("pPiI").contains(rec.kind)) continue;
        const QString fields[] = {
            text(rec.number), text(rec.jobNumber), date(rec.orderDate), text(rec.soldTo),
            text(rec.shipTo), date(rec.shipDate), money(rec.orderTotal), money(rec.shipping),
            money(rec.salesTax), money(rec.otherTax), money(rec.netTotal), money(rec.discount),
            money(rec.subTotal)};
        for (const QString& f : fields) {
            out += f;
            out += u',';
        }
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
