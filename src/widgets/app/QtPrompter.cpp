#include "app/QtPrompter.h"

#include "capture/SameContentDialog.h"
#include "capture/TForm4.h"
#include "session/ProgramName.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace kelvo {
QtPrompter::QtPrompter(QWidget* parent, TForm4& clashDialog)
    : parent_(parent), clashDialog_(clashDialog) {}

// The settings dialog and the history browser run modally: what they ask
// opens over them, not over the small main window beneath.
QWidget* QtPrompter::Owner() const {
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : parent_;
}

void QtPrompter::Notice(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, KelvoName(), text, QMessageBox::Ok, Owner());
    box.exec();
}

bool QtPrompter::Ask(const QString& text) {
    QMessageBox box(QMessageBox::Question, KelvoName(), text, QMessageBox::Yes | QMessageBox::No,
                    Owner());
    return box.exec() == QMessageBox::Yes;
}

ClashChoice QtPrompter::ChooseClash(const ClashFiles& files) {
    return clashDialog_.Choose(files);
}

bool QtPrompter::ConfirmSameContent(const SameContentFiles& files) {
    SameContentDialog dialog(Owner());
    return dialog.Confirm(files);
}

std::optional<QString> QtPrompter::AskSaveAs(const QString& folder, const QString& proposedName) {
    QFileDialog dialog(Owner(), tr("名前を変更して保存してください。"), folder + proposedName,
                       tr("画像ファイル (*.jpg *.jpeg *.bmp *.gif *.png *.webp *.avif)"));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Asking before replacing an existing file is the dialog's default.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// The folder as chosen, without a trailing separator but for the root.
std::optional<QString> QtPrompter::ChooseFolder(const QString& prompt) {
    const QString folder = QFileDialog::getExistingDirectory(Owner(), prompt, QDir::homePath(),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QString> QtPrompter::AskText(const QString& title, const QString& label,
                                           const QString& defaultText) {
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace kelvo
