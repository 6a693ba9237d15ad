#include <gtest/gtest.h>

#include "tivra/io/Utils.h"

TEST(TraceLinux, WritesPrefixedLineToStandardError)
{
    testing::internal::CaptureStderr();
    TraceLinux("hello");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[TivraModule-Debug] hello\n");
}
