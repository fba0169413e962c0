#pragma once

#include <QString>
#include <QStringList>

// "tallybrook --check": reads every data file and page of a data directory
// and says what is wrong with it and what to do. Writes nothing: no test
// file, no configuration, no missing file made.
struct DataCheck {
    enum Status { Sound = 0, Problems = 1, Unreadable = 2 };
    Status status = Sound;
    QStringList lines;  // one per problem: the file, the number, what to do

    // `dataPath` is a native folder path.
    static DataCheck run(const QString& dataPath);
    // The data directory the configuration in `homeFolder` names (read
    // only); the usual one when there is no configuration.
    static QString configuredDataPath(const QString& homeFolder);
};
