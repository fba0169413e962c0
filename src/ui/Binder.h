#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include "forms/FormModel.h"

class QAction;
class GridModel;
class Prompter;
class QComboBox;
class QMenu;
class QStringListModel;
class QTableView;
class QWidget;

// Binds the widgets of a window to the controls of its model by name: the
// widget whose objectName is a control's name shows that control's caption,
// tool tip, enabled and visible state and value, and hands the user's edits
// and clicks back to the model.
class Binder : public QObject {
    Q_OBJECT
public:
    Binder(FormModel& model, QWidget* window);

    // Binds every control that has a widget, action or menu of its name
    // under the window. Returns the controls left without one that need one
    // (all but separators, which only draw a line); unbound() keeps them.
    QStringList bindAll();
    const QStringList& unbound() const { return m_unbound; }

    // A window with an unbound control must not open: the user could not
    // reach that control, and the model would show what no one sees. Says
    // so with a Critical message naming them; false when it must not open.
    bool mayOpen(Prompter& prompter) const;

    QObject* objectFor(const QString& name) const { return m_objects.value(name); }

private:
    void bind(const Control& control, QObject* object);
    void refresh(const QString& name, FormModel::Property property);
    void refreshAll(const QString& name);
    void bindComboEvents(const QString& name, QComboBox* combo);
    void bindGridEvents(const QString& name, QTableView* table, GridModel* grid);
    // Gives a list box that adds nothing typed into it the items of its
    // control, sharing one model with the boxes given the same list (the
    // Sold To and Ship To boxes each show every name of the address book).
    void showSharedItems(QComboBox* combo, const QStringList& items);
    bool eventFilter(QObject* watched, QEvent* event) override;

    FormModel& m_model;
    QWidget* m_window;
    QHash<QString, QPointer<QObject>> m_objects;
    QStringList m_unbound;
    bool m_fromView = false;
    QHash<QComboBox*, QStringListModel*> m_listModels;
};
