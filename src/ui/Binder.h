#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include "forms/FormModel.h"

class QAction;
class GridModel;
class QComboBox;
class QMenu;
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
    // under the window. Returns the names of the controls left unbound.
    QStringList bindAll();

    QObject* objectFor(const QString& name) const { return m_objects.value(name); }

private:
    void bind(const Control& control, QObject* object);
    void refresh(const QString& name, FormModel::Property property);
    void refreshAll(const QString& name);
    void bindComboEvents(const QString& name, QComboBox* combo);
    void bindGridEvents(const QString& name, QTableView* table, GridModel* grid);
    bool eventFilter(QObject* watched, QEvent* event) override;

    FormModel& m_model;
    QWidget* m_window;
    QHash<QString, QPointer<QObject>> m_objects;
    bool m_fromView = false;
};
