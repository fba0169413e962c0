#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <functional>
#include <vector>

class GridModel;

enum class ControlKind {
    TextBox,
    MultiLine,
    Combo,
    Label,
    Button,
    Option,
    Check,
    Frame,
    Grid,
    Calendar,
    Menu,
    MenuItem,
    Separator,
    Popup,
    PopupItem,
};

struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    QString caption;
    QString toolTip;
    QString parent;  // menu of a menu item, frame of a control inside one
    bool enabled = true;
    bool visible = true;
    bool locked = false;  // a text box the user cannot type into
    QString text;
    bool checked = false;
    int maxLength = 0;  // 0: no typing limit
    QStringList items;
    GridModel* grid = nullptr;
};

// One control of a window's design, for building its model from a table.
struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption = "";
    const char* toolTip = "";
    const char* parent = "";
};

// Window measures in twips (1/1440 inch), as the configuration stores them.
struct WindowGeometry {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The presentation model of one window: its controls in control order, each
// with the state a window would show. Setting a value runs the control's
// change handler, as a window would; the views only mirror this state.
//
// A name the window lacks (a name read from a file, a control dropped from a
// design) is never fatal: reading gives an empty value, writing and handlers
// do nothing, and the name is reported once and kept in unknownNames().
// Check a name from outside the program with has() first.
class FormModel : public QObject {
    Q_OBJECT
public:
    enum class Property {
        Caption,
        ToolTip,
        Enabled,
        Visible,
        Locked,
        Text,
        Checked,
        Items,
        MaxLength
    };

    FormModel(QString name, QString caption, QObject* parent = nullptr);
    ~FormModel() override;

    const QString& name() const { return m_name; }
    const QString& windowCaption() const { return m_caption; }
    void setWindowCaption(const QString& caption);

    Control& add(Control control);
    // Adds the controls of a design table, in its order.
    template <std::size_t N>
    void addRows(const ControlRow (&rows)[N]) {
        for (const ControlRow& r : rows) addRow(r);
    }
    void addRow(const ControlRow& row);
    const std::vector<Control>& controls() const { return m_controls; }
    bool has(const QString& name) const { return m_index.contains(name); }
    // An unknown name gives an empty control.
    const Control& control(const QString& name) const;
    // The names asked for that the window lacks, in the order first asked.
    const QStringList& unknownNames() const { return m_unknown; }

    QString text(const QString& name) const { return control(name).text; }
    void setText(const QString& name, const QString& text);
    QString caption(const QString& name) const { return control(name).caption; }
    void setCaption(const QString& name, const QString& caption);
    QString toolTip(const QString& name) const { return control(name).toolTip; }
    void setToolTip(const QString& name, const QString& toolTip);
    bool isEnabled(const QString& name) const { return control(name).enabled; }
    void setEnabled(const QString& name, bool enabled);
    bool isVisible(const QString& name) const { return control(name).visible; }
    void setVisible(const QString& name, bool visible);
    void setLocked(const QString& name, bool locked);
    bool isChecked(const QString& name) const { return control(name).checked; }
    // An option button that is checked clears the other options beside it.
    void setChecked(const QString& name, bool checked);
    QStringList items(const QString& name) const { return control(name).items; }
    void setItems(const QString& name, const QStringList& items);
    int maxLength(const QString& name) const { return control(name).maxLength; }
    void setMaxLength(const QString& name, int maxLength);
    GridModel* grid(const QString& name) const { return control(name).grid; }

    // What a click (or a menu choice) runs; nothing when the control is off.
    void onClick(const QString& name, std::function<void()> handler);
    void click(const QString& name);
    // Handlers run in the order they were added.
    void onChange(const QString& name, std::function<void()> handler);

    // The other events a window reports for a control. Like a click, each
    // runs only while the control is enabled.
    enum class Event {
        DoubleClick,
        RightClick,  // the right button released over the control
        GotFocus,
        DropDown,    // a combo box opens its list
        EditDelete,  // "Delete" from the context menu of a combo box's edit box
    };
    void on(const QString& name, Event event, std::function<void()> handler);
    void fire(const QString& name, Event event);
    void onDoubleClick(const QString& name, std::function<void()> handler) {
        on(name, Event::DoubleClick, std::move(handler));
    }
    void doubleClick(const QString& name) { fire(name, Event::DoubleClick); }
    void onRightClick(const QString& name, std::function<void()> handler) {
        on(name, Event::RightClick, std::move(handler));
    }
    void rightClick(const QString& name) { fire(name, Event::RightClick); }
    bool handles(const QString& name, Event event) const {
        return m_eventHandlers.contains({name, static_cast<int>(event)});
    }

    // Asks the view to show a pop-up menu at the pointer.
    void showPopup(const QString& name);
    // Asks the view to put the input focus on a control.
    void setFocus(const QString& name);
    // The busy pointer while a long list is filled.
    void setBusy(bool busy) { Q_EMIT busyChanged(busy); }

    const WindowGeometry& geometry() const { return m_geometry; }
    // From the program: moves the window (the view follows).
    void setGeometry(const WindowGeometry& g);
    // From the view: records where the user put the window.
    void noteGeometry(const WindowGeometry& g) { m_geometry = g; }
    WindowGeometry minimumSize() const { return m_minimum; }
    void setMinimumSize(double widthTwips, double heightTwips);

    // Asks the view to close the window (which then runs the closing rules).
    void requestClose() { Q_EMIT closeRequested(); }

Q_SIGNALS:
    void changed(const QString& name, FormModel::Property property);
    void windowCaptionChanged(const QString& caption);
    void geometryChanged();
    void closeRequested();
    void popupRequested(const QString& name);
    void focusRequested(const QString& name);
    void busyChanged(bool busy);

private:
    // The control of that name; null (and reported) when there is none.
    const Control* find(const QString& name) const;
    Control* mut(const QString& name) { return const_cast<Control*>(find(name)); }
    void runChangeHandlers(const QString& name);
    template <typename T>
    void assign(const QString& name, T Control::*member, const T& value, Property property);

    QString m_name;
    QString m_caption;
    std::vector<Control> m_controls;
    QHash<QString, int> m_index;
    mutable QStringList m_unknown;
    QHash<QString, std::function<void()>> m_clickHandlers;
    QHash<QString, std::vector<std::function<void()>>> m_changeHandlers;
    QHash<QPair<QString, int>, std::function<void()>> m_eventHandlers;
    WindowGeometry m_geometry;
    WindowGeometry m_minimum;
};
