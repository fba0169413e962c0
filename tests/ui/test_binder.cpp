// Every window against its model: each control has a widget of its kind that
// follows the model and hands edits and clicks back, a screen reader meets a
// name for everything, a control without a widget keeps its window shut.
#include <QtWidgets>

#include "A11yAudit.h"
#include "Windows.h"
#include "addresses/AddressImport.h"
#include "forms/DateRangeForm.h"
#include "forms/DescriptionForm.h"
#include "forms/GridModel.h"
#include "shell/ConfigEditor.h"
#include "shell/PictureChooser.h"
#include "ui/ConfigDialog.h"
#include "ui/DateRangeDialog.h"
#include "ui/DescriptionDialog.h"
#include "ui/ImportDialog.h"
#include "ui/PictureDialog.h"
#include "ui/ViewerDialog.h"

namespace {

std::unique_ptr<FormModel> dialogModel(const QString& which) {
    if (which == u"viewer") return std::make_unique<ViewerForm>();
    if (which == u"editor") return makeConfigForm();
    if (which == u"chooser") return std::make_unique<PictureForm>(QDir::tempPath());
    if (which == u"import") return makeAddyForm();
    return which == u"line editor" ? makeDescriptionForm() : makeDateRangeForm();
}

// One window of the program over its model.
struct Opened {
    std::unique_ptr<MainFixture> main;
    std::unique_ptr<FormModel> model;
    std::unique_ptr<QWidget> window;
    FormModel* form;
    QWidget* view;

