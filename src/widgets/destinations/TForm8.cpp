#include "destinations/TForm8.h"

#include "common/WindowPlacement.h"
#include "services/Prompter.h"
#include "text/PathText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvo {

namespace {

constexpr int kFieldWidth = 400;

} // namespace

TForm8::TForm8(Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompter_(prompter) {
    setObjectName(QStringLiteral("TForm8"));
    CreateParts();
    // Sized by the layout, so the long caption fits whatever the font.
    setFixedSize(sizeHint());
}

void TForm8::CreateParts() {
    Label1 = new QLabel(tr("識別名（入力無しの場合、保存先フォルダ名と同一名になります）"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(kFieldWidth);
    Label1->setBuddy(Edit1);

    Label2 = new QLabel(tr("保存先フォルダ"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMinimumWidth(kFieldWidth);
    // Only the folder chooser fills it; it reads like a label, yet its text
    // can still be selected and copied.
    Edit2->setReadOnly(true);
    Edit2->setFrame(false);
    Edit2->setFocusPolicy(Qt::NoFocus);
    QPalette palette = Edit2->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    Edit2->setPalette(palette);
    Edit2->setAutoFillBackground(true);

    Button3 = CreateButton("Button3", tr("フォルダ..."));
    Button1 = CreateButton("Button1", tr("ＯＫ"));
    Button2 = CreateButton("Button2", tr("キャンセル"));
    Button1->setDefault(true);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addSpacing(6);
    layout->addWidget(Label2);
    layout->addWidget(Edit2);
    layout->addSpacing(6);
    layout->addLayout(buttons);
}

QPushButton* TForm8::CreateButton(const char* name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void TForm8::Button3Click() {
    const std::optional<QString> folder =
        prompter_.ChooseFolder(tr("画像保存先フォルダを指定してください。"));
    if (!folder)
        return;
    // Refused as it is chosen, so the folder shown before stays.
    if (HasControlCharacter(*folder)) {
        prompter_.Notice(ControlCharacterFolderText());
        return;
    }
    Edit2->setText(*folder);
    Button1->setEnabled(true);
}

std::optional<SaveDestination> TForm8::Run(const QString& caption,
                                           const std::optional<EditorFill>& fill) {
    setWindowTitle(caption);
    if (fill) {
        Edit1->setText(fill->identifier);
        Edit2->setText(fill->folder);
        Button1->setEnabled(fill->okEnabled);
    }
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return SaveDestination{Edit1->text(), Edit2->text()};
}

void TForm8::showEvent(QShowEvent* event) {
    // Here the window exists, so its frame is known where the system tells it.
    CentreOnScreen(*this);
    QDialog::showEvent(event);
    Edit1->setFocus(Qt::OtherFocusReason);
}

} // namespace kelvo
