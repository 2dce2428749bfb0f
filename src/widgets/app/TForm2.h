#pragma once

#include "capture/SourceNote.h"
#include "collection/CaptureCollection.h"

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace kelvo {

class DestinationList;
class DestinationPage;

// The settings dialog: destinations, the main window's transparency and the
// question on closing. It keeps its controls between showings.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    TForm2(DestinationList& list, QAction* add, QAction* edit, QAction* remove,
           QWidget* parent = nullptr);

    // Shows the dialog modally on the destination page with the current
    // destination's row selected; true when closed with OK.
    bool Run(const QString& currentIdentifier);

    // Called with the new level at every change of TrackBar1, so the main
    // window's opacity follows the slider at once (also on Cancel's restore).
    void SetOpacityHandler(std::function<void(int level)> handler);
    // Without window opacity the transparency controls are disabled.
    void SetTransparencySupported(bool supported);

    struct ShellChoices {
        bool keptDestinationFlag;
        bool confirmClose;
        int transparencyLevel;
    };
    // Puts the kept choices into the controls; a moved slider calls the handler.
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
    // Called when the link to the user guide is followed.
    void SetGuideHandler(std::function<void()> handler);

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TrackBar1Change(int level);
    QWidget* NewAppearancePage();
    QWidget* NewOtherPage();
    QWidget* NewSavingGroup();
    QWidget* NewBrowserGroup();

    QString currentIdentifier_;
    std::function<void(int)> opacityHandler_;
    std::function<void()> guideHandler_;
};

} // namespace kelvo
