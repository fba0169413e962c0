#pragma once

#include <QString>
#include <functional>

#include "document/SalesDocument.h"

class FormModel;

// Moves a document between the main window's controls and a SalesDocument,
// both ways. The only code outside the window models and views that names
// the document's controls.
class DocumentMapper {
public:
    explicit DocumentMapper(FormModel& form) : m_form(form) {}

    // The document on screen. Its sub-folder is not on screen: it is blank.
    SalesDocument read() const;
    // Puts `doc` on screen: its kind, number, fields and line items. The
    // Payments and Balance Due fields and the payments list stay: the
    // payments ledger fills them from its file.
    void write(const SalesDocument& doc);
    // The same, the payments fields included.
    void writeAll(const SalesDocument& doc);

    // Runs `rule` on the edits that mark a numbered document changed: the
    // kind, the six history fields (which also hand their text to
    // `historyText`), the dates, the order total and the payments.
    void bindChangeRule(const std::function<void()>& rule,
                        const std::function<void(const QString&)>& historyText);
    // Lets a number of one's own be typed.
    void unlockNumber();
    // Saves the address blocks whose Save button is on in the address book;
    // a block with neither name nor lines is left alone.
    void saveEditedAddresses(const SalesDocument& doc);
    // Fills both blocks' lines from the address book by their names.
    void lookUpAddresses();

    DocumentKind kind() const;
    void setKind(DocumentKind kind);
    QString number() const;
    void setNumber(const QString& number);
    // Shows the folder a numbered document's page lies in.
    void showFolder(const QString& folder);
    void showButtons(bool saveChanges, bool saveAsNew);
    // The window title during a long developer command.
    void showProgress(const QString& text);

    // The order grid's heading row, with headings from the item labels.
    void resetItems();
    // The headings again from the item labels, the lines kept.
    void refreshItemHeadings();

private:
    QString itemsFormat() const;

    FormModel& m_form;
};
