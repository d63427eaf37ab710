#pragma once

#include <gtest/gtest.h>
#include <string>

namespace qvtest {

// Names each case of a parameterised test after the `name` member of its parameter.
struct ParamName
{
    template <class T> std::string operator()(const testing::TestParamInfo<T>& info) const
    {
        return std::string(info.param.name);
    }
};

} // namespace qvtest
