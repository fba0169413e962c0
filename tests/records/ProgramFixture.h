#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "support/Records.h"

// The program started over a fresh documents folder, with a scripted
// editor; `file` of the data folder holds `bytes` before start-up reads it.
struct ProgramFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    ScriptedWindows windows;

    explicit ProgramFixture(const QString& file = {}, const QByteArray& bytes = {}) {
        QDir().mkpath(dataOf(dir));
        if (!file.isEmpty()) writeFile(data(file), bytes);
        t.app->context().windows = &windows;
        t.app->start();
    }
    FormModel& form() { return t.app->mainForm(); }
    GridModel& grid(const QString& name) { return *form().grid(name); }
    QString data(const QString& file = {}) { return dataOf(dir) + file; }
    QByteArray bytes(const QString& file) { return readFile(data(file)); }
    QList<AskedMessage>& asked() { return t.prompter.asked; }
    QStringList titles() {
        QStringList out;
        for (const AskedMessage& m : asked()) out << m.title;
        return out;
    }
    QString text(const QString& name) { return form().text(name); }
    bool on(const QString& name) { return form().isEnabled(name); }
    // As the window picks from a list: the text, then the click.
    void choose(const QString& combo, const QString& text) {
        form().setText(combo, text);
        form().click(combo);
    }
    static QStringList column(GridModel& grid, int col) {
        QStringList out;
        for (int r = 1; r < grid.rows(); ++r) out << grid.cell(r, col).trimmed();
        return out;
    }
    // The text of the last message asked; empty when none was.
    QString told() { return asked().isEmpty() ? QString() : asked().last().text; }
    DocumentSession& session() { return t.app->session(); }
};
