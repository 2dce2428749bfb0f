#pragma once

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "collection/CaptureCollection.h"
#include "services/Clock.h"
#include "services/Prompter.h"

#include <QStringList>

#include <deque>
#include <map>
#include <vector>

namespace kelvo::testing {

// Answers as the test scripted it and remembers what was asked.
class ScriptedPrompter : public Prompter {
public:
    void Notice(const QString& text) override { notices << text; }
    bool Ask(const QString& text) override {
        questions << text;
        return answerYes;
    }
    ClashChoice ChooseClash(const ClashFiles& files) override {
        clashes.push_back(files);
        if (clashChoices.empty())
            return ClashChoice::DontSave;
        const ClashChoice choice = clashChoices.front();
        clashChoices.pop_front();
        return choice;
    }
    bool ConfirmSameContent(const SameContentFiles& files) override {
        sameContentAsked.push_back(files);
        return saveSameContent;
    }
    std::optional<QString> AskSaveAs(const QString& folder, const QString& name) override {
        saveAsAsked << folder + name;
        return saveAsAnswer;
    }
    std::optional<QString> ChooseFolder(const QString& prompt) override {
        folderPrompts << prompt;
        return folderAnswer;
    }

    std::optional<QString> AskText(const QString& title, const QString& label,
                                   const QString& defaultText) override {
        textsAsked << title + "|" + label + "|" + defaultText;
        return textAnswer;
    }

    QStringList notices;
    QStringList questions;
    QStringList textsAsked;
    std::optional<QString> textAnswer;
    bool answerYes = true;
    std::vector<ClashFiles> clashes;
    std::deque<ClashChoice> clashChoices;
    std::vector<SameContentFiles> sameContentAsked;
    bool saveSameContent = false;
    QStringList saveAsAsked;
    std::optional<QString> saveAsAnswer;
    QStringList folderPrompts;
    std::optional<QString> folderAnswer;
};

// Knows what was added to it, by content.
class FakeCollection : public CaptureCollection {
public:
    std::optional<EarlierCapture> SameContent(const std::string& contentHash) override {
        const auto found = known.find(contentHash);
        if (found == known.end())
            return std::nullopt;
        return found->second;
    }
    void Add(const NewCapture& capture) override {
        added.push_back(capture);
        known[capture.contentHash] = capture.AsEarlier();
    }

    std::map<std::string, EarlierCapture> known;
    std::vector<NewCapture> added;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at = {}) : now(std::move(at)) {}
    QDateTime Now() const override { return now; }
    QDateTime now;
};

class FakeBrowser : public BrowserLink {
public:
    QString AskPageAddress() override {
        ++asked;
        return pageAddress;
    }
    bool OpenInBrowser(const QString& address) override {
        opened << address;
        return true;
    }
    void OpenAddress(const QString& address) override { opened << address; }

    QString pageAddress;
    int asked = 0;
    QStringList opened;
};

// Remembers what the window would show, in order.
class RecordingDisplay : public CaptureDisplay {
public:
    void ClearPreview() override { events << QStringLiteral("clear"); }
    void ShowCapturedPreview(const QString& path) override { events << "preview " + path; }
    void ShowSavedName(const QString& name) override { savedName = name; }
    void ShowOutcome(const QString& text) override { outcome = text; }
    void ShowStatus(const QString& text) override { status = text; }
    void ShowHint(const QString& text) override { hints << text; }
    void HoldHoverSelection() override { events << QStringLiteral("hover off"); }
    void ReleaseHoverSelection() override { events << QStringLiteral("hover on"); }
    void BringToFront() override { events << QStringLiteral("front"); }
    void ReassertTopmost() override { events << QStringLiteral("topmost"); }
    void Beep() override { events << QStringLiteral("beep"); }

    QStringList events;
    QString savedName;
    QString outcome;
    QString status;
    QStringList hints;
};

} // namespace kelvo::testing
