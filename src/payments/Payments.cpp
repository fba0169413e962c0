#include "payments/Payments.h"
#include "forms/ControlNames.h"

#include <QFileInfo>
#include <QVector>

#include "base/Clock.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/Document.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "payments/PaymentRecord.h"
#include "records/Messages.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kNumber = ctl::PONoEd;
const QString kGrid = ctl::PaymentsGrid;
const QString kFrame = ctl::PaymentsFrame;
const QString kDate = ctl::PaymentDateEd;
const QString kAmount = ctl::PaymentAmountEd;
const QString kPaid = ctl::PaymentsEd;
const QString kBalance = ctl::BalanceDueEd;
const QString kOrderTotal = ctl::OrderTotalEd;
const QString kTitle = QStringLiteral("Payments");

constexpr int kDateColumn = 0;
constexpr int kAmountColumn = 1;
constexpr int kRecordColumn = 2;

// The heading's trailing blanks give the date and amount columns their
// widths; the record number column has no heading.
const QString kGridFormat = QStringLiteral("Date") + QString(15, u' ') +
                            QStringLiteral("|<Amount") + QString(53, u' ') + u'|';

const QLatin1String kEmptyCells("<tr><td></td><td></td><td></td>");
const QLatin1String kSmall("<td><font size=\"-1\">");
const QLatin1String kSmallRight("<td align=\"right\"><font size=\"-1\">");
const QLatin1String kEnd("</td>");
const QLatin1String kRowEnd("</tr>");

// A missing file is created; an existing one is only read.
FileError openForReading(RecordFile& file) {
    const bool exists = QFileInfo::exists(nativePath(file.path()));
    return file.open(exists ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWrite);
}

// The stored number of a record, without its padding, as raw bytes.
QByteArrayView storedNumber(const char* record) {
    const char* from = record + payrec::Number;
    qsizetype size = payrec::NumberWidth;
    while (size > 0 && *from == ' ') {
        ++from;
        --size;
    }
    while (size > 0 && from[size - 1] == ' ') --size;
    return QByteArrayView(from, size);
}

}  // namespace

struct Payments::Listed {
    struct Row {
        int record;  // from 1
        double date;
        Currency amount;
    };
    QVector<Row> rows;
    // Nothing when the amounts add up beyond the money type's range.
    std::optional<Currency> total = Currency();
    qint64 fileSize = 0;
};

QString Payments::path() const {
    return m_ctx.state.DataPath + QLatin1String(kFileName);
}

void Payments::bind() {
    FormModel& f = *m_ctx.form;
    GridModel* grid = f.grid(kGrid);
    grid->setFormatString(kGridFormat);
    grid->setColumnHidden(kRecordColumn, true);
    f.onClick(ctl::ShowPayments, [this] { ShowPayments(); });
    f.onClick(ctl::ClosePayments, [this] { ClosePayments(); });
    f.onClick(ctl::SavePayment, [this] { SavePayment(); });
    f.onClick(ctl::DeletePayment, [this] { DeletePayment(); });
    f.onClick(kGrid, [this] { PaymentsGrid_Click(); });
    f.onChange(kOrderTotal, [this] { OrderTotalEd_Change(); });
    // The list holds the payments of the number on screen: another number
    // makes it stale, also in a command that has already refilled it.
    f.onChange(kNumber, [this] { m_ctx.lists.markStale(ListRefills::Payments); });
    m_ctx.hooks.PopPAGrid = [this] { PopPAGrid(); };
}

bool Payments::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

void Payments::tell(const QString& text) {
    m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, kTitle, text);
}

std::optional<Currency> Payments::orderTotal() const {
    const QString text = trimBlanks(m_ctx.form->text(kOrderTotal));
    if (text.isEmpty()) return Currency();
    const CurrencyParse p = m_ctx.formats->toMoneyAmount(text);
    if (!p.ok()) return std::nullopt;
    return p.value;
}

void Payments::showTotals(std::optional<Currency> total) {
    FormModel& f = *m_ctx.form;
    const Formats& formats = *m_ctx.formats;
    f.setText(kPaid, total ? formats.standard(*total) : QString());
    const std::optional<Currency> order = orderTotal();
    const std::optional<Currency> balance = (order && total) ? order->minus(*total) : std::nullopt;
    f.setText(kBalance, balance ? formats.standard(*balance) : QString());
}

void Payments::OrderTotalEd_Change() {
    const QString paidText = trimBlanks(m_ctx.form->text(kPaid));
    const CurrencyParse paid = m_ctx.formats->toMoneyAmount(paidText);
    showTotals(paid.ok() && !paidText.isEmpty() ? std::optional<Currency>(paid.value)
                                                : std::nullopt);
}

