// Readable names for the rows of a parameterised test: the row's own description, as GoogleTest allows it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace qx::test {

// "clock set back: start again" -> "clock_set_back_start_again".
inline std::string rowName(const char* description) {
    std::string name;
    for (const char* p = description; *p; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p)))
            name += *p;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    if (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

// For INSTANTIATE_TEST_SUITE_P over rows that carry a `name`.
struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return rowName(info.param.name);
    }
};

} // namespace qx::test
