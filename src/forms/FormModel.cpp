#include "forms/FormModel.h"

#include "forms/GridModel.h"
#include "records/Messages.h"

#include <QtDebug>

FormModel::FormModel(QString name, QString caption, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_caption(std::move(caption)) {}

FormModel::~FormModel() = default;

void FormModel::setWindowCaption(const QString& caption) {
    if (m_caption == caption) return;
    m_caption = caption;
    Q_EMIT windowCaptionChanged(caption);
}

Control& FormModel::add(Control control) {
    // A second control of one name would never be reached: the first stays.
    if (const auto it = m_index.constFind(control.name); it != m_index.constEnd()) {
        qWarning("%s: a second control named %s is ignored", qPrintable(m_name),
                 qPrintable(control.name));
        return m_controls[static_cast<size_t>(*it)];
    }
    if (control.kind == ControlKind::Grid && !control.grid) control.grid = new GridModel(1, this);
    m_index.insert(control.name, static_cast<int>(m_controls.size()));
    m_controls.push_back(std::move(control));
    return m_controls.back();
}

void FormModel::addRow(const ControlRow& row) {
    Control c;
    c.name = QLatin1String(row.name);
    c.kind = row.kind;
    c.caption = QString::fromUtf8(row.caption);
    c.toolTip = QString::fromUtf8(row.toolTip);
    c.parent = QLatin1String(row.parent);
    add(std::move(c));
}

const Control* FormModel::find(const QString& name) const {
    const auto it = m_index.constFind(name);
    if (it != m_index.constEnd()) return &m_controls[static_cast<size_t>(*it)];
    if (!m_unknown.contains(name)) {
        qWarning("%s: no control named %s", qPrintable(m_name), qPrintable(name));
        m_unknown.append(name);
    }
    return nullptr;
}

const Control& FormModel::control(const QString& name) const {
    static const Control none;
    const Control* c = find(name);
    return c ? *c : none;
}

template <typename T>
void FormModel::assign(const QString& name, T Control::*member, const T& value, Property property) {
    Control* c = mut(name);
    if (!c || c->*member == value) return;
    c->*member = value;
    Q_EMIT changed(name, property);
}

void FormModel::setText(const QString& name, const QString& text) {
    Control* c = mut(name);
    if (!c || c->text == text) return;
    c->text = text;
    Q_EMIT changed(name, Property::Text);
    runChangeHandlers(name);
}

void FormModel::setCaption(const QString& name, const QString& caption) {
    assign(name, &Control::caption, caption, Property::Caption);
}

void FormModel::setToolTip(const QString& name, const QString& toolTip) {
    assign(name, &Control::toolTip, toolTip, Property::ToolTip);
}

void FormModel::setEnabled(const QString& name, bool enabled) {
    assign(name, &Control::enabled, enabled, Property::Enabled);
}

void FormModel::setVisible(const QString& name, bool visible) {
    assign(name, &Control::visible, visible, Property::Visible);
}

void FormModel::setLocked(const QString& name, bool locked) {
    assign(name, &Control::locked, locked, Property::Locked);
}

void FormModel::setChecked(const QString& name, bool checked) {
    Control* c = mut(name);
    if (!c || c->checked == checked) return;
    c->checked = checked;
    const ControlKind kind = c->kind;
    const QString parent = c->parent;
    Q_EMIT changed(name, Property::Checked);
    if (kind == ControlKind::Option && checked) {
        for (Control& other : m_controls) {
            if (other.kind == ControlKind::Option && other.parent == parent && other.name != name &&
                other.checked) {
                other.checked = false;
                Q_EMIT changed(other.name, Property::Checked);
            }
        }
    }
    if (kind != ControlKind::Option || checked) {
        runChangeHandlers(name);
    }
}

void FormModel::setItems(const QString& name, const QStringList& items) {
    assign(name, &Control::items, items, Property::Items);
}

void FormModel::setMaxLength(const QString& name, int maxLength) {
    assign(name, &Control::maxLength, maxLength, Property::MaxLength);
}

void FormModel::onClick(const QString& name, std::function<void()> handler) {
    if (find(name)) m_clickHandlers.insert(name, std::move(handler));
}

void FormModel::click(const QString& name) {
    const Control* c = find(name);
    if (!c || !c->enabled) return;
    const OneReportPerFile oneCommand;
    if (auto h = m_clickHandlers.value(name)) h();
}

void FormModel::onChange(const QString& name, std::function<void()> handler) {
    if (find(name)) m_changeHandlers[name].push_back(std::move(handler));
}

void FormModel::runChangeHandlers(const QString& name) {
    const auto it = m_changeHandlers.constFind(name);
    if (it == m_changeHandlers.constEnd()) return;
    // A copy: a handler may add handlers.
    const std::vector<std::function<void()>> handlers = *it;
    const OneReportPerFile oneCommand;
    for (const auto& h : handlers) h();
}

void FormModel::on(const QString& name, Event event, std::function<void()> handler) {
    if (find(name)) m_eventHandlers.insert({name, static_cast<int>(event)}, std::move(handler));
}

void FormModel::fire(const QString& name, Event event) {
    const Control* c = find(name);
    if (!c || !c->enabled) return;
    const OneReportPerFile oneCommand;
    if (auto h = m_eventHandlers.value({name, static_cast<int>(event)})) h();
}

void FormModel::showPopup(const QString& name) {
    if (find(name)) Q_EMIT popupRequested(name);
}

void FormModel::setFocus(const QString& name) {
    if (find(name)) Q_EMIT focusRequested(name);
}

void FormModel::setGeometry(const WindowGeometry& g) {
    m_geometry = g;
    Q_EMIT geometryChanged();
}

void FormModel::setMinimumSize(double widthTwips, double heightTwips) {
    m_minimum.width = widthTwips;
    m_minimum.height = heightTwips;
    Q_EMIT geometryChanged();
}
