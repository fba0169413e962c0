#pragma once

// Reads PDF files back with poppler-utils, so tests check what was printed.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace pdf {

inline bool toolsThere() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty();
}

// A tool's output for one page (1..) of the file.
inline QString onPage(const QString& tool, QStringList arguments, int page) {
    const QString n = QString::number(page);
    QProcess p;
    p.start(tool, QStringList{"-f", n, "-l", n} + arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of a page, words separated by single blanks.
inline QString text(const QString& file, int page) {
    return onPage("pdftotext", {file, "-"}, page).simplified();
}

// The number of pictures on a page: two heading lines, then one per picture.
inline int images(const QString& file, int page) {
    return qMax(0, int(onPage("pdfimages", {"-list", file}, page).trimmed().split(u'\n').size()) - 2);
}

}  // namespace pdf
