#include "destinations/DestinationSelector.h"

#include "destinations/CurrentDestination.h"
#include "destinations/DestinationList.h"

namespace kelvo {

DestinationSelector::DestinationSelector(const DestinationList& list, CurrentDestination& current,
                                         DestinationDisplay& display)
    : list_(list), current_(current), display_(display) {}

// The entry's text is looked up again: the position of the first destination
// of that identifier is the current index.
void DestinationSelector::TreeView1Change(int position) {
    if (position < 0 || position >= list_.Count())
        return;
    const QString text = list_.At(position).identifier;
    display_.ShowTreeStatus(text);
    const int found = list_.FindByIdentifier(text);
    if (found < 0)
        return;
    const SaveDestination& destination = list_.At(found);
    current_.Set(destination.identifier, destination.folder);
    current_.SetIndex(found);
    display_.ShowCurrentDestination(current_.CurrentIdentifier(), current_.CurrentFolder());
    display_.ClearCaptureInfo();
}

} // namespace kelvo
