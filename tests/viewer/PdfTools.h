#pragma once

// Reads PDF files back with poppler-utils, so tests check what was printed.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>

namespace pdf {

inline bool toolsThere() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty();
}

#define PDF_TOOLS_OR_SKIP()                                                                    \
    do {                                                                                       \
        if (!pdf::toolsThere())                                                                \
            QSKIP(                                                                             \
                "pdfinfo, pdftotext and pdfimages (package poppler-utils) are not installed; " \
                "install them to check printed pages");                                        \
    } while (false)

inline QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The page count; -1 when the file is not a readable PDF.
inline int pages(const QString& file) {
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    const auto m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                      QRegularExpression::MultilineOption)
                       .match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of one page (1..), words separated by single blanks.
inline QString text(const QString& file, int page) {
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-f"), n, QStringLiteral("-l"), n, file, QStringLiteral("-")})
        .simplified();
}

// The number of pictures on one page.
inline int images(const QString& file, int page) {
    const QString n = QString::number(page);
    const QString list =
        run(QStringLiteral("pdfimages"),
            {QStringLiteral("-list"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, file});
    // Two heading lines, then one line per picture.
    return qMax(0, int(list.trimmed().split(u'\n').size()) - 2);
}

}  // namespace pdf
