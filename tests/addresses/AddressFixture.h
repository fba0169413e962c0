#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "addresses/AddressBook.h"
#include "app/Application.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"
#include "support/Records.h"

// The program started over a fresh documents folder whose address book
// holds `entries` (no book if null); it counts the stock list refills asked.
struct AddressFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    AddressBook& book = t.app->addresses();
    int stockRefills = 0;

    explicit AddressFixture(const QByteArray& entries = {}) {
        QDir().mkpath(dataOf(dir));
        if (!entries.isNull()) writeFile(bookPath(), entries);
        auto& hook = t.app->context().hooks.PopStockList;
        hook = [this, inner = hook] {
            ++stockRefills;
            if (inner) inner();
        };
        t.app->start();
    }
    FormModel& form() { return t.app->mainForm(); }
    QString bookPath() { return dataOf(dir) + QStringLiteral("ovo_addy.dat"); }
    QByteArray bytes() { return readFile(bookPath()); }
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
