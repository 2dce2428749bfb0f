#pragma once

// Whole files for the GoogleTest tests, where a file that must be there fails
// the running test when it is not.

#include "support/Files.h"

#include <gtest/gtest.h>

#include <optional>

namespace kelvo::testing {

// The whole file; when it cannot be opened, empty and a failure of the running
// test, which goes on.
inline QByteArray ReadBytesOrFail(const QString& path) {
    const std::optional<QByteArray> bytes = ReadFile(path);
    if (!bytes)
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return bytes.value_or(QByteArray());
}

} // namespace kelvo::testing