std::optional<Payments::Listed> Payments::readPayments(const QString& number) {
    const QByteArray wanted = cp1252::encode(number);
    Listed listed;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        // A retry starts over: nothing of a failed attempt is kept.
        listed = Listed();
        RecordFile file(path(), payrec::kLength);
        if (FileError e = openForReading(file); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        listed.fileSize = bytes.size();
        // Every whole record, also past the count other copies address:
        // a payment in the file is never hidden. A cut record is not one.
        const qsizetype whole = bytes.size() / payrec::kLength;
        for (qsizetype n = 0; n < whole; ++n) {
            const char* at = bytes.constData() + n * payrec::kLength;
            if (at[payrec::Status] == 'D' || storedNumber(at) != wanted) continue;
            PaymentRecord rec;
            PaymentRecord::decode(at, payrec::kLength, &rec);
            listed.rows.append({static_cast<int>(n + 1), rec.date, rec.amount});
            if (listed.total) listed.total = listed.total->plus(rec.amount);
        }
        return {};
    });
    if (!ok) return std::nullopt;
    return listed;
}

void Payments::PopPAGrid() {
    FormModel& f = *m_ctx.form;
    const Formats& formats = *m_ctx.formats;
    f.setBusy(true);
    GridModel* grid = f.grid(kGrid);
    grid->setDataRows({});
    grid->setFormatString(kGridFormat);
    grid->setCurrentRow(0);
    if (!m_ctx.state.DataAccessOK) {
        f.setBusy(false);
        return;
    }
    const QString number = trimBlanks(f.text(kNumber));
    const std::optional<Listed> listed = readPayments(number);
    if (!listed) {
        // Unknown rather than another document's sums.
        showTotals(std::nullopt);
        f.setBusy(false);
        return;
    }
    QVector<QStringList> rows;
    rows.reserve(listed->rows.size());
    for (const Listed::Row& row : listed->rows) {
        rows.append({formats.shortDate(serialdate::toDate(row.date)), formats.standard(row.amount),
                     u' ' + QString::number(row.record)});
    }
    grid->setDataRows(std::move(rows));
    f.setBusy(false);
    showTotals(listed->total);
    if (!listed->total) {
        tell(QStringLiteral("The payments of document %1 add up to more than Tallybrook can "
                            "count, so Payments and Balance Due are left empty.")
                 .arg(number));
    }
}

void Payments::ShowPayments() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    PopPAGrid();
    f.setText(kDate, m_ctx.formats->shortDate(m_ctx.clock->today()));
    f.setText(kAmount, QStringLiteral("0.00"));
    // A first payment proposes the whole order total.
    if (f.grid(kGrid)->rows() == 1) f.setText(kAmount, f.text(kOrderTotal));
    f.setVisible(kFrame, true);
}

void Payments::ClosePayments() {
    m_ctx.form->setVisible(kFrame, false);
}

void Payments::PaymentsGrid_Click() {
    FormModel& f = *m_ctx.form;
    const GridModel* grid = f.grid(kGrid);
    const int row = grid->currentRow();
    if (row < 1 || row >= grid->rows()) return;
    f.setText(kDate, trimBlanks(grid->cell(row, kDateColumn)));
    f.setText(kAmount, trimBlanks(grid->cell(row, kAmountColumn)));
}

void Payments::SavePayment() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    const Formats& formats = *m_ctx.formats;
    const QString number = trimBlanks(f.text(kNumber));
    if (number == kPending) {
        tell(
            QStringLiteral("This document has no number yet. Please save it first, then record "
                           "its payments. The payment has not been saved."));
        return;
    }
    if (number.isEmpty() || number.size() > payrec::NumberWidth) {
        tell(QStringLiteral("The document number \"%1\" does not fit the payments file, which "
                            "holds 1 to %2 characters. The payment has not been saved.")
                 .arg(number)
                 .arg(payrec::NumberWidth));
        return;
    }
    const QString dateText = trimBlanks(f.text(kDate));
    const QDate date = formats.toDate(dateText);
    if (!date.isValid()) {
        tell(QStringLiteral("The payment date \"%1\" is not a date. Please type it as %2. The "
                            "payment has not been saved.")
                 .arg(dateText, formats.shortDate(m_ctx.clock->today())));
        return;
    }
    const QString amountText = trimBlanks(f.text(kAmount));
    const CurrencyParse amount = formats.toCurrency(CleanNumber(amountText));
    if (amount.status == NumberStatus::OutOfRange) {
        tell(QStringLiteral("The payment amount \"%1\" is larger than Tallybrook can store. The "
                            "payment has not been saved.")
                 .arg(amountText));
        return;
    }
    if (!amount.ok()) {
        tell(QStringLiteral("The payment amount \"%1\" is not an amount. Please type it as a "
                            "number, for example 125.50. The payment has not been saved.")
                 .arg(amountText));
        return;
    }
    PaymentRecord rec;
    rec.number = number;
    rec.date = serialdate::fromDate(date);
    rec.amount = amount.value;
    const QByteArray wanted = cp1252::encode(number);
    const std::optional<Currency> order = orderTotal();

    enum class Outcome { Saved, Full, TooLarge } outcome = Outcome::Saved;
    bool tailMoved = false;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        outcome = Outcome::Saved;
        // Locked from reading the sum to appending, so another copy's new
        // payment is counted.
        RecordFile file(path(), payrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const qint64 used = bytes.size() / payrec::kLength;
        if (used >= RecordFile::kMaxRecords) {
            outcome = Outcome::Full;
            return {};
        }
        std::optional<Currency> total = rec.amount;
        const qsizetype whole = bytes.size() / payrec::kLength;
        for (qsizetype n = 0; n < whole && total; ++n) {
            const char* at = bytes.constData() + n * payrec::kLength;
            if (at[payrec::Status] == 'D' || storedNumber(at) != wanted) continue;
            PaymentRecord stored;
            PaymentRecord::decode(at, payrec::kLength, &stored);
            total = total->plus(stored.amount);
        }
        if (!total || (order && !order->minus(*total))) {
            outcome = Outcome::TooLarge;
            return {};
        }
        bool moved = false;
        const FileError e = file.appendRecord(Record(rec.encode()), &moved);
        tailMoved = tailMoved || moved;
        return e;
    });
    if (tailMoved) showCutTail(*m_ctx.prompter, path());
    if (!ok) return;
    if (outcome == Outcome::Full) {
        tell(QStringLiteral("The payments file already holds %1 records, as many as it can. The "
                            "payment has not been saved.")
                 .arg(formats.locale().toString(RecordFile::kMaxRecords)));
        return;
    }
    if (outcome == Outcome::TooLarge) {
        tell(QStringLiteral("With this payment the payments of document %1 would add up to more "
                            "than Tallybrook can count. The payment has not been saved.")
                 .arg(number));
        return;
    }
    PopPAGrid();
}

