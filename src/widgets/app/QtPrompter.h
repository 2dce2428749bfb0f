#pragma once

#include "services/Prompter.h"

#include <QCoreApplication>

class QWidget;

namespace kelvo {

class TForm4;

// Modal message boxes captioned "ケルボ", the clash dialog and the save dialog.
class QtPrompter : public Prompter {
    Q_DECLARE_TR_FUNCTIONS(QtPrompter)

public:
    QtPrompter(QWidget* parent, TForm4& clashDialog);

    void Notice(const QString& text) override;
    bool Ask(const QString& text) override;
    ClashChoice ChooseClash(const ClashFiles& files) override;
    bool ConfirmSameContent(const SameContentFiles& files) override;
    std::optional<QString> AskSaveAs(const QString& folder, const QString& proposedName) override;
    std::optional<QString> ChooseFolder(const QString& prompt) override;
    std::optional<QString> AskText(const QString& title, const QString& label,
                                   const QString& defaultText) override;

private:
    QWidget* Owner() const;

    QWidget* parent_;
    TForm4& clashDialog_;
};

} // namespace kelvo
