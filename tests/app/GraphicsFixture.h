// What the graphics tests share: the fakes bound, the shared objects put back, the log's start.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/SharedStateGuard.h"
#include "tests/fakes/FakePlatform.h"

// The log's first `count` calls, all of it when it holds fewer.
inline std::vector<std::string> firstCalls(size_t count)
{
    const std::vector<std::string>& calls = callLog().calls();
    return {calls.begin(), calls.begin() + std::min(count, calls.size())};
}

// The fakes bound, and the shared objects that start-up and frames change put back afterwards.
class GraphicsTest : public testing::Test {
protected:
    SharedStateGuard sharedState;
    FakePlatform fakes;
};
