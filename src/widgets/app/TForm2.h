#pragma once

#include "capture/SourceNote.h"
#include "collection/CaptureCollection.h"
#include "session/DisplayLanguage.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace kelvo {

class DestinationActions;
class DestinationList;
class DestinationPage;

// The settings dialog: destinations, the main window's transparency, the
// windows' language and the question on closing. It keeps its controls
// between showings.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    TForm2(DestinationList& list, DestinationActions& commands, QWidget* parent = nullptr);

    // Shows the dialog modally on the destination page with the current
    // destination's row selected; true when closed with OK.
    bool Run(const QString& currentIdentifier);

    // The destination list's selected row: its identifier, empty for none.
    QString SelectedIdentifier() const;
    void SelectDestination(int position);
    // The list takes the focus back, as after a command's dialog.
    void FocusDestinationList();

    // Without window opacity the transparency controls are disabled.
    void SetTransparencySupported(bool supported);

    struct ShellChoices {
        bool keptDestinationFlag;
        bool confirmClose;
        int transparencyLevel;
    };
    // Puts the kept choices into the controls; a moved slider emits OpacityChosen.
    void LoadState(bool keptDestinationFlag, bool confirmClose, int transparencyLevel);
    ShellChoices State() const;
    // The browser's DevTools port, asked for page addresses.
    void LoadDevToolsPort(int port);
    int DevToolsPort() const;
    // What a picture captured before gets, and whether copies carry their source.
    void LoadCaptureChoices(const CaptureChoices& choices);
    CaptureChoices CaptureChoicesState() const;
    // Whether the last drop from a browser carried the extension's note.
    void ShowExtensionState(NoteState state);
    // The language chosen for the windows, and the one they speak in this
    // run: while the two differ, a note says the choice takes effect at the
    // next start.
    void LoadLanguage(DisplayLanguage chosen, DisplayLanguage running);
    DisplayLanguage Language() const;

signals:
    // TrackBar1 moved to level, by the user or by LoadState: the main
    // window's opacity follows the slider at once (also on Cancel's restore).
    void OpacityChosen(int level);
    // The link to the user guide was followed.
    void GuideRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* NewAppearancePage();
    QWidget* NewLanguageGroup();
    void ShowLanguageNote();
    QWidget* NewOtherPage();
    QWidget* NewSavingGroup();
    QWidget* NewBrowserGroup();

    QTabWidget* PageControl1 = nullptr;
    DestinationPage* DestinationSheet = nullptr; // the page "保存先情報"
    QWidget* AppearanceSheet = nullptr;          // the page "外観"
    QWidget* OtherSheet = nullptr;               // the page "その他"
    QGroupBox* GroupBox3 = nullptr;              // main window transparency
    QSlider* TrackBar1 = nullptr;                // transparency level 0..3
    QLabel* Label1 = nullptr;                    // under level 0
    QLabel* Label2 = nullptr;                    // under level 1
    QLabel* Label3 = nullptr;                    // under level 2
    QLabel* Label4 = nullptr;                    // under level 3
    QGroupBox* LanguageGroup = nullptr;          // the windows' language
    QComboBox* LanguageBox = nullptr;            // in DisplayLanguage's order
    QLabel* LanguageNote = nullptr;              // a change waits for the next start
    QGroupBox* GroupBox2 = nullptr;              // on closing
    QCheckBox* CheckBox2 = nullptr;              // ask before closing
    QGroupBox* SavingGroup = nullptr;            // saving pictures
    QComboBox* SameContentBox = nullptr;         // what a picture captured before gets
    QCheckBox* SourceAttributesBox = nullptr;    // copies carry their source addresses
    QGroupBox* GroupBox4 = nullptr;              // the browser link
    QLabel* Label5 = nullptr;                    // the caption of SpinEdit1
    QSpinBox* SpinEdit1 = nullptr;               // the browser's DevTools port
    QLabel* Label6 = nullptr;                    // the extension's state
    QLabel* Label7 = nullptr;                    // the link to the install guide
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    QString currentIdentifier_;
    DisplayLanguage runningLanguage_ = DisplayLanguage::Japanese;
};

} // namespace kelvo
