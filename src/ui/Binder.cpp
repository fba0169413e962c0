#include "ui/Binder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTableView>
#include <QValidator>
#include <QWidget>
#include <algorithm>

#include "base/Prompter.h"
#include "forms/GridModel.h"
#include "ui/Accessibility.h"

namespace {

// Multi-line text keeps CR LF line ends in the model, as files hold them.
QString toModelLines(QString text) {
    return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}
QString toViewLines(QString text) {
    return text.remove(u'\r');
}

// Column widths follow the headings' lengths in the format text; the
// widest are capped so that a row fits on the screen.
// A view may name a column that takes the spare room ("stretchColumn"), a
// narrower cap ("maxColumnChars") and a heading row it never shows ("noHeader").
void applyColumns(QTableView* table, const GridModel* grid) {
    const QFontMetrics metrics = table->fontMetrics();
    const int charWidth = metrics.averageCharWidth();
    const QVariant stretch = table->property("stretchColumn");
    const int cap = table->property("maxColumnChars").isValid()
                        ? table->property("maxColumnChars").toInt()
                        : 48;
    QHeaderView* header = table->horizontalHeader();
    bool anyHeading = false;
    for (int col = 0; col < grid->cols(); ++col) {
        anyHeading = anyHeading || !grid->cell(0, col).trimmed().isEmpty();
        table->setColumnHidden(col, grid->isColumnHidden(col));
        // The heading with its trailing blanks, in the list's own font.
        const int measured = metrics.horizontalAdvance(grid->cell(0, col));
        table->setColumnWidth(col, qBound(4 * charWidth, measured, cap * charWidth) + 12);
        header->setSectionResizeMode(col, stretch.isValid() && stretch.toInt() == col
                                              ? QHeaderView::Stretch
                                              : QHeaderView::Interactive);
    }
    // A list not filled yet shows no empty heading row; "noHeader" keeps one hidden.
    header->setVisible(anyHeading && !table->property("noHeader").toBool());
}

// The typing limit of a field. Typing and pasting stop at the limit; text the
// program puts there, or an entry picked from the combo box's list, is never
// cut, and editing such a longer text may shorten it but not lengthen it.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit* edit, QComboBox* combo) : QValidator(edit), m_combo(combo) {
        m_accepted = edit->text().size();
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& text) { m_accepted = text.size(); });
    }

    void setLimit(int limit) { m_limit = limit; }

    // Runs `set` as the program's own change, exempt from the limit.
    template <typename F>
    void programmatic(F set) {
        const bool was = m_programmatic;
        m_programmatic = true;
        set();
        m_programmatic = was;
    }

    State validate(QString& input, int& pos) const override {
        const qsizetype room = std::max<qsizetype>(m_limit, m_accepted);
        if (m_limit <= 0 || m_programmatic || input.size() <= room) return Acceptable;
        if (m_combo && m_combo->findText(input, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
            return Acceptable;
        }
        // Keep what fits of the text just inserted before the cursor.
        const qsizetype excess = input.size() - room;
        if (pos < excess) return Invalid;
        input.remove(pos - excess, excess);
        pos -= static_cast<int>(excess);
        return Acceptable;
    }

private:
    QComboBox* m_combo;
    int m_limit = 0;
    qsizetype m_accepted = 0;
    bool m_programmatic = false;
};

TypingLimit* typingLimitOf(QLineEdit* edit, QComboBox* combo) {
    if (!edit) return nullptr;
    if (auto* limit = dynamic_cast<TypingLimit*>(const_cast<QValidator*>(edit->validator()))) {
        return limit;
    }
    auto* limit = new TypingLimit(edit, combo);
    edit->setValidator(limit);
    return limit;
}

// Sets a field's text as the program's own change.
template <typename F>
void setProgrammatically(QLineEdit* edit, F set) {
    auto* limit =
        edit ? dynamic_cast<TypingLimit*>(const_cast<QValidator*>(edit->validator())) : nullptr;
    if (limit) {
        limit->programmatic(set);
    } else {
        set();
    }
}

}  // namespace

Binder::Binder(FormModel& model, QWidget* window)
    : QObject(window), m_model(model), m_window(window) {
    connect(&m_model, &FormModel::changed, this, &Binder::refresh);
}