void Payments::DeletePayment() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    const QString number = trimBlanks(f.text(kNumber));
    if (number == kPending) {
        tell(
            QStringLiteral("This document has no number yet. Please save it first. Nothing has "
                           "been deleted."));
        return;
    }
    const GridModel* grid = f.grid(kGrid);
    const int row = grid->currentRow();
    bool isNumber = false;
    const int record = (row >= 1 && row < grid->rows())
                           ? trimBlanks(grid->cell(row, kRecordColumn)).toInt(&isNumber)
                           : 0;
    if (!isNumber || record < 1) {
        tell(QStringLiteral("Please pick the payment to delete in the list first."));
        return;
    }
    const QByteArray wanted = cp1252::encode(number);
    bool found = false;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        found = false;
        RecordFile file(path(), payrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        Record stored(payrec::kLength);
        if (FileError e = file.read(record, &stored); !e.ok()) return e;
        // The list may be out of date: only a live payment of this document
        // is deleted, and only its status changes.
        QByteArray bytes = stored.bytes();
        if (bytes.size() != payrec::kLength || bytes.at(payrec::Status) == 'D' ||
            storedNumber(bytes.constData()) != wanted) {
            return {};
        }
        bytes[payrec::Status] = 'D';
        found = true;
        return file.write(record, Record(bytes));
    });
    if (!ok) return;
    if (!found) {
        tell(QStringLiteral("That payment is no longer a payment of document %1 in the payments "
                            "file. Nothing has been deleted; the list now shows the payments as "
                            "they are.")
                 .arg(number));
        PopPAGrid();
        return;
    }
    f.setText(kDate, QString());
    f.setText(kAmount, QStringLiteral("0.00"));
    PopPAGrid();
}

PaymentsBlockText Payments::makePaymentsBlock() {
    if (!m_ctx.state.DataAccessOK) return {};
    const Formats& formats = *m_ctx.formats;
    const std::optional<Listed> listed = readPayments(trimBlanks(m_ctx.form->text(kNumber)));
    if (!listed) return {};
    PaymentsBlockText block;
    block.html = kEmptyCells + kSmall + QLatin1String("Payments:") + kEnd +
                 QLatin1String("<td></td>") + kRowEnd;
    for (const Listed::Row& row : listed->rows) {
        block.html += kEmptyCells + kSmall + formats.shortDate(serialdate::toDate(row.date)) +
                      kEnd + kSmallRight + u'-' + formats.currency(row.amount) + kEnd + kRowEnd;
        ++block.rows;
    }
    showTotals(listed->total);
    const std::optional<Currency> order = orderTotal();
    const std::optional<Currency> balance =
        (order && listed->total) ? order->minus(*listed->total) : std::nullopt;
    block.html += kEmptyCells + kSmall + QLatin1String("Balance Due:") + kEnd + kSmallRight +
                  (balance ? formats.currency(*balance) : QString()) + kEnd + kRowEnd;
    ++block.rows;
    return block;
}

void Payments::MakePaymentsBlock(QString& block, int& lineCount) {
    const PaymentsBlockText made = makePaymentsBlock();
    block = made.html;
    lineCount += made.rows;
}
