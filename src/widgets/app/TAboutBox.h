#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvo {

// The version box: program icon, name and version, our notice, and the address
// of the user guide (hidden when the guide is not found).
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr; // name and version
    QLabel* Comments = nullptr;    // what the program is
    QLabel* Copyright = nullptr;   // our notice
    QLineEdit* Edit1 = nullptr;    // the guide's address, selectable for copying
    QPushButton* OKButton = nullptr;
};

} // namespace kelvo
