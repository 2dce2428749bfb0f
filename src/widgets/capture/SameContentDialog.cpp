#include "capture/SameContentDialog.h"

#include "common/WindowPlacement.h"
#include "text/PathText.h"
#include "viewer/FileFacts.h"
#include "viewer/PreviewPair.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {
namespace {

constexpr QSize kPreviewSize(200, 150);
constexpr int kFactsWidth = 200;

QLabel* NewPreview(QWidget* parent, const char* name) {
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setFixedSize(kPreviewSize);
    image->setAlignment(Qt::AlignCenter);
    return image;
}

QLabel* NewFacts(QWidget* parent, const char* name) {
    auto* facts = new QLabel(parent);
    facts->setObjectName(QString::fromLatin1(name));
    facts->setFixedWidth(kFactsWidth);
    facts->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return facts;
}

QWidget* NewGroup(QWidget* parent, const QString& title, QLabel*& image, const char* imageName,
                  QLabel*& facts, const char* factsName) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    image = NewPreview(group, imageName);
    facts = NewFacts(group, factsName);
    layout->addWidget(image);
    layout->addWidget(facts);
    layout->addStretch();
    return group;
}

QString Line(const QString& caption, const QString& value) {
    return QStringLiteral("%1: %2").arg(caption, value);
}

QStringList EarlierFacts(const EarlierCapture& earlier) {
    return {Line(SameContentDialog::tr("取得日時"), earlier.captureTime),
            Line(SameContentDialog::tr("保存先"), earlier.identifier),
            Line(SameContentDialog::tr("取得元"), earlier.sourceAddress),
            Line(SameContentDialog::tr("ファイル"), earlier.savedPath)};
}

QStringList NewFacts(const QString& path) {
    return {Line(SameContentDialog::tr("ファイル名"), FileNamePart(path)),
            Line(SameContentDialog::tr("サイズ"), SizeText(FileSizeOf(path)))};
}

} // namespace

SameContentDialog::SameContentDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SameContentDialog"));
    setWindowTitle(tr("同じ画像を保存済み"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("この画像は保存済みです。もう一度保存しますか？"), this);
    layout->addWidget(intro);
    auto* groups = new QHBoxLayout;
    groups->addWidget(NewGroup(this, tr("保存済みの画像"), earlierImage_, "EarlierImage",
                               earlierFacts_, "EarlierFacts"));
    groups->addWidget(
        NewGroup(this, tr("新しい画像"), newImage_, "NewImage", newFacts_, "NewFacts"));
    layout->addLayout(groups);
    layout->addWidget(NewButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    earlierPreview_ = new PreviewPair(new QLabel(this), earlierImage_);
    newPreview_ = new PreviewPair(new QLabel(this), newImage_);
}

QWidget* SameContentDialog::NewButtons() {
    auto* buttons = new QDialogButtonBox(this);
    auto* save = buttons->addButton(tr("保存する"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("SaveButton"));
    auto* dontSave = buttons->addButton(tr("保存しない"), QDialogButtonBox::RejectRole);
    dontSave->setObjectName(QStringLiteral("DontSaveButton"));
    // Saving twice is the choice that needs a deliberate press.
    dontSave->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

// Long values (an address, a path) are cut in the middle rather than widen the
// dialog; the tooltip has them whole.
void SameContentDialog::ShowFacts(QLabel* facts, const QStringList& lines) {
    QStringList shown;
    for (const QString& line : lines)
        shown << facts->fontMetrics().elidedText(line, Qt::ElideMiddle, kFactsWidth);
    facts->setText(shown.join(u'\n'));
    facts->setToolTip(lines.join(u'\n'));
}

bool SameContentDialog::Confirm(const SameContentFiles& files) {
    earlierPreview_->Load(files.earlier.savedPath);
    newPreview_->Load(files.newPath);
    ShowFacts(earlierFacts_, EarlierFacts(files.earlier));
    ShowFacts(newFacts_, NewFacts(files.newPath));
    adjustSize();
    CentreOnScreen(*this);
    return exec() == QDialog::Accepted;
}

} // namespace kelvo
