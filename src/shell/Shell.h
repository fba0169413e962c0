#pragma once

#include <QString>

struct AppContext;

// Start-up and closing work of the program itself: its folder, the
// configuration file, the data directory test, the year folder, help.
class Shell {
public:
    static constexpr const char* kConfigFileName = "ovo_14.cfg";
    static constexpr const char* kHelpFileName = "ovo_prog.hlp";
    static constexpr const char* kTestFileName = "testfile.tmp";
    // The logo a new configuration names; a plain one is written when missing.
    static constexpr const char* kDefaultLogoName = "ovo_top.gif";
    // The smallest main window, in twips.
    static constexpr double kMinWidth = 11130;
    static constexpr double kMinHeight = 7305;
    // A configuration file up to this size is replaced whole at close.
    static constexpr qint64 kWholeFileLimit = 1 << 20;

    explicit Shell(AppContext& ctx) : m_ctx(ctx) {}

    // The documents folder + "Fernhollow" + separator.
    static QString homeFolderFor(const QString& documentsFolder);
    QString configPath() const;
    QString helpPath() const;

    // Reads (or creates) the configuration and tests the data directory.
    void LoadConfig();
    // Writes the configuration record with the window measures; false when
    // it could not be written (the user has been told) or when the file that
    // is there could not be read at start-up and is left alone.
    bool SaveConfig();
    void CheckForThisYearsFolder();
    // Temporary files an interrupted replace left in the data folder, its
    // year folders or the program's folder, once they are an hour old.
    void removeLeftoverTempFiles();
    void NoServerAccess();
    // False when the configuration file could not be read at start: it is
    // left alone at close, so changed settings last only for this run.
    bool configKept() const { return !m_leaveConfigAlone; }

    // Writes our help page when it is missing.
    void ensureHelpFile();
    void HelpButton();
    void mu_About();

    // Window measures from the configuration, widened to the minimum.
    void restoreGeometry();
    void storeKindFlags();

private:
    bool testDataDirectory();
    // A new install would print a broken image where the logo goes.
    void writeDefaultLogo();

    AppContext& m_ctx;
    bool m_leaveConfigAlone = false;
};