QStringList Binder::bindAll() {
    m_unbound.clear();
    for (const Control& c : m_model.controls()) {
        QObject* object = nullptr;
        if (c.kind == ControlKind::MenuItem || c.kind == ControlKind::PopupItem ||
            c.kind == ControlKind::Separator) {
            object = m_window->findChild<QAction*>(c.name);
        } else if (c.kind == ControlKind::Menu || c.kind == ControlKind::Popup) {
            object = m_window->findChild<QMenu*>(c.name);
        } else {
            object = m_window->findChild<QWidget*>(c.name);
        }
        if (!object) {
            if (c.kind != ControlKind::Separator) m_unbound.append(c.name);
            continue;
        }
        bind(c, object);
    }
    return m_unbound;
}

bool Binder::mayOpen(Prompter& prompter) const {
    if (m_unbound.isEmpty()) return true;
    const QString names = m_unbound.join(QStringLiteral(", "));
    qWarning("%s: no widget for %s", qPrintable(m_model.name()), qPrintable(names));
    prompter.message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, m_model.windowCaption(),
                     QStringLiteral("The window \"%1\" cannot be opened: no widget shows %2.")
                         .arg(m_model.windowCaption(), names));
    return false;
}

void Binder::bind(const Control& control, QObject* object) {
    const QString name = control.name;
    m_objects.insert(name, object);

    if (auto* action = qobject_cast<QAction*>(object)) {
        connect(action, &QAction::triggered, this, [this, name] { m_model.click(name); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        edit->setProperty("boundControl", name);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
            m_fromView = true;
            m_model.setText(name, text);
            m_fromView = false;
        });
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(object)) {
        multi->setProperty("boundControl", name);
        multi->installEventFilter(this);
        connect(multi, &QPlainTextEdit::textChanged, this, [this, name, multi] {
            if (m_fromView) return;
            m_fromView = true;
            m_model.setText(name, toModelLines(multi->toPlainText()));
            m_fromView = false;
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
        connect(combo, &QComboBox::editTextChanged, this, [this, name](const QString& text) {
            if (m_fromView) return;
            m_fromView = true;
            m_model.setText(name, text);
            m_fromView = false;
        });
        // A combo box without an edit box holds the item chosen as its text.
        connect(combo, &QComboBox::currentTextChanged, this,
                [this, name, combo](const QString& text) {
                    if (m_fromView || combo->isEditable()) return;
                    m_fromView = true;
                    m_model.setText(name, text);
                    m_fromView = false;
                });
        bindComboEvents(name, combo);
    } else if (qobject_cast<QRadioButton*>(object) || qobject_cast<QCheckBox*>(object)) {
        auto* button = static_cast<QAbstractButton*>(object);
        connect(button, &QAbstractButton::toggled, this, [this, name](bool on) {
            if (m_fromView) return;
            m_fromView = true;
            m_model.setChecked(name, on);
            m_fromView = false;
        });
    } else if (qobject_cast<QLabel*>(object)) {
        object->installEventFilter(this);  // some labels answer a double click
    } else if (auto* push = qobject_cast<QPushButton*>(object)) {
        connect(push, &QPushButton::clicked, this, [this, name] { m_model.click(name); });
    } else if (auto* calendar = qobject_cast<QCalendarWidget*>(object)) {
        // The model holds the date as "yyyy-MM-dd"; a date clicked (or Enter)
        // is the calendar's click.
        connect(calendar, &QCalendarWidget::selectionChanged, this, [this, name, calendar] {
            if (m_fromView) return;
            m_fromView = true;
            m_model.setText(name, calendar->selectedDate().toString(Qt::ISODate));
            m_fromView = false;
        });
        const auto pick = [this, name](QDate date) {
            m_fromView = true;
            m_model.setText(name, date.toString(Qt::ISODate));
            m_fromView = false;
            m_model.click(name);
        };
        connect(calendar, &QCalendarWidget::clicked, this, pick);
        connect(calendar, &QCalendarWidget::activated, this, pick);
    } else if (auto* table = qobject_cast<QTableView*>(object)) {
        if (GridModel* grid = control.grid) {
            table->setModel(grid);
            const auto columns = [table, grid] { applyColumns(table, grid); };
            connect(grid, &GridModel::columnsHiddenChanged, table, columns);
            connect(grid, &QAbstractItemModel::headerDataChanged, table, columns);
            connect(grid, &QAbstractItemModel::modelReset, table, columns);
            columns();
            bindGridEvents(name, table, grid);
        }
    }
    refreshAll(name);
}

void Binder::bindGridEvents(const QString& name, QTableView* table, GridModel* grid) {
    // The grid's current cell is the one the handlers work on: row 0 is the
    // heading row, data rows count from 1.
    const auto current = [grid](const QModelIndex& index) {
        grid->setCurrentRow(index.row() + 1);
        grid->setCurrentCol(index.column());
    };
    connect(table, &QAbstractItemView::clicked, this, [this, name, current](const QModelIndex& i) {
        current(i);
        m_model.click(name);
    });
    connect(table, &QAbstractItemView::doubleClicked, this,
            [this, name, current](const QModelIndex& i) {
                current(i);
                m_model.doubleClick(name);
            });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, name, grid](int col) {
                grid->setCurrentRow(0);
                grid->setCurrentCol(col);
                m_model.click(name);
            });
    // A right click picks the row under it first, as a left click would; a
    // view with "rightClickSelects" only makes it the current row (a click
    // there would open it), and none when no row is under the pointer.
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this,
            [this, name, table, grid, current](const QPoint& at) {
                const QModelIndex i = table->indexAt(at);
                const bool selectOnly = table->property("rightClickSelects").toBool();
                if (i.isValid()) {
                    table->setCurrentIndex(i);
                    current(i);
                    if (!selectOnly) m_model.click(name);
                } else if (selectOnly) {
                    grid->setCurrentRow(0);
                }
                m_model.rightClick(name);
            });
    // Keyboard: the arrows move the current row, Space picks it as a click
    // does and Enter acts on it as a double click does.
    table->installEventFilter(this);
    table->setProperty("boundGrid", name);
    if (QItemSelectionModel* selection = table->selectionModel()) {
        connect(selection, &QItemSelectionModel::currentChanged, this,
                [current](const QModelIndex& i) {
                    if (i.isValid()) current(i);
                });
    }
}

