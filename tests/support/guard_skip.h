// Tests that guard the user's data (moves, deletes, the trash, tree sizes, raw preview sidecars) or
// the windows against a share that stops answering must not pass unseen by skipping. Where
// LUMO_GUARD_TESTS_MUST_RUN is set (CI sets it), what would be their skip fails.
#pragma once

#include <cstdlib>
#include <string_view>

namespace lumo::test {

inline bool GuardSkipsFail() {
    const char* value = std::getenv("LUMO_GUARD_TESTS_MUST_RUN");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

} // namespace lumo::test

// In a GoogleTest test: skips with the reason, or fails with it where guards must run.
#define LUMO_GUARD_SKIP(reason)                                                                    \
    do {                                                                                           \
        if (::lumo::test::GuardSkipsFail())                                                        \
            FAIL() << (reason) << " (a test that guards data must run)";                           \
        else                                                                                       \
            GTEST_SKIP() << (reason);                                                              \
    } while (false)

// The same in a Qt Test test function.
#define LUMO_QT_GUARD_SKIP(reason)                                                                 \
    do {                                                                                           \
        if (::lumo::test::GuardSkipsFail())                                                        \
            QFAIL(qPrintable(QString::fromStdString(reason) +                                      \
                             QStringLiteral(" (a test that guards data must run)")));              \
        else                                                                                       \
            QSKIP(qPrintable(QString::fromStdString(reason)));                                     \
    } while (false)
