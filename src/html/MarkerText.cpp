#include "html/MarkerText.h"

#include "base/Text.h"

namespace {

// Whether the characters just before `at` are "--" or "--!": where a ">"
// would close the comment. Neither "-" nor "!" is ever escaped, so the test
// reads the same on the value and on its stored form.
bool afterDashes(const QString& s, qsizetype at) {
    if (at >= 2 && s.at(at - 1) == u'-' && s.at(at - 2) == u'-') return true;
    return at >= 3 && s.at(at - 1) == u'!' && s.at(at - 2) == u'-' && s.at(at - 3) == u'-';
}

}  // namespace

QString markerValue(const QString& text) {
    QString flat = text;
    for (QChar& c : flat) {
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    }
    flat = trimBlanks(flat);
    if (!flat.contains(QLatin1String("--"))) return flat;

    QString out;
    out.reserve(flat.size() + 8);
    for (qsizetype i = 0; i < flat.size(); ++i) {
        const QChar c = flat.at(i);
        if (c == u'>' && afterDashes(flat, i)) {
            out += QLatin1String("&gt;");
        } else if (c == u'&' && afterDashes(flat, i)) {
            out += QLatin1String("&amp;");
        } else {
            out += c;
        }
    }
    return out;
}

QString readMarkerValue(const QString& stored) {
    if (!stored.contains(QLatin1String("--"))) return stored;
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == u'&' && afterDashes(stored, i)) {
            const QStringView rest = QStringView(stored).mid(i);
            if (rest.startsWith(QLatin1String("&gt;"))) {
                out += u'>';
                i += 3;
                continue;
            }
            if (rest.startsWith(QLatin1String("&amp;"))) {
                out += u'&';
                i += 4;
                continue;
            }
        }
        out += stored.at(i);
    }
    return out;
}
