#pragma once

#include "handover/HandOverClient.h"

#include <QByteArray>

#include <functional>
#include <optional>

namespace kelvo {

class Clock;

// What the browser host reaches outside itself.
struct HostContext {
    QString home;
    // The pictures folder's Kelvo/ (empty for none): a new home's destination.
    QString picturesDestination;
    const Clock& clock;
    // Hands a capture to the window working on the home: the file's outcome,
    // or nothing when no window answers.
    std::function<std::optional<HandedOutcome>(const HandedCapture&)> handOver;
};

// Answers one request of the companion extension, JSON for JSON:
//   {"request": "destinations"}
//     -> {"destinations": [{"name": 識別名, "current": bool}, ...]}
//   {"request": "save", "destination": 識別名 or "", "page": address,
//    "image": address, "name": the server's file name or "", "bytes": base64}
//     -> {"outcome": "saved" | "skipped" | "failed", "path": ..., "text": ...}
// A save goes to the running window, which asks about a taken name as for a
// drop; without a window it is captured here and a taken name is numbered,
// since no one would see a question. Anything else is answered as failed,
// with the reason. Every answer stays within the browsers' 1 MB.
QByteArray AnswerHostRequest(const QByteArray& request, const HostContext& context);

// {"request": "watch"}: the companion keeps the port open for the destinations
// (DestinationWatch).
bool IsWatchRequest(const QByteArray& request);

} // namespace kelvo
