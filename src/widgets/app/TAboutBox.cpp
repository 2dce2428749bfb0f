#include "app/TAboutBox.h"

#include "app/UserGuide.h"
#include "common/NamedLabel.h"
#include "common/WindowPlacement.h"
#include "session/ProgramName.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvo {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(tr("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    const int side = style()->pixelMetric(QStyle::PM_LargeIconSize);
    ProgramIcon = NamedLabel(QStringLiteral("ProgramIcon"), this);
    ProgramIcon->setPixmap(icon.pixmap(side, side));
    ProductName = NamedLabel(QStringLiteral("ProductName"), this, KelvoCaption());
    Comments = NamedLabel(QStringLiteral("Comments"), this, tr("画像取得閲覧ツール"));
    Copyright = NamedLabel(QStringLiteral("Copyright"), this,
                           tr("© 2026 Kelvo の開発者たち。自由に使ってください。"));
    // Kelvo has no web site: the address shown is the guide's, as Help opens it.
    const QString guide = UserGuideFile();
    Edit1 =
        new QLineEdit(guide.isEmpty() ? QString() : QUrl::fromLocalFile(guide).toString(), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setVisible(!guide.isEmpty());
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Comments);
    auto* top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* button = new QHBoxLayout;
    button->addStretch(1);
    button->addWidget(OKButton);
    button->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(Copyright);
    layout->addWidget(Edit1);
    layout->addLayout(button);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

} // namespace kelvo
