#pragma once

#include <QDialog>

class QTextBrowser;
class ViewerForm;

// The "Print / Preview" window over its model: the page in a text browser
// that finds the page's pictures beside it, the buttons and the File menu.
class ViewerDialog : public QDialog {
    Q_OBJECT
public:
    ViewerDialog(ViewerForm& model, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showPage();
    void sizeToPage(QWidget* over);

    ViewerForm& m_model;
    QTextBrowser* m_browser;
};
