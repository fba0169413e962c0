#include <cstdlib>
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include "app/Application.h"
#include "base/Clock.h"
#include "base/Formats.h"
#include "ui/MainWindow.h"
#include "ui/QtDesktop.h"
#include "ui/QtPrompter.h"
#include "ui/QtWindowHost.h"

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallybrook"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYBROOK_VERSION));

    const Formats formats(QLocale::system());
    const SystemClock clock;
    QtPrompter prompter;
    QtDesktop desktop;
    QtWindowHost windows;

    Application::Seams seams;
    seams.prompter = &prompter;
    seams.desktop = &desktop;
    seams.clock = &clock;
    seams.formats = &formats;
    seams.windows = &windows;

    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    Application app(seams, documents);
    MainWindow window(app);
    prompter.setParentWindow(&window);
    desktop.setParentWindow(&window);
    windows.setParentWindow(&window);
    // A window whose controls are not all bound has said why; it does not open.
    if (!window.start()) return EXIT_FAILURE;
    return qapp.exec();
}
