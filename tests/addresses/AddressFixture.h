#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "addresses/AddressBook.h"
#include "forms/FormModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

// A started program over a fresh documents folder, with the address book
// bound as the application binds it.
struct AddressFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    AddressBook book{t.app->context()};
    int stockRefills = 0;

    AddressFixture() {
        book.bind();
        auto& hook = t.app->context().hooks.PopStockList;
        hook = [this, inner = hook] {
            ++stockRefills;
            if (inner) inner();
        };
    }
    // Starts the program (after any file the test has put in place).
    AddressFixture& start() {
        t.app->start();
        return *this;
    }
    FormModel& form() { return t.app->mainForm(); }
    QString bookPath() { return dataOf(dir) + QStringLiteral("ovo_addy.dat"); }
    QString tempPath() { return dataOf(dir) + QStringLiteral("ovo_addy.tmp"); }
    void writeBook(const QByteArray& bytes) {
        QDir().mkpath(dataOf(dir));
        writeFile(bookPath(), bytes);
    }

    void type(const char* combo, const QString& name, const char* field, const QString& lines) {
        form().setText(QLatin1String(combo), name);
        form().setText(QLatin1String(field), lines);
    }
    void typeSoldTo(const QString& name, const QString& lines) {
        type("ToCombo", name, "ToField", lines);
    }
    void typeShipTo(const QString& name, const QString& lines) {
        type("ShipToCombo", name, "ShipToField", lines);
    }
    // Picks a name from a list, as the window does: the text, then the click.
    void choose(const char* combo, const QString& name) {
        form().setText(QLatin1String(combo), name);
        form().click(QLatin1String(combo));
    }
    bool on(const char* name) { return form().isEnabled(QLatin1String(name)); }
    QString text(const char* name) { return form().text(QLatin1String(name)); }
};

// An address record built from the layout: offset 0 flag, 1 kind, 2 tag
// (little-endian double), 10 name (60, blank-padded), 70 address (500).
inline QByteArray addyRecord(char flag, char kind, double tag, const QByteArray& name,
                             const QByteArray& address) {
    return QByteArray(1, flag) + QByteArray(1, kind) + bytes::real(tag) + bytes::text(name, 60) +
           bytes::text(address, 500);
}
