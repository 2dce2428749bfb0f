#include "app/TForm2.h"

#include "common/NamedLabel.h"
#include "common/WindowPlacement.h"
#include "destinations/DestinationPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace kelvo {

TForm2::TForm2(DestinationList& list, DestinationActions& commands, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(tr("設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    DestinationSheet = new DestinationPage(list, commands, PageControl1);
    DestinationSheet->setObjectName(QStringLiteral("DestinationSheet"));
    PageControl1->addTab(DestinationSheet, tr("保存先情報"));
    PageControl1->addTab(NewAppearancePage(), tr("外観"));
    PageControl1->addTab(NewOtherPage(), tr("その他"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (PageControl1->widget(page) == DestinationSheet)
            DestinationSheet->ShowRowOf(currentIdentifier_);
    });

    OkButton = new QPushButton(tr("ＯＫ"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = new QPushButton(tr("キャンセル"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(440, 450);
}

QWidget* TForm2::NewAppearancePage() {
    AppearanceSheet = new QWidget(PageControl1);
    AppearanceSheet->setObjectName(QStringLiteral("AppearanceSheet"));
    GroupBox3 = new QGroupBox(
        tr("メインフォーム透明度　（ 透明表示に対応したウィンドウシステムでのみ変更可 ）"),
        AppearanceSheet);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    TrackBar1 = new QSlider(Qt::Horizontal, GroupBox3);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 3);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm2::OpacityChosen);
    Label1 = NamedLabel(QStringLiteral("Label1"), GroupBox3, tr("ノーマル"));
    Label2 = NamedLabel(QStringLiteral("Label2"), GroupBox3, tr("透明度‐小"));
    Label3 = NamedLabel(QStringLiteral("Label3"), GroupBox3, tr("透明度‐中"));
    Label4 = NamedLabel(QStringLiteral("Label4"), GroupBox3, tr("透明度‐大"));

    // Equal stretches between the labels keep each one near its tick.
    auto* labels = new QHBoxLayout;
    labels->addWidget(Label1);
    labels->addStretch(1);
    labels->addWidget(Label2);
    labels->addStretch(1);
    labels->addWidget(Label3);
    labels->addStretch(1);
    labels->addWidget(Label4);
    auto* group = new QVBoxLayout(GroupBox3);
    group->addWidget(TrackBar1);
    group->addLayout(labels);
    auto* page = new QVBoxLayout(AppearanceSheet);
    page->addWidget(GroupBox3);
    page->addWidget(NewLanguageGroup());
    page->addStretch(1);
    return AppearanceSheet;
}

// Each language by its own name, whatever the windows speak.
QWidget* TForm2::NewLanguageGroup() {
    LanguageGroup = new QGroupBox(tr("表示言語"), AppearanceSheet);
    LanguageGroup->setObjectName(QStringLiteral("LanguageGroup"));
    LanguageBox = new QComboBox(LanguageGroup);
    LanguageBox->setObjectName(QStringLiteral("LanguageBox"));
    LanguageBox->addItems({QStringLiteral("日本語"), QStringLiteral("English")});
    LanguageNote = NamedLabel(QStringLiteral("LanguageNote"), LanguageGroup,
                              tr("表示言語は次回の起動から切り替わります。"));
    LanguageNote->setWordWrap(true);
    LanguageNote->hide();
    connect(LanguageBox, &QComboBox::currentIndexChanged, this, &TForm2::ShowLanguageNote);
    auto* box = new QHBoxLayout;
    box->addWidget(LanguageBox);
    box->addStretch(1);
    auto* group = new QVBoxLayout(LanguageGroup);
    group->addLayout(box);
    group->addWidget(LanguageNote);
    return LanguageGroup;
}

void TForm2::LoadLanguage(DisplayLanguage chosen, DisplayLanguage running) {
    runningLanguage_ = running;
    LanguageBox->setCurrentIndex(int(chosen));
    ShowLanguageNote();
}

DisplayLanguage TForm2::Language() const {
    return DisplayLanguage(LanguageBox->currentIndex());
}

void TForm2::ShowLanguageNote() {
    LanguageNote->setVisible(Language() != runningLanguage_);
}

QWidget* TForm2::NewOtherPage() {
    OtherSheet = new QWidget(PageControl1);
    OtherSheet->setObjectName(QStringLiteral("OtherSheet"));
    GroupBox2 = new QGroupBox(tr("終了時"), OtherSheet);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    CheckBox2 = new QCheckBox(tr("確認をする。"), GroupBox2);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    auto* group = new QVBoxLayout(GroupBox2);
    group->addWidget(CheckBox2);
    auto* page = new QVBoxLayout(OtherSheet);
    page->addWidget(GroupBox2);
    page->addWidget(NewSavingGroup());
    page->addWidget(NewBrowserGroup());
    page->addStretch(1);
    return OtherSheet;
}

// The rule's entries in SameContentRule's order.
QWidget* TForm2::NewSavingGroup() {
    SavingGroup = new QGroupBox(tr("画像の保存"), OtherSheet);
    SavingGroup->setObjectName(QStringLiteral("SavingGroup"));
    SameContentBox = new QComboBox(SavingGroup);
    SameContentBox->setObjectName(QStringLiteral("SameContentBox"));
    SameContentBox->addItems({tr("確認する"), tr("保存する"), tr("保存しない")});
    SourceAttributesBox =
        new QCheckBox(tr("保存したファイルに取得元のアドレスを記録する（拡張属性）"), SavingGroup);
    SourceAttributesBox->setObjectName(QStringLiteral("SourceAttributesBox"));
    auto* rule = new QFormLayout;
    rule->addRow(tr("同じ画像を保存するとき:"), SameContentBox);
    auto* group = new QVBoxLayout(SavingGroup);
    group->addLayout(rule);
    group->addWidget(SourceAttributesBox);
    return SavingGroup;
}

QWidget* TForm2::NewBrowserGroup() {
    GroupBox4 = new QGroupBox(tr("ブラウザ"), OtherSheet);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    Label6 = NamedLabel(QStringLiteral("Label6"), GroupBox4, QString());
    Label6->setWordWrap(true);
    ShowExtensionState(NoteState::NotFromBrowser);
    Label7 = NamedLabel(QStringLiteral("Label7"), GroupBox4,
                        tr("<a href=\"guide\">拡張機能の入れ方（ユーザーガイド）</a>"));
    connect(Label7, &QLabel::linkActivated, this, &TForm2::GuideRequested);
    Label5 = NamedLabel(QStringLiteral("Label5"), GroupBox4, tr("DevTools ポート"));
    SpinEdit1 = new QSpinBox(GroupBox4);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(1, 65535);
    Label5->setBuddy(SpinEdit1);
    // Which browser start this port belongs to is not obvious from the number.
    auto* hint = new QLabel(tr("拡張機能がなくても、Chromium を "
                               "--remote-debugging-port=ポート番号 で起動すれば"
                               "記録できます。"),
                            GroupBox4);
    hint->setWordWrap(true);
    auto* port = new QHBoxLayout;
    port->addWidget(Label5);
    port->addWidget(SpinEdit1);
    port->addStretch(1);
    auto* group = new QVBoxLayout(GroupBox4);
    group->addWidget(Label6);
    group->addWidget(Label7);
    group->addLayout(port);
    group->addWidget(hint);
    return GroupBox4;
}

void TForm2::ShowExtensionState(NoteState state) {
    QString text;
    switch (state) {
    case NoteState::NotFromBrowser:
        text = tr("拡張機能：まだブラウザからのドロップはありません。");
        break;
    case NoteState::Missing:
        text = tr("拡張機能：直前のドロップに拡張機能の情報はありませんでした。");
        break;
    case NoteState::Refused:
        text = tr("拡張機能：直前のドロップの情報は画像やページと合わず、使いませんでした。");
        break;
    case NoteState::Taken:
        text = tr("拡張機能：直前のドロップに拡張機能の情報がありました。");
        break;
    }
    Label6->setText(text);
}

void TForm2::LoadCaptureChoices(const CaptureChoices& choices) {
    SameContentBox->setCurrentIndex(int(choices.sameContent));
    SourceAttributesBox->setChecked(choices.sourceAttributes);
}

CaptureChoices TForm2::CaptureChoicesState() const {
    return {SameContentRule(SameContentBox->currentIndex()), SourceAttributesBox->isChecked()};
}

void TForm2::LoadDevToolsPort(int port) {
    SpinEdit1->setValue(port);
}

int TForm2::DevToolsPort() const {
    return SpinEdit1->value();
}

bool TForm2::Run(const QString& currentIdentifier) {
    currentIdentifier_ = currentIdentifier;
    if (PageControl1->currentWidget() == DestinationSheet)
        DestinationSheet->ShowRowOf(currentIdentifier_);
    return exec() == QDialog::Accepted;
}

QString TForm2::SelectedIdentifier() const {
    return DestinationSheet->SelectedText();
}

void TForm2::SelectDestination(int position) {
    DestinationSheet->Select(position);
}

void TForm2::FocusDestinationList() {
    DestinationSheet->ListView1->setFocus();
}

void TForm2::SetTransparencySupported(bool supported) {
    // The group carries its children's state, slider and labels included.
    GroupBox3->setEnabled(supported);
}

void TForm2::LoadState(bool keptDestinationFlag, bool confirmClose, int transparencyLevel) {
    DestinationSheet->CheckBox1->setChecked(keptDestinationFlag);
    CheckBox2->setChecked(confirmClose);
    TrackBar1->setValue(transparencyLevel);
}

TForm2::ShellChoices TForm2::State() const {
    return {DestinationSheet->CheckBox1->isChecked(), CheckBox2->isChecked(), TrackBar1->value()};
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

} // namespace kelvo
