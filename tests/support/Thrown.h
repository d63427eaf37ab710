#pragma once

#include <gtest/gtest.h>
#include <optional>

namespace qvtest {

// The error of type E a call throws; a test failure and nothing when it throws none.
template <class E, class Call> std::optional<E> thrown(Call&& call)
{
    try {
        call();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "nothing was thrown";
    return std::nullopt;
}

} // namespace qvtest
