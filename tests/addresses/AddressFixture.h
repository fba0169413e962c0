#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "addresses/AddressBook.h"
#include "forms/FormModel.h"
#include "support/Records.h"
#include "support/Fakes.h"

// The program over a fresh documents folder holding `book` (none if null),
// with the address book bound as the application binds it. Not yet started.
struct AddressFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    AddressBook book{t.app->context()};
    int stockRefills = 0;

    explicit AddressFixture(const QByteArray& entries = {}) {
        QDir().mkpath(dataOf(dir));
        if (!entries.isNull()) writeFile(bookPath(), entries);
        book.bind();
        auto& hook = t.app->context().hooks.PopStockList;
        hook = [this, inner = hook] {
            ++stockRefills;
            if (inner) inner();
        };
    }
    FormModel& form() { return t.app->mainForm(); }
    QString bookPath() { return dataOf(dir) + QStringLiteral("ovo_addy.dat"); }
    // Temporary files of replaces left in the data folder.
    QStringList tempFiles() {
        return QDir(dataOf(dir)).entryList({QStringLiteral("*.tbtmp*")}, QDir::Files);
    }
    void click(const QString& name) { form().click(name); }
    void type(const QString& combo, const QString& name, const QString& field,
              const QString& lines) {
        form().setText(combo, name);
        form().setText(field, lines);
    }
    // As the window picks from a list: the text, then the click.
    void choose(const QString& combo, const QString& name) {
        form().setText(combo, name);
        form().click(combo);
    }
    bool on(const QString& name) { return form().isEnabled(name); }
    QString text(const QString& name) { return form().text(name); }
};