void Binder::showSharedItems(QComboBox* combo, const QStringList& items) {
    QStringListModel* model = nullptr;
    for (QStringListModel* m : std::as_const(m_listModels)) {
        // The same list, not only an equal one: that the model was made from.
        if (!items.isEmpty() && m->stringList().constData() == items.constData()) model = m;
    }
    if (!model) model = new QStringListModel(items, this);
    QStringListModel* old = m_listModels.value(combo);
    if (old == model) return;
    combo->setModel(model);
    m_listModels.insert(combo, model);
    if (old && !m_listModels.values().contains(old)) old->deleteLater();
}

void Binder::bindComboEvents(const QString& name, QComboBox* combo) {
    // A name picked from the list is the combo box's click.
    connect(combo, qOverload<int>(&QComboBox::activated), this,
            [this, name](int) { m_model.click(name); });
    combo->setProperty("boundControl", name);
    combo->installEventFilter(this);
    combo->view()->setProperty("boundControl", name);
    combo->view()->setProperty("isDropDown", true);
    combo->view()->installEventFilter(this);
    QLineEdit* edit = combo->lineEdit();
    if (!edit) return;
    edit->setProperty("boundControl", name);
    edit->installEventFilter(this);
    // The edit box's own menu, whose Delete first tells the model (it may
    // delete the history entry shown) and then deletes the selected text.
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this, [this, name, edit](const QPoint& at) {
        QMenu* menu = edit->createStandardContextMenu();
        for (QAction* action : menu->actions()) {
            // The standard menu's Delete, by its (translated) caption.
            if (action->text() != QCoreApplication::translate("QLineEdit", "Delete")) continue;
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this, name, edit] {
                m_model.fire(name, FormModel::Event::EditDelete);
                if (edit->hasSelectedText()) edit->insert(QString());
            });
        }
        menu->exec(edit->mapToGlobal(at));
        delete menu;
    });
}

bool Binder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLabel*>(watched)) {
        m_model.doubleClick(watched->objectName());
        return false;
    }
    const QString bound = watched->property("boundControl").toString();
    if (!bound.isEmpty()) {
        if (event->type() == QEvent::FocusIn) m_model.fire(bound, FormModel::Event::GotFocus);
        if (event->type() == QEvent::Show && watched->property("isDropDown").toBool()) {
            m_model.fire(bound, FormModel::Event::DropDown);
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* table = qobject_cast<QTableView*>(watched);
    const QString name = watched->property("boundGrid").toString();
    if (!table || name.isEmpty() || !table->currentIndex().isValid()) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_model.doubleClick(name);
        return true;
    }
    if (key == Qt::Key_Space) {
        m_model.click(name);
        return true;
    }
    return false;
}

