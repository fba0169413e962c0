// Every window against its model: each control has a widget of its kind that
// follows the model and hands edits and clicks back, a screen reader meets a
// name for everything, a control without a widget keeps its window shut and
// a name a window lacks is reported, never fatal.
#include <QtWidgets>

#include "A11yAudit.h"
#include "Windows.h"
#include "forms/DateRangeForm.h"
#include "forms/DescriptionForm.h"
#include "forms/GridModel.h"
#include "ui/Accessibility.h"
#include "ui/DateRangeDialog.h"
#include "ui/DescriptionDialog.h"
#include "ui/ViewerDialog.h"

namespace {

std::unique_ptr<FormModel> dialogModel(const QString& which) {
    if (which == u"viewer") return std::make_unique<ViewerForm>();
    return which == u"line editor" ? makeDescriptionForm() : makeDateRangeForm();
}

// One window of the program over its model, shown.
struct Opened {
    std::unique_ptr<MainFixture> main;
    std::unique_ptr<FormModel> model;
    std::unique_ptr<QWidget> window;
    FormModel* form;
    QWidget* view;

    explicit Opened(const QString& which) {
        if (which == u"main") {
            main = std::make_unique<MainFixture>();
            form = &main->form;
            view = &main->w;
            return;
        }
        model = dialogModel(which);
        form = model.get();
        if (auto* viewer = qobject_cast<ViewerForm*>(form)) window = std::make_unique<ViewerDialog>(*viewer);
        else if (which == u"line editor") window = std::make_unique<DescriptionDialog>(*form);
        else window = std::make_unique<DateRangeDialog>(*form);
        view = window.get();
    }
    bool show() {
        if (main) return main->start();
        view->show();
        return QTest::qWaitForWindowExposed(view);
    }
};

void addWindowRows() {
    QTest::addColumn<QString>("window");
    for (const char* w : {"main", "line editor", "date range", "viewer"}) QTest::newRow(w) << w;
}

// The widget class of each kind of control, and whether it shows a caption.
bool shownBy(ControlKind kind, const QObject* o) {
    static const char* const classes[] = {"QLineEdit", "QPlainTextEdit|QTextBrowser", "QComboBox",
                                          "QLabel", "QPushButton", "QRadioButton", "QCheckBox",
                                          "QGroupBox", "QTableView", "QCalendarWidget", "QMenu",
                                          "QAction", "QAction", "QMenu", "QAction"};
    for (const QString& c : QString::fromLatin1(classes[int(kind)]).split(u'|'))
        if (o->inherits(qPrintable(c))) return true;
    return false;
}
bool showsCaption(ControlKind k) {
    using K = ControlKind;
    return k == K::Label || k == K::Button || k == K::Option || k == K::Check || k == K::Frame ||
           k == K::Menu || k == K::MenuItem || k == K::PopupItem;
}

// What the object shows of its control's caption, enabled and visible state.
QString captionOf(QObject* o) {
    // A label with a buddy marks its letter with "&" and shows "&&" as "&".
    if (auto* l = qobject_cast<QLabel*>(o); l && l->buddy())
        return l->text().replace("&&", "\x01").remove(u'&').replace(u'\x01', u'&');
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    if (auto* a = qobject_cast<QAction*>(o)) return a->text();
    return qobject_cast<QMenu*>(o)->title();
}
QAction* actionOf(QObject* o) {
    auto* menu = qobject_cast<QMenu*>(o);
    return menu ? menu->menuAction() : qobject_cast<QAction*>(o);
}
bool enabledOf(QObject* o) {
    QAction* a = actionOf(o);
    return a ? a->isEnabled() : !static_cast<QWidget*>(o)->testAttribute(Qt::WA_Disabled);
}
bool shownOf(QObject* o) {
    QAction* a = actionOf(o);
    return a ? a->isVisible() : !static_cast<QWidget*>(o)->isHidden();
}

}  // namespace

