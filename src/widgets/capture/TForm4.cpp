#include "capture/TForm4.h"

#include "common/WindowPlacement.h"
#include "viewer/FileFacts.h"
#include "viewer/PreviewPair.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace kelvo {

namespace {

constexpr QSize kClientSize(337, 239);
constexpr int kGroupTop = 8;
constexpr QSize kGroupSize(161, 193);
constexpr QRect kImageRect(8, 16, 137, 105);
constexpr int kLabelLeft = 8;
constexpr int kLabelHeight = 16;
constexpr int kButtonTop = 208;
constexpr QSize kButtonSize(75, 25);

// Long names are cut in the middle so both the start and the extension stay visible.
void SetElidedText(QLabel* label, const QString& text) {
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
    label->setToolTip(text);
}

} // namespace

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(tr("保存先フォルダに同一ファイル名が存在"));
    setFixedSize(kClientSize);
    CreateExistingFileGroup();
    CreateNewFileGroup();
    CreateButtons();
    existingPreview_ = new PreviewPair(Image3, Image1);
    newPreview_ = new PreviewPair(Image4, Image2);
}

void TForm4::CreateExistingFileGroup() {
    GroupBox1 = new QGroupBox(tr("現存ファイル"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(QRect(QPoint(8, kGroupTop), kGroupSize));
    Image1 = CreateImage(GroupBox1, "Image1");
    Image3 = CreateImage(GroupBox1, "Image3");
    Label1 = CreateTextLabel(GroupBox1, "Label1", 128);
    Label3 = CreateTextLabel(GroupBox1, "Label3", 144);
    Label5 = CreateTextLabel(GroupBox1, "Label5", 160);
    Label7 = CreateTextLabel(GroupBox1, "Label7", 176);
}

void TForm4::CreateNewFileGroup() {
    GroupBox2 = new QGroupBox(tr("新ファイル"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(QRect(QPoint(168, kGroupTop), kGroupSize));
    Image2 = CreateImage(GroupBox2, "Image2");
    Image4 = CreateImage(GroupBox2, "Image4");
    Label2 = CreateTextLabel(GroupBox2, "Label2", 128);
    Label4 = CreateTextLabel(GroupBox2, "Label4", 144);
}

void TForm4::CreateButtons() {
    Button1 = CreateButton("Button1", tr("手動改名..."), 56, ClashChoice::ManualRename);
    Button2 = CreateButton("Button2", tr("自動改名"), 136, ClashChoice::AutoRename);
    Button4 = CreateButton("Button4", tr("保存しない"), 216, ClashChoice::DontSave);
}

QLabel* TForm4::CreateTextLabel(QGroupBox* group, const char* name, int top) {
    auto* label = new QLabel(group);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(kLabelLeft, top, kGroupSize.width() - 2 * kLabelLeft, kLabelHeight);
    return label;
}

QLabel* TForm4::CreateImage(QGroupBox* group, const char* name) {
    auto* image = new QLabel(group);
    image->setObjectName(QString::fromLatin1(name));
    image->setGeometry(kImageRect);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

QPushButton* TForm4::CreateButton(const char* name, const QString& text, int left,
                                  ClashChoice choice) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(QRect(QPoint(left, kButtonTop), kButtonSize));
    connect(button, &QPushButton::clicked, this, [this, choice] {
        choice_ = choice;
        accept();
    });
    return button;
}

ClashChoice TForm4::Choose(const ClashFiles& files) {
    ClearPreviews();
    LoadClashPreviews(files.existingPath, files.newPath);
    FillLabels(files);
    CentreOnScreen(*this);
    // Anything but a button (close box, Escape) leaves this in place.
    choice_ = ClashChoice::DontSave;
    exec();
    return choice_;
}

bool TForm4::PreviewsDecoding() const {
    return existingPreview_->Decoding() || newPreview_->Decoding();
}

void TForm4::ClearPreviews() {
    existingPreview_->ClearTarget();
    newPreview_->ClearTarget();
}

// Both files are decoded as the existing file's kind: they share one name, and
// a new file that does not decode that way simply shows no preview.
void TForm4::LoadClashPreviews(const QString& existingPath, const QString& newPath) {
    const PictureKind kind = PictureKindOf(existingPath);
    if (kind == PictureKind::None)
        return;
    existingPreview_->LoadAs(existingPath, kind);
    newPreview_->LoadAs(newPath, kind);
}

void TForm4::FillLabels(const ClashFiles& files) {
    const QDateTime changed = FileTimeOf(files.existingPath);
    SetElidedText(Label1, files.cleanName);
    SetElidedText(Label2, files.cleanName);
    SetElidedText(Label3, SizeText(FileSizeOf(files.existingPath)));
    SetElidedText(Label4, SizeText(FileSizeOf(files.newPath)));
    SetElidedText(Label5, ShortDateText(changed.date()));
    SetElidedText(Label7, changed.time().toString(QStringLiteral("hh:mm:ss")));
}

} // namespace kelvo
