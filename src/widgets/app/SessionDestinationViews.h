#pragma once

#include "app/TForm1.h"
#include "app/TForm2.h"
#include "common/LazyWindow.h"
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationSelector.h"

namespace kelvo {

// The commands act on the settings dialog's list while it is open, else on
// the main window's tree. A dialog not made yet has no list to follow: it
// selects the current destination when it first opens.
class SessionDestinationViews : public DestinationViews {
public:
    SessionDestinationViews(TForm1& form1, LazyWindow<TForm2>& form2, DestinationSelector& selector)
        : form1_(form1), form2_(form2), selector_(selector) {}

    QString SelectedText() const override {
        return form2_.Visible() ? form2_->SelectedIdentifier() : form1_.SelectedIdentifier();
    }
    void SelectInTree(int position) override { form1_.SelectDestination(position); }
    void SelectInList(int position) override {
        if (TForm2* dialog = form2_.IfMade())
            dialog->SelectDestination(position);
    }
    void RefreshCurrent() override { selector_.TreeView1Change(form1_.SelectedDestination()); }

private:
    TForm1& form1_;
    LazyWindow<TForm2>& form2_;
    DestinationSelector& selector_;
};

} // namespace kelvo
