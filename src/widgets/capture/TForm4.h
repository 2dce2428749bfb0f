#pragma once

#include "services/Prompter.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace kelvo {

class PreviewPair;

// The name-clash dialog: the file already in the folder beside the one being
// captured, and the three ways out.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    // Shows the two files and waits for a button. Closing the window any other
    // way (close box, Escape) gives DontSave.
    ClashChoice Choose(const ClashFiles& files);
    // The previews are still being decoded (they appear in the open dialog).
    bool PreviewsDecoding() const;

private:
    void CreateExistingFileGroup();
    void CreateNewFileGroup();
    void CreateButtons();
    QLabel* CreateTextLabel(QGroupBox* group, const char* name, int top);
    QLabel* CreateImage(QGroupBox* group, const char* name);
    QPushButton* CreateButton(const char* name, const QString& text, int left, ClashChoice choice);

    void ClearPreviews();
    void LoadClashPreviews(const QString& existingPath, const QString& newPath);
    void FillLabels(const ClashFiles& files);

    ClashChoice choice_ = ClashChoice::DontSave;

    QGroupBox* GroupBox1; // the existing file
    QLabel* Image1;       // its fitted preview
    QLabel* Image3;       // hidden: its full picture
    QLabel* Label1;       // name
    QLabel* Label3;       // size text
    QLabel* Label5;       // date of last change
    QLabel* Label7;       // time of last change
    QGroupBox* GroupBox2; // the new file
    QLabel* Image2;       // its fitted preview
    QLabel* Image4;       // hidden: its full picture
    QLabel* Label2;       // name
    QLabel* Label4;       // size text
    QPushButton* Button1; // manual rename
    QPushButton* Button2; // automatic rename
    QPushButton* Button4; // don't save
    PreviewPair* existingPreview_;
    PreviewPair* newPreview_;
};

} // namespace kelvo
