#include "destinations/DestinationActions.h"

#include <QAction>

namespace kelvo {
namespace {

QAction* DestinationAction(const char* name, const QString& caption, const QString& hint,
                           bool enabled, QObject* parent) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setProperty("category", QStringLiteral("保存先フォルダ"));
    action->setEnabled(enabled);
    return action;
}

} // namespace

DestinationActions::DestinationActions(QObject* parent)
    : QObject(parent),
      Action1(DestinationAction("Action1", tr("追加"), tr("保存先情報を追加します"), true, this)),
      Action2(DestinationAction("Action2", tr("編集"), tr("保存先情報を編集します"), false, this)),
      Action3(DestinationAction("Action3", tr("削除"), tr("保存先情報を削除します"), false, this)) {
    connect(Action1, &QAction::triggered, this, &DestinationActions::AddRequested);
    connect(Action2, &QAction::triggered, this, &DestinationActions::EditRequested);
    connect(Action3, &QAction::triggered, this, &DestinationActions::DeleteRequested);
}

void DestinationActions::SetEntrySelected(bool selected) {
    Action2->setEnabled(selected);
    Action3->setEnabled(selected);
}

} // namespace kelvo
