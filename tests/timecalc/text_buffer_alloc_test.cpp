// Running out of memory: every operation reports or absorbs the failure and leaves a valid value.
//
// The array allocation functions are replaced for this program so that a chosen allocation can be
// made to fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "timecalc/text_buffer.h"

namespace {
// Number of nothrow array allocations still allowed to succeed; negative means unlimited.
int g_allocationsLeft = -1;
}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (g_allocationsLeft == 0) return nullptr;
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace timecalc {
namespace {

class FailingAllocation : public testing::Test {
 protected:
  void TearDown() override { g_allocationsLeft = -1; }
  static void FailAfter(int successes) { g_allocationsLeft = successes; }
  static void ExpectValidEmpty(const CTextBuffer& b) {
    EXPECT_EQ(b.GetLength(), 0);
    EXPECT_EQ(b.GetCapacity(), 0);
    ASSERT_NE(b.GetBuffer(), nullptr);
    EXPECT_STREQ(b.GetBuffer(), "");
  }
};

TEST_F(FailingAllocation, AssignThatMustGrowReportsFailureAndLeavesEmpty) {
  CTextBuffer b("ab");
  FailAfter(0);
  EXPECT_FALSE(b.Assign("abcdef", 6));
  ExpectValidEmpty(b);
  g_allocationsLeft = -1;
  EXPECT_TRUE(b.Append("xy", 2)) << "the value must stay usable";
  EXPECT_STREQ(b.GetBuffer(), "xy");
}

TEST_F(FailingAllocation, AppendThatMustGrowReportsFailureAndLeavesEmpty) {
  CTextBuffer b("ab");
  FailAfter(0);
  EXPECT_FALSE(b.Append("cd", 2));
  ExpectValidEmpty(b);
}

TEST_F(FailingAllocation, AssignThatFitsNeedsNoAllocation) {
  CTextBuffer b("abcdef");
  FailAfter(0);
  EXPECT_TRUE(b.Assign("xyz", 3));
  EXPECT_STREQ(b.GetBuffer(), "xyz");
}

TEST_F(FailingAllocation, DefaultValueWithoutMemoryIsStillValid) {
  FailAfter(0);
  const CTextBuffer b;
  ExpectValidEmpty(b);
}

TEST_F(FailingAllocation, CutsAndConcatenationYieldEmptyValues) {
  const CTextBuffer abc("abc");
  // The result's own default construction succeeds, the copy of the bytes does not.
  FailAfter(1);
  ExpectValidEmpty(abc.Left(2));
  FailAfter(1);
  ExpectValidEmpty(abc.Mid(1));
  FailAfter(1);
  ExpectValidEmpty(abc + abc);
  EXPECT_STREQ(abc.GetBuffer(), "abc");
}

TEST(TextBufferLimits, AppendBeyondTheLargestLengthFailsWithoutTouchingTheSource) {
  CTextBuffer b("abc");
  // The source is never read: the length alone is refused.
  EXPECT_FALSE(b.Append("x", 0x7fffffff));
  EXPECT_EQ(b.GetLength(), 0);
  EXPECT_STREQ(b.GetBuffer(), "");
}

}  // namespace
}  // namespace timecalc
