#pragma once

#include "app/TForm1.h"
#include "app/TForm2.h"
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationSelector.h"

namespace kelvo {

// The commands act on the settings dialog's list while it is open, else on
// the main window's tree.
class SessionDestinationViews : public DestinationViews {
public:
    SessionDestinationViews(TForm1& form1, TForm2& form2, DestinationSelector& selector)
        : form1_(form1), form2_(form2), selector_(selector) {}

    QString SelectedText() const override {
        return form2_.isVisible() ? form2_.SelectedIdentifier() : form1_.SelectedIdentifier();
    }
    void SelectInTree(int position) override { form1_.SelectDestination(position); }
    void SelectInList(int position) override { form2_.SelectDestination(position); }
    void RefreshCurrent() override { selector_.TreeView1Change(form1_.SelectedDestination()); }

private:
    TForm1& form1_;
    TForm2& form2_;
    DestinationSelector& selector_;
};

} // namespace kelvo
