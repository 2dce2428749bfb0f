#pragma once

#include "destinations/DestinationCommands.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvo {

class Prompter;

// The destination editor: an identifier typed by the user and a folder that
// only the folder chooser fills.
class TForm8 : public QDialog, public DestinationEditor {
    Q_OBJECT

public:
    explicit TForm8(Prompter& prompter, QWidget* parent = nullptr);

    std::optional<SaveDestination> Run(const QString& caption,
                                       const std::optional<EditorFill>& fill) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateParts();
    QPushButton* CreateButton(const char* name, const QString& text);
    void Button3Click();

    Prompter& prompter_;

    QLabel* Label1;       // the identifier's caption
    QLineEdit* Edit1;     // the identifier
    QLabel* Label2;       // the folder's caption
    QLineEdit* Edit2;     // the folder, read-only, looking like a label
    QPushButton* Button3; // opens the folder chooser
    QPushButton* Button1; // OK
    QPushButton* Button2; // Cancel
};

} // namespace kelvo
