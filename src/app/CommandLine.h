#pragma once

#include <QString>
#include <QStringList>

// The program's command line. It is read before any window system is
// reached, so that --help, --version and a mistyped option work without a
// display. Options are declared in one table in CommandLine.cpp.
struct CommandLine {
    bool run = true;    // false: print `out` and `err`, then exit with `exitCode`
    int exitCode = 0;   // 0, or 2 for a command line that cannot be used
    QString out;        // for standard output
    QString err;        // for standard error
    QStringList given;  // the long names of the program's options given
    QStringList positional;  // --check's folder

    bool isSet(const QString& name) const { return given.contains(name); }
};

// `arguments` as main() got them, the program's path first.
CommandLine parseCommandLine(const QStringList& arguments);
