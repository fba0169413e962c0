#pragma once

#include <QDialog>

class Binder;
class PictureForm;
class QLabel;

// The "Select a Picture" window over its model: drive, folder and picture
// lists, a preview of the picture clicked with its size, OK and Cancel.
// The view reads the pictures; the model only learns their size.
class PictureDialog : public QDialog {
    Q_OBJECT
public:
    PictureDialog(PictureForm& model, QWidget* parent = nullptr);
    const Binder& binder() const { return *m_binder; }

    // The room the preview has; a larger picture is shown scaled down.
    static constexpr int kPreviewWidth = 240;
    static constexpr int kPreviewHeight = 180;

    // The close box and Escape choose nothing.
    void reject() override;

private:
    void showPreview(const QString& path);

    PictureForm& m_model;
    Binder* m_binder = nullptr;
    QLabel* m_image = nullptr;
};