class TestBinder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("no (control|widget) named")));
    }

    void everyControlFollowsItsModel_data() { addWindowRows(); }
    void everyControlFollowsItsModel() {
        QFETCH(QString, window);
        Opened o(window);
        QVERIFY(o.show());
        FormModel& m = *o.form;
        QHash<QString, int> clicks, doubles;
        for (const Control& c : m.controls()) {
            m.onClick(c.name, [&clicks, n = c.name] { ++clicks[n]; });
            m.onDoubleClick(c.name, [&doubles, n = c.name] { ++doubles[n]; });
        }
        // Alt and a label's letter reach the label's field.
        o.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(o.view));
        for (QLabel* label : o.view->findChildren<QLabel*>()) {
            const QKeySequence key = QKeySequence::mnemonic(label->text());
            if (key.isEmpty() || !label->buddy()) continue;
            QTest::keySequence(o.view, key);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus == label->buddy() || label->buddy()->isAncestorOf(focus),
                     qPrintable(label->objectName()));
        }

        QHash<QString, QStringList> menuItems;
        for (const Control& c : m.controls()) {
            // A label shows "&" as itself; on a button it marks the Alt letter.
            const QString name = c.name;
            const QString caption = QString::fromLatin1(c.kind == ControlKind::Label ? "Zx7 & " : "Zx7 ") + name;
            const QByteArray n = name.toLatin1();
            QObject* obj = o.view->findChild<QObject*>(name);
            QVERIFY2(obj && shownBy(c.kind, obj), n);
            if (!c.parent.isEmpty() && qobject_cast<QAction*>(obj)) menuItems[c.parent] << name;
            const bool visible = c.visible;
            for (const bool on : {false, true}) {
                m.setVisible(name, on);
                QVERIFY2(shownOf(obj) == on, n);
            }
            for (const bool on : {false, true}) {  // while shown: a hidden action is off
                m.setEnabled(name, on);
                QVERIFY2(enabledOf(obj) == on, n);
            }
            m.setVisible(name, visible);
            if (showsCaption(c.kind)) {
                m.setCaption(name, caption + u':');
                QVERIFY2(captionOf(obj).startsWith(caption), n);
            }
            auto* w = qobject_cast<QWidget*>(obj);
            if (w && !qobject_cast<QMenu*>(w)) {
                m.setToolTip(name, caption);
                QVERIFY2(w->toolTip() == caption && w->accessibleDescription() == caption, n);
            }
            // A label names its field (and a combo box's edit box, which holds
            // the focus); a button without a name of its own, its caption.
            if (auto* l = qobject_cast<QLabel*>(obj); l && l->buddy()) {
                QVERIFY2(a11y::spokenName(l->buddy()).contains(caption), n);
                if (auto* box = qobject_cast<QComboBox*>(l->buddy()); box && box->lineEdit())
                    QVERIFY2(box->lineEdit()->accessibleName().contains(caption), n);
            }
            if (auto* b = qobject_cast<QAbstractButton*>(obj); b && b->accessibleName().isEmpty())
                QVERIFY2(a11y::spokenName(b) == caption + u':', n);

            // Text both ways; typing stops at the limit, the program's own text
            // and a pick from the list are never cut.
            if (auto* e = qobject_cast<QLineEdit*>(obj)) {
                QCOMPARE(e->isReadOnly(), c.locked);
                m.setMaxLength(name, 2);
                m.setText(name, QStringLiteral("program's own"));
                QCOMPARE(e->text(), m.text(name));
                if (c.locked) continue;
                e->selectAll();
                QTest::keyClicks(e, QStringLiteral("abc"));
                QCOMPARE(m.text(name), QStringLiteral("ab"));
            } else if (auto* box = qobject_cast<QComboBox*>(obj)) {
                m.setMaxLength(name, 2);
                m.setItems(name, {QStringLiteral("Short"), QString(70, u'n')});
                box->setCurrentIndex(1);
                QCOMPARE(m.text(name), QString(70, u'n'));
                box->lineEdit()->selectAll();
                QTest::keyClicks(box->lineEdit(), QStringLiteral("abc"));
                QCOMPARE(m.text(name) + box->currentText(), QStringLiteral("abab"));
                m.setText(name, QStringLiteral("Zx"));
                Q_EMIT box->activated(0);
                QCOMPARE(box->currentText() + QString::number(clicks[name]), QStringLiteral("Zx1"));
            } else if (auto* p = qobject_cast<QPlainTextEdit*>(obj)) {
                QCOMPARE(p->isReadOnly(), c.locked);
                m.setText(name, QStringLiteral("12 Main St\r\nSpringfield"));
                QCOMPARE(p->toPlainText(), QStringLiteral("12 Main St\nSpringfield"));
                p->setPlainText(QStringLiteral("1\n2"));
                QCOMPARE(m.text(name), QStringLiteral("1\r\n2"));
            } else if (auto* b = qobject_cast<QAbstractButton*>(obj); b && b->isCheckable()) {
                m.setChecked(name, !b->isChecked());
                QCOMPARE(b->isChecked(), m.isChecked(name));
                b->click();
                QCOMPARE(b->isChecked(), m.isChecked(name));
                QVERIFY(m.isChecked(name) || c.kind == ControlKind::Check);
            } else if (b) {
                b->click();
                m.setEnabled(name, false);
                b->click();
                QCOMPARE(clicks[name], 1);
            } else if (auto* cal = qobject_cast<QCalendarWidget*>(obj)) {
                m.setText(name, QStringLiteral("2026-03-04"));
                QCOMPARE(cal->selectedDate(), QDate(2026, 3, 4));
                Q_EMIT cal->clicked(QDate(2026, 5, 6));
                QCOMPARE(m.text(name) + QString::number(clicks[name]), "2026-05-061");
            } else if (auto* table = qobject_cast<QTableView*>(obj)) {
                GridModel* grid = m.grid(name);
                QCOMPARE(table->model(), grid);
                for (int col = 0; col < grid->cols(); ++col)
                    QCOMPARE(table->isColumnHidden(col), grid->isColumnHidden(col));
                grid->addItem(QStringLiteral("a\tb"));
                const QModelIndex last = grid->index(grid->rowCount() - 1, grid->cols() - 1);
                Q_EMIT table->clicked(last);
                QCOMPARE(QPoint(grid->currentCol(), grid->currentRow()), QPoint(last.column(), grid->rows() - 1));
                Q_EMIT table->doubleClicked(last);
                Q_EMIT table->horizontalHeader()->sectionClicked(0);  // the heading row
                QCOMPARE(grid->currentRow(), 0);
                QCOMPARE(clicks[name] * 10 + doubles[name], 21);
            } else if (qobject_cast<QLabel*>(obj)) {
                QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(1, 1), QPointF(1, 1),
                                  Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(obj, &event);
                QCOMPARE(doubles[name], 1);
            } else if (auto* a = qobject_cast<QAction*>(obj)) {
                QCOMPARE(a->isSeparator(), c.kind == ControlKind::Separator);
                if (a->isSeparator()) continue;
                a->trigger();
                QCOMPARE(clicks[name], 1);
            }
        }
        // Menus hold their items in control order.
        for (auto it = menuItems.cbegin(); it != menuItems.cend(); ++it) {
            QStringList shown;
            for (QAction* a : o.view->findChild<QMenu*>(it.key())->actions()) shown << a->objectName();
            QCOMPARE(shown, it.value());
        }
    }

    // What a screen reader user meets: names, mnemonics, tab order; the main
    // window with every command on, in its stock view and its documents view.
    void everyWindowReadsWell_data() {
        addWindowRows();
        QTest::newRow("main, documents view") << "main";
    }
    void everyWindowReadsWell() {
        QFETCH(QString, window);
        Opened o(window);
        QVERIFY(o.show());
        if (o.main) {
            for (const Control& c : o.form->controls()) o.form->setEnabled(c.name, true);
            const bool documents = QByteArray(QTest::currentDataTag()).contains("documents");
            for (const char* name : {ctl::POGrid, ctl::Frame3, ctl::HideOrders,
                                     ctl::DateRangeMonolog, ctl::PaymentsFrame})
                o.form->setVisible(name, documents);
            o.form->setVisible(ctl::StockGrid, !documents);
            o.form->setVisible(ctl::ViewExisting, !documents);
        }
        if (o.main) {  // a tax named blank in the configuration
            o.form->setCaption(ctl::Label6, QStringLiteral("+ "));
            QCOMPARE(a11y::spokenName(o.main->get(ctl::TaxFactorEd)), QStringLiteral("Sales tax rate"));
        }
        QTest::qWait(0);
        const QStringList problems = a11y::problems(o.view);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // A control no widget shows keeps its window shut (the main window before
    // its load event touches a file), and the user is told which; a missing
    // separator only loses a line.
    void aControlWithoutWidgetKeepsTheWindowShut_data() { addWindowRows(); }
    void aControlWithoutWidgetKeepsTheWindowShut() {
        QFETCH(QString, window);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no widget for Extra$")));
        const auto addExtra = [](FormModel& m) {
            m.addRow({"Extra", ControlKind::Button, "Extra"});
            m.addRow({"ExtraSep", ControlKind::Separator});
        };
        QList<AskedMessage> asked;
        if (window == u"main") {
            QTemporaryDir dir;
            TestApp t(dir.path());
            addExtra(t.app->mainForm());
            MainWindow w(*t.app);
            QVERIFY(!w.start());
            QVERIFY(!w.isVisible());
            QVERIFY(QDir(dir.path()).isEmpty());
            asked = t.prompter.asked;
        } else {
            std::unique_ptr<FormModel> model = dialogModel(window);
            addExtra(*model);
            FakePrompter prompter;
            QtWindowHost host;
            host.setPrompter(prompter);
            bool opened = false;
            QTimer::singleShot(0, [&] {
                if (QWidget* w = QApplication::activeModalWidget()) opened = w->close();
            });
            host.showModal(*model);
            QVERIFY(!opened);
            asked = prompter.asked;
        }
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].icon == MsgIcon::Critical);
        QVERIFY2(asked[0].text.endsWith(QStringLiteral("no widget shows Extra.")),
                 qPrintable(asked[0].text));
    }

    // A name read from a file may be one the window lacks: it reads empty,
    // takes nothing, runs nothing, and is reported once.
    void anUnknownNameIsReportedNotFatal() {
        FormModel m(QStringLiteral("Win"), QStringLiteral("Win"));
        m.addRow({"Known", ControlKind::Grid, "first"});
        QTest::ignoreMessage(QtWarningMsg, "Win: no control named Nmae");
        QTest::ignoreMessage(QtWarningMsg, "Win: a second control named Known is ignored");
        m.addRow({"Known", ControlKind::Label, "second"});
        int ran = 0;
        const auto run = [&ran] { ++ran; };
        const QString bad = QStringLiteral("Nmae");
        m.onClick(bad, run);
        m.onChange(bad, run);
        m.on(bad, FormModel::Event::GotFocus, run);
        m.setText(bad, QStringLiteral("x"));
        m.setChecked(bad, true);
        m.setEnabled(bad, false);
        m.setItems(bad, {QStringLiteral("x")});
        m.click(bad);
        m.fire(bad, FormModel::Event::GotFocus);
        m.showPopup(bad);
        m.setFocus(bad);
        QCOMPARE(ran, 0);
        QVERIFY(m.text(bad).isEmpty() && m.caption(bad).isEmpty() && m.items(bad).isEmpty());
        QVERIFY(!m.grid(bad) && !m.isChecked(bad) && !m.has(bad));
        QCOMPARE(m.unknownNames(), QStringList{bad});
        QCOMPARE(m.controls().size(), size_t(1));
        QCOMPARE(m.caption(QStringLiteral("Known")), QStringLiteral("first"));
    }

    // The audit finds each kind of fault in an editor built as a dialog is
    // (widgets made in an order unlike the layout's), and one call fixes them.
    void auditFindsFaultsThatOneCallFixes() {
        QWidget window;
        auto* grid = new QGridLayout(&window);
        const auto add = [&]<typename W>(W* w, const char* name, int row, int col) {
            w->setObjectName(QLatin1String(name));
            grid->addWidget(w, row, col, 1, row ? 1 : 4);
            return w;
        };
        add(new QPushButton("&Delete"), "Del", 3, 2);
        auto* delAll = add(new QPushButton("&Delete"), "DelAll", 3, 3);
        add(new QPushButton("Save"), "Save", 3, 0);
        add(new QPushButton("Cancel"), "Cancel", 3, 1);
        add(new QPlainTextEdit, "Text1", 0, 0);
        add(new QLabel("Quantity"), "QLabel", 1, 0);
        add(new QLineEdit, "QEd", 1, 1);
        auto* costLabel = add(new QLabel("Unit Cost"), "UCLabel", 1, 2);
        auto* cost = add(new QLineEdit, "UCEd", 1, 3);
        cost->setToolTip(QStringLiteral("Price of one unit"));
        cost->setAccessibleDescription(QStringLiteral("stale"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QString found = a11y::problems(&window).join(u'\n');
        for (const char* fault : {"Text1 has no name", "QEd has no name", "\"Delete\" names",
                                  "UCEd describes itself as \"stale\"", "Del, DelAll",
                                  "Text1 lies above Save", "Cancel lies left of Del"})
            QVERIFY2(found.contains(QLatin1String(fault)), qPrintable(found));

        cost->setAccessibleDescription(cost->toolTip());
        delAll->setText(QStringLiteral("Delete &all"));
        AccessibleNames names;
        names.labels = {{"QLabel", "QEd", u'Q'}, {"UCLabel", "UCEd", u'C'}};
        names.names = {{"Text1", "Description"}, {"DelAll", "Delete every line"}};
        QCOMPARE(applyAccessibility(&window, names), QStringList());
        QCOMPARE(a11y::problems(&window), QStringList());
        QCOMPARE(a11y::spokenName(cost), QStringLiteral("Unit Cost"));
        QCOMPARE(costLabel->text(), QStringLiteral("Unit &Cost"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QtyEd NoLabel"));
        const AccessibleNames misspelt{{{"QLabel", "QtyEd", u'Q'}}, {{"Text1", "{NoLabel} text"}}};
        QCOMPARE(applyAccessibility(&window, misspelt), (QStringList{"QtyEd", "NoLabel"}));
    }
};

QTEST_MAIN(TestBinder)
#include "test_binder.moc"