    explicit Opened(const QString& which) : model(which == u"main" ? nullptr : dialogModel(which)) {
        if (!model) main = std::make_unique<MainFixture>();
        form = model ? model.get() : &main->form;
        if (auto* viewer = qobject_cast<ViewerForm*>(form)) window = std::make_unique<ViewerDialog>(*viewer);
        else if (which == u"line editor") window = std::make_unique<DescriptionDialog>(*form);
        else if (which == u"editor") window = std::make_unique<ConfigDialog>(*form);
        else if (which == u"import") window = std::make_unique<ImportDialog>(*form);
        else if (auto* pic = qobject_cast<PictureForm*>(form)) window = std::make_unique<PictureDialog>(*pic);
        else if (model) window = std::make_unique<DateRangeDialog>(*form);
        view = model ? window.get() : &main->w;
        if (window) window->show();
    }
    bool shown() { return main ? main->start() : QTest::qWaitForWindowExposed(view); }
};

void addWindowRows() {
    QTest::addColumn<QString>("window");
    for (const char* w : {"main", "line editor", "date range", "viewer", "editor", "chooser", "import"}) QTest::newRow(w) << w;
}

// The widget classes of each kind of control, and whether it shows a caption.
const std::pair<const char*, bool> kWidgets[] = {
    {"QLineEdit", false}, {"QPlainTextEdit|QTextBrowser", false}, {"QComboBox", false},
    {"QLabel", true},     {"QPushButton", true},  {"QRadioButton", true}, {"QCheckBox", true},
    {"QGroupBox", true},  {"QTableView", false},  {"QCalendarWidget", false}, {"QMenu", true},
    {"QAction", true},    {"QAction", false},     {"QMenu", false},       {"QAction", true}};
bool shownBy(ControlKind kind, const QObject* o) {
    for (const QString& c : QString::fromLatin1(kWidgets[int(kind)].first).split(u'|'))
        if (o->inherits(qPrintable(c))) return true;
    return false;
}

// What the object shows of its control's caption (a label with a buddy
// marks its letter with "&" and shows "&&" as "&"), enabled and visible state.
QString captionOf(QObject* o) {
    const char* property = o->inherits("QGroupBox") || o->inherits("QMenu") ? "title" : "text";
    QString shown = o->property(property).toString();
    auto* l = qobject_cast<QLabel*>(o);
    return l && l->buddy() ? shown.replace("&&", "\x01").remove(u'&').replace(u'\x01', u'&') : shown;
}
std::pair<bool, bool> shownAndEnabled(QObject* o) {
    auto* menu = qobject_cast<QMenu*>(o);
    if (QAction* a = menu ? menu->menuAction() : qobject_cast<QAction*>(o))
        return {a->isVisible(), a->isEnabled()};
    auto* w = static_cast<QWidget*>(o);
    return {!w->isHidden(), !w->testAttribute(Qt::WA_Disabled)};
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
        QVERIFY(o.shown());
        FormModel& m = *o.form;
        QHash<QString, int> clicks, doubles;
        for (const Control& c : m.controls()) {
            m.onClick(c.name, [&clicks, n = c.name] { ++clicks[n]; });
            m.onDoubleClick(c.name, [&doubles, n = c.name] { ++doubles[n]; });
        }
        for (const Control& c : m.controls()) {
            const QString name = c.name;
            // A label shows "&" as itself; on a button it would mark the Alt letter.
            const QString caption = (c.kind == ControlKind::Label ? "Zx7 & " : "Zx7 ") + name;
            QObject* obj = o.view->findChild<QObject*>(name);
            QVERIFY2(obj && shownBy(c.kind, obj), qPrintable(name));
            const bool visible = c.visible;
            for (const bool on : {false, true}) {
                m.setVisible(name, on);
                m.setEnabled(name, on);  // shown first: a hidden action is off
                QVERIFY2(shownAndEnabled(obj) == std::pair(on, on), qPrintable(name));
            }
            m.setVisible(name, visible);
            if (kWidgets[int(c.kind)].second) {
                m.setCaption(name, caption + u':');
                QVERIFY2(captionOf(obj).startsWith(caption), qPrintable(name));
            }
            if (auto* w = qobject_cast<QWidget*>(obj); w && !qobject_cast<QMenu*>(w)) {
                m.setToolTip(name, caption);
                QVERIFY2(w->toolTip() == caption && w->accessibleDescription() == caption, qPrintable(name));
            }
            // A label names its field (and a combo box's edit box, which holds
            // the focus); a button without a name of its own, its caption.
            if (auto* l = qobject_cast<QLabel*>(obj); l && l->buddy()) {
                QVERIFY2(a11y::spokenName(l->buddy()).contains(caption), qPrintable(name));
                if (auto* box = qobject_cast<QComboBox*>(l->buddy()); box && box->lineEdit())
                    QVERIFY2(box->lineEdit()->accessibleName().contains(caption), qPrintable(name));
            }
            if (auto* b = qobject_cast<QAbstractButton*>(obj); b && b->accessibleName().isEmpty())
                QVERIFY2(a11y::spokenName(b) == caption + u':', qPrintable(name));

            // Text both ways, typing stops at the limit; clicks reach the model.
            if (auto* e = qobject_cast<QLineEdit*>(obj)) {
                QCOMPARE(e->isReadOnly(), c.locked);
                m.setMaxLength(name, 2);
                m.setText(name, QStringLiteral("program's own"));  // never cut
                QCOMPARE(e->text(), m.text(name));
                if (c.locked) continue;
                e->selectAll();
                QTest::keyClicks(e, QStringLiteral("abc"));
                QCOMPARE(m.text(name), QStringLiteral("ab"));
            } else if (auto* box = qobject_cast<QComboBox*>(obj)) {
                m.setItems(name, {QStringLiteral("Zx"), QStringLiteral("Yw")});
                m.setText(name, QStringLiteral("Zx"));
                QCOMPARE(box->currentText(), QStringLiteral("Zx"));
                box->setCurrentIndex(1);
                Q_EMIT box->activated(1);
                QCOMPARE(m.text(name) + QString::number(clicks[name]), QStringLiteral("Yw1"));
            } else if (auto* p = qobject_cast<QPlainTextEdit*>(obj)) {
                QCOMPARE(p->isReadOnly(), c.locked);
                m.setText(name, QStringLiteral("12 Main St\r\nSpringfield"));
                QCOMPARE(p->toPlainText(), QStringLiteral("12 Main St\nSpringfield"));
                p->setPlainText(QStringLiteral("1\n2"));
                QCOMPARE(m.text(name), QStringLiteral("1\r\n2"));
            } else if (auto* b = qobject_cast<QAbstractButton*>(obj); b && b->isCheckable()) {
                // An option may be cleared by the program, never by a click.
                for (const bool on : {!m.isChecked(name), true}) {
                    m.setChecked(name, on);
                    QCOMPARE(b->isChecked(), on);
                    b->click();
                    QCOMPARE(m.isChecked(name), b->isChecked());
                    QCOMPARE(b->isChecked(), c.kind == ControlKind::Option || !on);
                }
            } else if (b) {
                b->click();
                m.setEnabled(name, false);
                b->click();
                QCOMPARE(clicks[name], 1);
            } else if (auto* cal = qobject_cast<QCalendarWidget*>(obj)) {
                m.setText(name, QStringLiteral("2026-03-04"));
                QCOMPARE(cal->selectedDate(), QDate(2026, 3, 4));
                cal->setSelectedDate(QDate(2026, 4, 5));  // moved to, not yet picked
                QCOMPARE(m.text(name) + QString::number(clicks[name]), "2026-04-050");
                Q_EMIT cal->clicked(QDate(2026, 5, 6));
                QCOMPARE(m.text(name) + QString::number(clicks[name]), "2026-05-061");
            } else if (auto* table = qobject_cast<QTableView*>(obj)) {
                GridModel* grid = m.grid(name);
                QCOMPARE(table->model(), grid);
                grid->addItem(QStringLiteral("a\tb"));
                const int col = std::min(1, grid->columnCount() - 1);  // lists have one
                Q_EMIT table->clicked(grid->index(grid->rowCount() - 1, col));
                QCOMPARE(grid->currentRow(), grid->rows() - 1);
                Q_EMIT table->doubleClicked(grid->index(grid->rowCount() - 1, col));
                Q_EMIT table->horizontalHeader()->sectionClicked(0);  // the heading row
                QCOMPARE(grid->currentRow(), 0);
                QCOMPARE(clicks[name] * 10 + doubles[name], 21);
            } else if (qobject_cast<QLabel*>(obj)) {
                QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(1, 1), QPointF(1, 1),
                                  Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(obj, &event);
                QCOMPARE(doubles[name], 1);
            } else if (auto* a = qobject_cast<QAction*>(obj); a && !a->isSeparator()) {
                a->trigger();
                QCOMPARE(clicks[name], 1);
            }
        }
    }

