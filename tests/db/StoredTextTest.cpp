#include <gtest/gtest.h>

#include "StoredText.h"

namespace {

TEST(StoredText, LineBreaksConvertAtTheEdge) {
    EXPECT_EQ(ToStoredLines("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ToStoredLines("a\r\nb"), "a\r\nb");
    EXPECT_EQ(ToStoredLines("a\rb"), "a\r\nb");
    EXPECT_EQ(FromStoredLines("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(FromStoredLines("a\rb"), "a\rb");
    EXPECT_EQ(FromStoredLines(ToStoredLines("x\ny\n\nz")), "x\ny\n\nz");
}

}  // namespace
