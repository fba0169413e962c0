#pragma once

// What the viewer meets: the main form, a prompter that records, a desktop
// and a window host of the test's choice, and a folder for its pages.
#include <QTemporaryDir>

#include "forms/FormModel.h"
#include "forms/MainForm.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

template <typename Desktop, typename Windows = ScriptedWindows>
struct ViewerSeams {
    QTemporaryDir dir;
    Windows windows;
    std::unique_ptr<FormModel> mainForm = makeMainForm();
    FakePrompter prompter;
    Desktop desktop;
    AppContext ctx;

    ViewerSeams() {
        ctx.form = mainForm.get();
        ctx.prompter = &prompter;
        ctx.desktop = &desktop;
        ctx.windows = &windows;
    }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
};
