#pragma once

#include <QMainWindow>

class Application;
class Binder;
class QCalendarWidget;

// The main window "OVO_Form1": lays out a widget for each control of the
// main window's model, named after it, and lets the binder do the rest.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Application& app, QWidget* parent = nullptr);

    // Runs the load event, places the window and shows it. False, after
    // telling the user, when a control of the model has no widget: the
    // window does not open and the program should end.
    bool start();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    QWidget* buildDocumentArea();
    QWidget* buildListArea();
    void applyGeometry();
    void noteGeometry();
    double twipsPerPixel() const;

    Application& m_app;
    Binder* m_binder = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    bool m_placing = false;
};
