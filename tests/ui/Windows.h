#pragma once

// The main window of a test application over fake seams, its dialogs shown
// for real. Files the test needs are written between making and start().
#include <QTemporaryDir>
#include <QTest>

#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

struct MainFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    QtWindowHost windows;
    MainWindow w{*t.app};
    FormModel& form = t.app->mainForm();

    MainFixture() {
        t.app->context().windows = &windows;
        windows.setParentWindow(&w);
        windows.setPrompter(t.prompter);
    }
    bool start() { return w.start() && QTest::qWaitForWindowExposed(&w); }

    // The widget (or action, menu) of a control; the test fails without it.
    template <typename W = QWidget>
    W* get(const char* name) {
        W* found = w.findChild<W*>(QLatin1String(name));
        if (!found) qFatal("no %s named %s", W::staticMetaObject.className(), name);
        return found;
    }
};
