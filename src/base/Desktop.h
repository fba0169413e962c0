#pragma once

#include <QString>

// What the program hands to the rest of the desktop.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows the program's help file (an HTML page) in the help viewer.
    virtual void showHelp(const QString& path) = 0;
    // Opens a file or address in the default web browser.
    virtual bool openInBrowser(const QString& fileOrUrl) = 0;
};