void Binder::refreshAll(const QString& name) {
    using P = FormModel::Property;
    for (P p : {P::Caption, P::ToolTip, P::Enabled, P::Visible, P::Locked, P::Text, P::Checked,
                P::Items, P::MaxLength}) {
        refresh(name, p);
    }
}

void Binder::refresh(const QString& name, FormModel::Property property) {
    QObject* object = m_objects.value(name);
    if (!object) return;
    const Control& c = m_model.control(name);
    using P = FormModel::Property;

    if (auto* action = qobject_cast<QAction*>(object)) {
        if (property == P::Caption && c.kind != ControlKind::Separator) action->setText(c.caption);
        if (property == P::ToolTip && !c.toolTip.isEmpty()) action->setToolTip(c.toolTip);
        if (property == P::Enabled) action->setEnabled(c.enabled);
        if (property == P::Visible) action->setVisible(c.visible);
        return;
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        if (property == P::Caption) menu->setTitle(c.caption);
        if (property == P::Enabled) menu->menuAction()->setEnabled(c.enabled);
        if (property == P::Visible) menu->menuAction()->setVisible(c.visible);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return;
    switch (property) {
        case P::ToolTip:
            // Screen readers speak the tool tip as the description.
            widget->setToolTip(c.toolTip);
            widget->setAccessibleDescription(c.toolTip);
            return;
        case P::Enabled:
            widget->setEnabled(c.enabled);
            return;
        case P::Visible:
            widget->setVisible(c.visible);
            return;
        default:
            break;
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (property == P::Caption) setLabelCaption(label, c.caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (property == P::Caption) button->setText(c.caption);
        if (property == P::Checked && button->isCheckable() && button->isChecked() != c.checked) {
            m_fromView = true;
            // An option button of a group refuses to clear itself; the model may.
            const bool exclusive = button->autoExclusive();
            button->setAutoExclusive(exclusive && c.checked);
            button->setChecked(c.checked);
            button->setAutoExclusive(exclusive);
            m_fromView = false;
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        if (property == P::Caption) group->setTitle(c.caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (property == P::Text && edit->text() != c.text) {
            setProgrammatically(edit, [&] { edit->setText(c.text); });
            // Show a long text from its start, as it reads.
            edit->setCursorPosition(0);
        }
        if (property == P::Locked) edit->setReadOnly(c.locked);
        if (property == P::MaxLength) typingLimitOf(edit, nullptr)->setLimit(c.maxLength);
    } else if (auto* calendar = qobject_cast<QCalendarWidget*>(widget)) {
        const QDate date = QDate::fromString(c.text, Qt::ISODate);
        if (property == P::Text && !m_fromView && date.isValid() &&
            calendar->selectedDate() != date) {
            m_fromView = true;
            calendar->setSelectedDate(date);
            m_fromView = false;
        }
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        if (property == P::Text && !m_fromView && toModelLines(multi->toPlainText()) != c.text) {
            m_fromView = true;
            multi->setPlainText(toViewLines(c.text));
            m_fromView = false;
        }
        if (property == P::Locked) multi->setReadOnly(c.locked);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (property == P::Items) {
            m_fromView = true;
            const QString text = combo->currentText();
            setProgrammatically(combo->lineEdit(), [&] {
                if (combo->insertPolicy() == QComboBox::NoInsert) {
                    showSharedItems(combo, c.items);
                } else {
                    combo->clear();
                    combo->addItems(c.items);
                }
                if (combo->isEditable()) {
                    combo->setEditText(text);
                } else {
                    combo->setCurrentIndex(
                        combo->findText(c.text, Qt::MatchExactly | Qt::MatchCaseSensitive));
                }
            });
            m_fromView = false;
        }
        if (property == P::Text && combo->currentText() != c.text && !m_fromView) {
            m_fromView = true;
            if (combo->isEditable()) {
                setProgrammatically(combo->lineEdit(), [&] { combo->setEditText(c.text); });
            } else {
                // A text not in the list shows no item.
                combo->setCurrentIndex(
                    combo->findText(c.text, Qt::MatchExactly | Qt::MatchCaseSensitive));
            }
            m_fromView = false;
        }
        if (property == P::MaxLength && combo->lineEdit()) {
            typingLimitOf(combo->lineEdit(), combo)->setLimit(c.maxLength);
        }
    }
}
