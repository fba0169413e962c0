#pragma once

#include "addresses/AddressBook.h"
#include "records/ProgramFixture.h"

// The program over an address book of `entries` (no book if null).
struct AddressFixture : ProgramFixture {
    explicit AddressFixture(const QByteArray& entries = {})
        : ProgramFixture(entries.isNull() ? QString() : QStringLiteral("ovo_addy.dat"), entries) {}
    AddressBook& book() { return t.app->addresses(); }
    QString bookPath() { return data(QStringLiteral("ovo_addy.dat")); }
    QByteArray bytes() { return readFile(bookPath()); }
    void click(const QString& name) { form().click(name); }
    void type(const QString& combo, const QString& name, const QString& field,
              const QString& lines) {
        form().setText(combo, name);
        form().setText(field, lines);
    }
};
