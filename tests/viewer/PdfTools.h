#pragma once

// Reads PDF files back with poppler-utils, so tests check what was printed.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace pdf {

inline bool toolsThere() {
    for (const char* tool : {"pdfinfo", "pdftotext", "pdfimages"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) return false;
    return true;
}

inline QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of one page (1..), words separated by single blanks.
inline QString text(const QString& file, int page) {
    const QString n = QString::number(page);
    return run("pdftotext", {"-f", n, "-l", n, file, "-"}).simplified();
}

// The number of pictures on one page: two heading lines, then one per picture.
inline int images(const QString& file, int page) {
    const QString n = QString::number(page);
    const QString list = run("pdfimages", {"-list", "-f", n, "-l", n, file});
    return qMax(0, int(list.trimmed().split(u'\n').size()) - 2);
}

}  // namespace pdf
