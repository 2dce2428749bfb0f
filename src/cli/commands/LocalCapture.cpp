#include "commands/LocalCapture.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "collection/CollectionIndex.h"
#include "destinations/CurrentDestination.h"
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationFiles.h"
#include "destinations/DestinationList.h"
#include "indexing/IndexedCollection.h"
#include "logs/HistoryTree.h"
#include "session/HomeFiles.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "session/SettingsFile.h"

#include <QElapsedTimer>
#include <QThread>

namespace kelvo {
namespace {

constexpr int kLockWait = 5000;       // ms
constexpr int kLockLookInterval = 50; // ms

// Answers for the user: a clash is settled by the choice made beforehand.
class ChosenAnswers : public Prompter {
public:
    ChosenAnswers(const LocalCapture& capture, QTextStream& err) : capture_(capture), err_(err) {}
    void Notice(const QString& text) override {
        err_ << QString(text).replace(u'\n', u' ') << Qt::endl;
    }
    bool Ask(const QString&) override { return false; }
    ClashChoice ChooseClash(const ClashFiles&) override { return capture_.onClash; }
    bool ConfirmSameContent(const SameContentFiles& files) override {
        return capture_.askSameContent && capture_.askSameContent(files);
    }
    std::optional<QString> AskSaveAs(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }

private:
    const LocalCapture& capture_;
    QTextStream& err_;
};

// The named destination made current in kelvo.ini, as a click on its row in
// the window would; a settings file that was not read whole is not written.
bool ChooseDestination(const QString& name, SettingsFile& settings, bool settingsRead,
                       const QString& home, CurrentDestination& current, QTextStream& err) {
    DestinationList list;
    LoadStoredDestinations(list, settings, home);
    const int found = list.FindByIdentifier(name);
    if (found < 0) {
        err << NoSuchDestinationText(name) << Qt::endl;
        return false;
    }
    current.Set(list.At(found).identifier, list.At(found).folder);
    current.SetIndex(found);
    settings.Set(StringSetting::DestinationIdentifier, current.CurrentIdentifier());
    settings.Set(IntegerSetting::DestinationIndex, found);
    settings.Set(StringSetting::DestinationFolder, current.CurrentFolder());
    const QString path = SettingsFilePath(home);
    if (settingsRead && !settings.Write(path))
        err << WriteFailureText(path) << Qt::endl;
    return true;
}

} // namespace

StoredDestinations ReadStoredDestinations(const QString& home, const QString& picturesDestination) {
    SettingsFile settings(DefaultDestinationFolder(home, picturesDestination));
    settings.Read(SettingsFilePath(home));
    DestinationList list;
    LoadStoredDestinations(list, settings, home);
    return {list.All(),
            list.FindByIdentifier(settings.String(StringSetting::DestinationIdentifier))};
}

bool LockForCapture(InstanceLock& lock, const QString& home, QTextStream& err) {
    QElapsedTimer waited;
    waited.start();
    while (!lock.TryLock()) {
        if (!lock.HeldByAnother()) {
            err << "kelvo capture: cannot lock the home folder: " << lock.Failure() << Qt::endl;
            return false;
        }
        if (waited.elapsed() >= kLockWait) {
            err << "kelvo capture: another Kelvo is using " << home << " (" << lock.Path() << ")"
                << Qt::endl;
            return false;
        }
        QThread::msleep(kLockLookInterval);
    }
    return true;
}

bool CaptureHere(const LocalCapture& capture, const Clock& clock, QTextStream& err,
                 const CapturePipeline::OutcomeListener& listener) {
    const QString& home = capture.home;
    SettingsFile settings(DefaultDestinationFolder(home, capture.picturesDestination));
    const bool settingsRead = settings.Read(SettingsFilePath(home));
    CurrentDestination destination(home);
    destination.ReadFrom(settings);
    if (!capture.destination.isEmpty() &&
        !ChooseDestination(capture.destination, settings, settingsRead, home, destination, err))
        return false;
    const QString treePath = HistoryTreeFilePath(home);
    HistoryTree history;
    QString treeError;
    if (!history.Load(treePath, &treeError))
        err << treeError << Qt::endl;

    // The index is derived: a capture goes on without it, and the next sync
    // takes it in.
    QString indexError;
    const auto index = CollectionIndex::Open(home, CollectionIndex::Access::ReadWrite, &indexError,
                                             CollectionIndex::Check::Skip);
    if (!index)
        err << "kelvo capture: cannot open the collection's index: " << indexError << Qt::endl;
    std::optional<IndexedCollection> collection;
    if (index)
        collection.emplace(*index, home, PictureHasher());
    ChosenAnswers answers(capture, err);
    const CaptureChoices choices{capture.onSameContent,
                                 settings.Boolean(BooleanSetting::SourceAttributes)};
    SilentBrowserLink browser;
    SilentCaptureDisplay display;
    CapturePipeline pipeline({home, answers, browser, clock, display, history, destination, RunHere,
                              capture.picturesDestination, collection ? &*collection : nullptr,
                              &choices});
    pipeline.SetOutcomeListener(listener);
    DropPayload payload;
    payload.files = capture.files;
    pipeline.HandleDroppedFiles(payload);

    if (collection) {
        if (const QString failure = collection->Flush(); !failure.isEmpty())
            err << "kelvo capture: cannot write the collection's index: " << failure << Qt::endl;
    }
    // The pipeline keeps each new day at once; only a day whose keeping
    // failed is left to write, and a tree without a new day stays untouched.
    if (history.HasUnsavedDays() && !history.Save(treePath)) {
        err << "kelvo capture: cannot write " << treePath << Qt::endl;
        return false;
    }
    return true;
}

} // namespace kelvo
