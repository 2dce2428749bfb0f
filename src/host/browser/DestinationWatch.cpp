#include "browser/DestinationWatch.h"

#include "browser/NativeMessages.h"
#include "session/HomeFiles.h"

namespace kelvo {

DestinationWatch::DestinationWatch(const HostContext& context, int input, int output)
    : context_(context), output_(output), input_(input, QSocketNotifier::Read) {
    connect(&input_, &QSocketNotifier::activated, this, &DestinationWatch::ReadRequest);
    for (FileWatch* watch : {&settings_, &list_})
        connect(watch, &FileWatch::Changed, this, &DestinationWatch::SendDestinations);
    settings_.Watch(SettingsFilePath(context.home));
    list_.Watch(DestinationListPath(context.home));
    SendDestinations();
}

// Only what changed is sent: a settings file written for the windows' places
// leaves the menu as it is.
void DestinationWatch::SendDestinations() {
    const QByteArray destinations =
        AnswerHostRequest(QByteArrayLiteral("{\"request\":\"destinations\"}"), context_);
    if (destinations == sent_)
        return;
    sent_ = destinations;
    if (!WriteNativeMessage(output_, destinations))
        emit Finished(1);
}

void DestinationWatch::ReadRequest() {
    bool broken = false;
    const std::optional<QByteArray> request = ReadNativeMessage(int(input_.socket()), &broken);
    if (!request) {
        input_.setEnabled(false);
        emit Finished(broken ? 1 : 0);
        return;
    }
    if (!WriteNativeMessage(output_, AnswerHostRequest(*request, context_)))
        emit Finished(1);
}

} // namespace kelvo
