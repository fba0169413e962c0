#pragma once

#include <QDialog>

#include "viewer/ViewerForm.h"

#include <memory>

namespace pageprint {
class PaperCopy;
}
class Binder;
class PrintDialogs;
class QTextBrowser;

// The "Print / Preview" window over its model: the page in a text browser
// that finds the page's pictures beside it, the buttons and the File menu.
class ViewerDialog : public QDialog {
    Q_OBJECT
public:
    ViewerDialog(ViewerForm& model, QWidget* parent = nullptr);
    ~ViewerDialog() override;

    // The dialogs that printing asks; the standard ones unless replaced.
    void setPrintDialogs(PrintDialogs& dialogs) { m_dialogs = &dialogs; }
    const Binder& binder() const { return *m_binder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showPage();
    void output(ViewerForm::Output output);
    void sizeToPage(QWidget* over);

    ViewerForm& m_model;
    QTextBrowser* m_browser;
    PrintDialogs* m_dialogs;
    Binder* m_binder = nullptr;
    bool m_pagePending = false;  // set when shown
    // The page laid out for paper, made at the first print of the page shown.
    std::unique_ptr<pageprint::PaperCopy> m_paper;
};
