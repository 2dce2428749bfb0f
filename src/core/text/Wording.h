#pragma once

#include <QString>

namespace kelvo {

// A text in the program's own words (Japanese) and as a window shows it:
// translated by the catalogue the window installed, the same words when it
// installed none (the command line never does). What leaves the program for
// a script or another program (kelvo capture's lines, the browser host's
// answers) keeps the own words, even when a window said it.
struct Wording {
    QString own;
    QString shown;

    // Both with their lowest %n replaced by value.
    Wording arg(const QString& value) const { return {own.arg(value), shown.arg(value)}; }
    Wording operator+(const Wording& more) const { return {own + more.own, shown + more.shown}; }
};

// source: a literal marked for the catalogue as QT_TRANSLATE_NOOP(context, source).
Wording Worded(const char* context, const char* source);

} // namespace kelvo