    // What a screen reader user meets: names, mnemonics, tab order; the main
    // window with every command on, in its stock view and its documents view,
    // a tax named blank in the configuration.
    void everyWindowReadsWell_data() {
        addWindowRows();
        QTest::newRow("main, documents view") << "main";
    }
    void everyWindowReadsWell() {
        QFETCH(QString, window);
        Opened o(window);
        QVERIFY(o.shown());
        if (o.main) {
            for (const Control& c : o.form->controls()) o.form->setEnabled(c.name, true);
            if (QByteArray(QTest::currentDataTag()).contains("documents")) {
                o.form->click(ctl::ViewExisting);
                o.form->setVisible(ctl::PaymentsFrame, true);  // the payments panel open too
                QVERIFY(o.main->get(ctl::POGrid)->isVisible() && !o.main->get(ctl::StockGrid)->isVisible());
            }
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
        QTemporaryDir dir;
        TestApp t(dir.path());
        std::unique_ptr<FormModel> model = window == u"main" ? nullptr : dialogModel(window);
        FormModel& m = model ? *model : t.app->mainForm();
        m.addRow({"Extra", ControlKind::Button, "Extra"});
        m.addRow({"ExtraSep", ControlKind::Separator});
        bool opened = false;
        if (!model) {
            MainWindow w(*t.app);
            opened = w.start() || w.isVisible() || !QDir(dir.path()).isEmpty();
        } else {
            QtWindowHost host;
            host.setPrompter(t.prompter);
            QObject scope;  // a window refused: the timer must not outlive `opened`
            QTimer::singleShot(0, &scope, [&] {
                if (QWidget* w = QApplication::activeModalWidget()) opened = w->close();
            });
            host.showModal(m);
        }
        QVERIFY(!opened);
        QCOMPARE(t.prompter.asked.size(), 1);
        QVERIFY(t.prompter.asked[0].icon == MsgIcon::Critical);
        QVERIFY(t.prompter.asked[0].text.endsWith(QStringLiteral("no widget shows Extra.")));
    }

    // The audit finds the faults of a window built carelessly: two unnamed
    // fields, made in an order unlike the layout's. (That every window of the
    // program passes it is everyWindowReadsWell's.)
    void auditFindsFaults() {
        QWidget window;
        auto* grid = new QGridLayout(&window);
        for (const auto& [name, column] : {std::pair{"Right", 1}, {"Left", 0}}) {
            auto* field = new QLineEdit;
            field->setObjectName(QLatin1String(name));
            grid->addWidget(field, 0, column);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(a11y::problems(&window), (QStringList{"Right has no name", "Left has no name",
                                                       "Left lies left of Right but is reached after it"}));
    }
};

QTEST_MAIN(TestBinder)
#include "test_binder.moc"
