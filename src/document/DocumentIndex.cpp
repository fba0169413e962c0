#include "document/DocumentIndex.h"
#include "forms/ControlNames.h"

#include <QFileInfo>
#include <cmath>
#include <functional>

#include "base/Clock.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/Document.h"
#include "document/IndexRecord.h"
#include "forms/FormModel.h"
#include "records/Record.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"

namespace {

const QString kNumberField = ctl::PONoEd;
const QString kRecYear = ctl::RecYear;
const QString kNumberTitle = QStringLiteral("Document Number");

struct AmountField {
    const char* control;
    const char* name;  // as the user knows it
    Currency IndexRecord::*member;
};

const AmountField kAmounts[] = {
    {ctl::OrderTotalEd, "order total", &IndexRecord::orderTotal},
    {ctl::ShippingEd, "shipping", &IndexRecord::shipping},
    {ctl::SalesTaxEd, "sales tax", &IndexRecord::salesTax},
    {ctl::NetTotalEd, "net total", &IndexRecord::netTotal},
    {ctl::DiscountEd, "discount", &IndexRecord::discount},
    {ctl::SubTotalEd, "sub total", &IndexRecord::subTotal},
    {ctl::OtherTaxEd, "other tax", &IndexRecord::otherTax},
};

// Held files go through the wait-and-retry; any other failure is handed back
// so that the caller can say in one message what it means for the document.
// Returns the failure, or none.
FileError withIndex(AppContext& ctx, const std::function<FileError()>& attempt) {
    FileError last;
    // Cancelled after the waits, `last` still says the file is held.
    RecordLockRetry(*ctx.prompter, ctx.retry, [&]() -> FileError {
        last = attempt();
        return last.heldByOther() ? last : FileError{};
    });
    return last;
}

QString failureText(const FileError& error) {
    return QStringLiteral("The document index %1 could not be used.\n\n%2")
        .arg(nativePath(error.path), error.reason);
}

// A missing index is created; an existing one is only read, sharing it.
FileError openForReading(RecordFile& file) {
    const bool exists = QFileInfo::exists(nativePath(file.path()));
    return file.open(exists ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWrite);
}

// Records whose number field lies within the bytes read, up to `count`.
int searchable(const QByteArray& bytes, int count) {
    const qsizetype end = indexrec::Number + indexrec::NumberWidth;
    if (bytes.size() < end) return 0;
    const qsizetype whole = (bytes.size() - end) / indexrec::kLength + 1;
    return static_cast<int>(qMin<qsizetype>(whole, count));
}

double highestNumber(const QByteArray& bytes, int count, const Formats& formats) {
    double highest = 0;
    const int n = searchable(bytes, count);
    for (int i = 0; i < n; ++i) {
        const char* rec = bytes.constData() + qsizetype(i) * indexrec::kLength;
        highest = qMax(highest, indexNumberValue(indexNumberField(rec), formats));
    }
    return highest;
}

QString numberText(double number) {
    return QStringLiteral("%1").arg(static_cast<qint64>(number), 6, 10, QChar(u'0'));
}

QString fullText(const Formats& formats) {
    return QStringLiteral("The document index already holds %1 documents, as many as it can.")
        .arg(formats.locale().toString(RecordFile::kMaxRecords));
}

QString exhaustedText() {
    return QStringLiteral(
               "The document index already holds number %1, the highest six-digit number, so "
               "there is no new document number to give out.")
        .arg(DocumentIndex::kHighestNumber);
}

}  // namespace

QString DocumentIndex::path() const {
    return m_ctx.state.DataPath + QLatin1String(kFileName);
}

void DocumentIndex::refreshList() {
    if (m_ctx.hooks.PopPOGrid) m_ctx.hooks.PopPOGrid();
}

bool DocumentIndex::buildRecord(IndexRecord* out, QString* problem) const {
    const FormModel& f = *m_ctx.form;
    const Formats& formats = *m_ctx.formats;
    out->kind = QString(QChar(kindInfo(DocumentKind::Proposal).code));
    for (DocumentKind k : {DocumentKind::Proposal, DocumentKind::Acknowledgement,
                           DocumentKind::Invoice, DocumentKind::Receipt}) {
        if (f.isChecked(QLatin1String(kindInfo(k).option))) {
            out->kind = QString(QChar(kindInfo(k).code));
            break;
        }
    }
    out->number = trimBlanks(f.text(kNumberField));
    out->jobNumber = trimBlanks(f.text(ctl::JobNumberEd));
    out->soldTo = trimBlanks(f.text(ctl::ToCombo));
    out->shipTo = trimBlanks(f.text(ctl::ShipToCombo));

    const auto date = [&](const char* control, const char* name, double* serial) {
        const QString text = trimBlanks(f.text(QLatin1String(control)));
        if (text.isEmpty()) {
            *serial = 0;
            return true;
        }
        const QDate d = formats.toDate(text);
        if (d.isValid()) {
            *serial = serialdate::fromDate(d);
            return true;
        }
        const QString example =
            m_ctx.clock ? QStringLiteral(" such as %1").arg(formats.shortDate(m_ctx.clock->today()))
                        : QString();
        *problem = QStringLiteral(
                       "The %1 \"%2\" is not a date. Please type a date%3, or leave the field "
                       "empty.")
                       .arg(QLatin1String(name), text, example);
        return false;
    };
    if (!date(ctl::OrderDateEd, "issue date", &out->orderDate)) return false;
    if (!date(ctl::ShipDateEd, "ship date", &out->shipDate)) return false;

    for (const AmountField& a : kAmounts) {
        const QString text = f.text(QLatin1String(a.control));
        const CurrencyParse value = formats.toCurrency(CleanNumber(text));
        if (!value.ok()) {
            *problem = QStringLiteral("The %1 \"%2\" is not an amount Tallybrook can store.")
                           .arg(QLatin1String(a.name), trimBlanks(text));
            return false;
        }
        out->*a.member = value.value;
    }
    return true;
}

