#pragma once

#include <QString>

namespace kelvo {

// The conversation with the web browser the images come from.
class BrowserLink {
public:
    virtual ~BrowserLink() = default;
    // The address of the page the browser shows; empty when none answers.
    virtual QString AskPageAddress() = 0;
    // Has the browser open the address; false when no browser answered, and
    // then a link that can fall back to OpenAddress does so itself.
    virtual bool OpenInBrowser(const QString& address) = 0;
    // Opens the address with the desktop's default handler.
    virtual void OpenAddress(const QString& address) = 0;
};

// No browser ever answers: for runs without a window (kelvo capture).
class SilentBrowserLink : public BrowserLink {
public:
    QString AskPageAddress() override { return {}; }
    bool OpenInBrowser(const QString&) override { return false; }
    void OpenAddress(const QString&) override {}
};

} // namespace kelvo
