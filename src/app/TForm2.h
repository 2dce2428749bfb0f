#pragma once

#include <QDialog>

class QAction;
class QPushButton;
class QTabWidget;

namespace kelvo {

class DestinationList;
class DestinationPage;

// The settings dialog. Its destination page holds the destination list.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    TForm2(DestinationList& list, QAction* add, QAction* edit, QAction* remove,
           QWidget* parent = nullptr);

    // Shows the dialog modally on the destination page with the current
    // destination's row selected; true when closed with OK.
    bool Run(const QString& currentIdentifier);

    QTabWidget* PageControl1 = nullptr;
    DestinationPage* DestinationSheet = nullptr; // the page "保存先情報"
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    QString currentIdentifier_;
};

} // namespace kelvo
