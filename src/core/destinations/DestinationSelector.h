#pragma once

#include <QString>

namespace kelvo {

class CurrentDestination;
class DestinationList;

// What the main window shows of the current destination.
class DestinationDisplay {
public:
    virtual ~DestinationDisplay() = default;
    virtual void ShowTreeStatus(const QString& text) = 0; // StatusBar2
    // Label2 and Label1, the folder in full.
    virtual void ShowCurrentDestination(const QString& identifier, const QString& folder) = 0;
    virtual void ClearCaptureInfo() = 0; // Label3 and Label4
};

// Makes a tree entry's destination the one captures go to.
class DestinationSelector {
public:
    DestinationSelector(const DestinationList& list, CurrentDestination& current,
                        DestinationDisplay& display);

    // The entry at that position of the tree was selected.
    void TreeView1Change(int position);

private:
    const DestinationList& list_;
    CurrentDestination& current_;
    DestinationDisplay& display_;
};

} // namespace kelvo
