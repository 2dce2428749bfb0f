#include "app/TForm2.h"

#include "destinations/DestinationPage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace kelvo {

TForm2::TForm2(DestinationList& list, QAction* add, QAction* edit, QAction* remove, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    DestinationSheet = new DestinationPage(list, add, edit, remove, PageControl1);
    PageControl1->addTab(DestinationSheet, QStringLiteral("保存先情報"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (PageControl1->widget(page) == DestinationSheet)
            DestinationSheet->ShowRowOf(currentIdentifier_);
    });

    OkButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    CancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(420, 320);
}

bool TForm2::Run(const QString& currentIdentifier) {
    currentIdentifier_ = currentIdentifier;
    if (PageControl1->currentWidget() == DestinationSheet)
        DestinationSheet->ShowRowOf(currentIdentifier_);
    return exec() == QDialog::Accepted;
}

} // namespace kelvo
