#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include "forms/FormModel.h"

// The controls of the picture chooser. Command1 is also a control of the
// configuration editor, so these keep a namespace of their own.
namespace ctl::pic {
inline constexpr char DriveLabel[] = "DriveLabel";
inline constexpr char Drive1[] = "Drive1";
inline constexpr char DirNote[] = "DirNote";
inline constexpr char DirLabel[] = "DirLabel";
inline constexpr char Dir1[] = "Dir1";
inline constexpr char FileLabel[] = "FileLabel";
inline constexpr char File1[] = "File1";
inline constexpr char Image1[] = "Image1";
inline constexpr char SizeLabel[] = "SizeLabel";
inline constexpr char Command1[] = "Command1";
inline constexpr char Command2[] = "Command2";
}  // namespace ctl::pic

// The picture chooser "OVO_SelectPicForm": a drive list, the folders of the
// chosen drive and the picture files of the chosen folder, with a preview of
// the file clicked. OK (Command1) keeps the file, Cancel (Command2) nothing.
//
// Pictures are read by the view (the core has no image code): a click asks
// for a preview, and the view answers with the picture's size or a failure.
// Only a file the view could show may be picked.
//
// Paths inside the model use "/" (Qt's form); what OK picks is native.
class PictureForm : public FormModel {
    Q_OBJECT
public:
    // Opens on `folder` (a native path), or the home folder when it is gone.
    explicit PictureForm(const QString& folder, QObject* parent = nullptr);
    ~PictureForm() override;

    // What OK picked: the full native path and the bare file name; both
    // empty after Cancel or when the window was closed.
    const QString& pickedPath() const { return m_pickedPath; }
    const QString& pickedName() const { return m_pickedName; }
    // Forgets any pick, as Cancel does; the view calls it when the window is
    // closed by its close box or Escape.
    void cancel();

    // From the view: the file it was asked to preview, drawn at `size`
    // pixels (scaled down to fit when `scaled`), or not readable as a picture.
    void previewShown(QSize size, bool scaled);
    void previewFailed();

    // The folder the lists show, and the file whose preview is shown.
    const QString& folder() const { return m_folder; }
    const QString& previewedFile() const { return m_previewed; }

    // The volumes offered in the drive list: "/", the home folder, then the
    // other mounted volumes that hold real files.
    static QStringList drives();
    // Whether a file name has one of the picture extensions, in any case.
    static bool isPictureName(const QString& fileName);

Q_SIGNALS:
    // The view shows this file as the preview; an empty path clears it.
    void previewRequested(const QString& path);

private:
    void openFolder(const QString& folder);
    void showDriveOf(const QString& folder);
    void fillFiles();
    void clearPreview(const QString& note = {});
    void Dir1_DblClick();
    void File1_Click();
    void File1_DblClick();
    void Command1_Click();

    QString m_folder;      // what Dir1 and File1 show
    QString m_pending;     // asked to be previewed, no answer yet
    QString m_previewed;   // shown as the preview: the only file OK may pick
    bool m_quiet = false;  // the program sets the drive: no change handler
    QString m_pickedPath;
    QString m_pickedName;
};
