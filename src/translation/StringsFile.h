#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct AppContext;
class FormModel;

namespace strings {

// Captions and tool tips that show a value (the year folder, a tag, a tax
// name, the data directory): a translation must neither take nor replace them.
struct HeldTexts {
    QStringList captions;
    QStringList toolTips;
};
const HeldTexts& mainWindowHeld();

// One text a strings file gives a control.
struct Entry {
    enum Property { Caption, ToolTip };
    QString name;
    Property property = Caption;
    QString text;
    friend bool operator==(const Entry&, const Entry&) = default;
};

// The file for `form`'s captions and tool tips (its English texts), one
// block per control in control order, CR LF line ends, Windows-1252.
QByteArray make(const FormModel& form, const HeldTexts& held);

// The texts of one language ("de", "en") in the order the file gives them.
// CR LF or LF; UTF-8 when the bytes are valid UTF-8 (or start with its
// byte-order mark), Windows-1252 otherwise.
QList<Entry> read(const QByteArray& bytes, const QString& language);

// Puts `entries` into `form`, skipping unknown names, held texts and
// properties a control does not have; returns how many it set.
int apply(FormModel& form, const QList<Entry>& entries, const HeldTexts& held);

}  // namespace strings

// The translation menu of the main window: the strings file in HomeFolder,
// named after the window, written from the program's English texts, opened
// in the desktop's text editor, and read back in either language.
class StringsFile {
public:
    // `english` holds the window's texts as the program has them, so that the
    // file keeps English texts after a translation has been loaded.
    StringsFile(AppContext& ctx, std::unique_ptr<FormModel> english);
    ~StringsFile();

    // Runs after texts were loaded: lists whose headings come from captions
    // take them up.
    void setLoaded(std::function<void()> loaded) { m_loaded = std::move(loaded); }

    void bind();
    QString path() const;

    // False when nothing was written (No, or a failure the user was told of).
    bool xx_makestringsfile();
    void xx_edit_strings_file();
    // Return how many texts were loaded.
    int xx_read_de_strings() { return load(QStringLiteral("de")); }
    int xx_read_en_strings() { return load(QStringLiteral("en")); }

private:
    int load(const QString& language);
    void openInEditor();
    bool missing();

    AppContext& m_ctx;
    std::unique_ptr<FormModel> m_english;
    std::function<void()> m_loaded;
};
