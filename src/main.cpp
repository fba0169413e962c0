#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QStandardPaths>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DataCheck.h"
#include "shell/Shell.h"
#include "base/Clock.h"
#include "base/Formats.h"
#include "ui/MainWindow.h"
#include "ui/QtDesktop.h"
#include "ui/QtPrompter.h"
#include "ui/QtWindowHost.h"

int main(int argc, char* argv[]) {
    // Read before QApplication, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);
    if (!commandLine.run) {
        std::fputs(commandLine.out.toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.err.toLocal8Bit().constData(), stderr);
        return commandLine.exitCode;
    }

    if (commandLine.isSet(QStringLiteral("check"))) {
        // No display, no window system: a data check runs from a terminal or a job.
        QCoreApplication core(argc, argv);
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty()) documents = QDir::homePath();
        const QString folder =
            commandLine.positional.isEmpty()
                ? DataCheck::configuredDataPath(Shell::homeFolderFor(documents))
                : commandLine.positional.constFirst();
        const DataCheck check = DataCheck::run(folder);
        for (const QString& line : check.lines) std::printf("%s\n", line.toLocal8Bit().constData());
        if (check.status == DataCheck::Sound)
            std::printf("%s: no problems found.\n", QDir::toNativeSeparators(folder).toLocal8Bit().constData());
        return check.status;
    }

    QApplication qapp(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tallybrook.svg")));
    QApplication::setApplicationName(QStringLiteral("Tallybrook"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYBROOK_VERSION));
    // Ties the windows to data/tallybrook.desktop, for the icon and task bar.
    QApplication::setDesktopFileName(QStringLiteral("tallybrook"));

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