std::optional<QString> DocumentIndex::fieldProblem() const {
    IndexRecord rec;
    QString problem;
    if (buildRecord(&rec, &problem)) return std::nullopt;
    return problem;
}

std::optional<double> DocumentIndex::NextPONumber() {
    double highest = 0;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = openForReading(file); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        highest = highestNumber(bytes, file.recordCount(), *m_ctx.formats);
        return {};
    });
    if (!failure.ok()) {
        // A guess could repeat a number already in the index.
        m_ctx.prompter->message(
            MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
            failureText(failure) + QStringLiteral("\n\nNo document number has been given out."));
        return std::nullopt;
    }
    const double next = std::floor(highest) + 1;
    if (next > kHighestNumber) {
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
                                exhaustedText());
        return std::nullopt;
    }
    return next;
}

std::optional<QString> DocumentIndex::numberAndAppend() {
    Prompter& prompter = *m_ctx.prompter;
    const QString notSaved = QStringLiteral("\n\nThe document has not been numbered or saved.");
    IndexRecord rec;
    QString problem;
    if (!buildRecord(&rec, &problem)) {
        prompter.message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
                         problem + notSaved);
        return std::nullopt;
    }
    rec.subFolder = trimBlanks(m_ctx.state.YearFolder);

    enum class Refusal { None, Full, Exhausted } refusal = Refusal::None;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        refusal = Refusal::None;
        // Locked from reading the highest number to writing the record, so
        // that another copy waits and then counts on from ours.
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const int count = file.recordCount();
        if (count >= RecordFile::kMaxRecords) {
            refusal = Refusal::Full;
            return {};
        }
        const double next = std::floor(highestNumber(bytes, count, *m_ctx.formats)) + 1;
        if (next > kHighestNumber) {
            refusal = Refusal::Exhausted;
            return {};
        }
        rec.number = numberText(next);
        return file.write(count + 1, Record(rec.encode()));
    });
    if (!failure.ok()) {
        prompter.message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
                         failureText(failure) + notSaved);
        return std::nullopt;
    }
    if (refusal != Refusal::None) {
        prompter.message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
            (refusal == Refusal::Full ? fullText(*m_ctx.formats) : exhaustedText()) + notSaved);
        return std::nullopt;
    }
    m_ctx.form->setText(kNumberField, rec.number);
    m_ctx.form->setCaption(kRecYear, rec.subFolder);
    refreshList();
    return rec.number;
}

IndexWrite DocumentIndex::RecordData() {
    IndexRecord rec;
    if (trimBlanks(m_ctx.form->text(kNumberField)) == kPending) return {};
    QString problem;
    if (!buildRecord(&rec, &problem)) return {IndexWrite::Status::Failed, problem};
    const QByteArray target = cp1252::encode(rec.number);
    const QString recYear = trimBlanks(m_ctx.form->caption(kRecYear));
    const QString yearFolder = trimBlanks(m_ctx.state.YearFolder);

    IndexWrite result;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        result = {};
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const int count = file.recordCount();
        const int n = searchable(bytes, count);
        for (int i = 0; i < n; ++i) {
            const qsizetype at = qsizetype(i) * indexrec::kLength;
            if (indexNumberField(bytes.constData() + at) != QByteArrayView(target)) continue;
            rec.stored = bytes.mid(at, indexrec::kLength);
            rec.subFolder = recYear;
            if (rec.subFolder.isEmpty()) {
                // Nothing says where the page lies: keep what the record says.
                rec.subFolder = trimBlanks(
                    cp1252::decode(rec.stored.mid(indexrec::SubFolder, indexrec::SubFolderWidth)));
            }
            if (rec.subFolder.isEmpty()) rec.subFolder = yearFolder;
            result.status = IndexWrite::Status::Updated;
            return file.write(i + 1, Record(rec.encode()));
        }
        if (count >= RecordFile::kMaxRecords) {
            result = {
                IndexWrite::Status::Failed,
                fullText(*m_ctx.formats) + QStringLiteral(" This document is not one of them.")};
            return {};
        }
        rec.subFolder = yearFolder;
        result.status = IndexWrite::Status::Appended;
        return file.write(count + 1, Record(rec.encode()));
    });
    if (!failure.ok()) return {IndexWrite::Status::Failed, failureText(failure)};
    if (!result.written()) return result;
    m_ctx.form->setCaption(kRecYear, rec.subFolder);
    refreshList();
    return result;
}

QString DocumentIndex::notListedText(const QString& number, const QString& reason) {
    return QStringLiteral(
               "The document list, the reports and the export will not show the changes to "
               "Tallybrook Number %1: its record in the document index could not be "
               "written.\n\n%2")
        .arg(number, reason);
}

void DocumentIndex::tellNotListed(const IndexWrite& result) {
    if (result.status != IndexWrite::Status::Failed) return;
    m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Document List"),
        notListedText(trimBlanks(m_ctx.form->text(kNumberField)), result.reason));
}
