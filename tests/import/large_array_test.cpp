// LargeArray: values survive every growth, from ordinary memory into large
// buffers and on, and sizes that cannot fit are refused before anything is
// allocated.
#include "import/large_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace tos {
namespace {

struct Twelve {
  uint32_t a, b, c;
  bool operator==(const Twelve&) const = default;
};

Twelve Nth(size_t i) {
  return {static_cast<uint32_t>(i), static_cast<uint32_t>(i * 7919), static_cast<uint32_t>(~i)};
}

TEST(LargeArray, KeepsItsValuesAsItGrowsPastOrdinaryMemory) {
  // Counts below, at and well past the size kept in ordinary memory, each
  // grown one value at a time, in steps, and after a reserve.
  for (size_t count : {size_t{0}, size_t{1}, size_t{21845}, size_t{21846}, size_t{300000}}) {
    SCOPED_TRACE(count);
    LargeArray<Twelve> one, steps, reserved;
    reserved.reserve(count / 2);
    for (size_t i = 0; i < count; ++i) {
      one.push_back(Nth(i));
      reserved.push_back(Nth(i));
    }
    for (size_t i = 0; i < count;) {
      size_t n = std::min<size_t>(count - i, 1 + i / 3);
      Twelve* at = steps.Extend(n);
      ASSERT_EQ(at, steps.data() + i);
      for (size_t k = 0; k < n; ++k) at[k] = Nth(i + k);
      i += n;
    }
    for (const LargeArray<Twelve>* list : {&one, &steps, &reserved}) {
      ASSERT_EQ(list->size(), count);
      EXPECT_EQ(list->empty(), count == 0);
      size_t i = 0;
      for (const Twelve& v : *list) ASSERT_EQ(v, Nth(i++));
    }
  }
}

TEST(LargeArray, AssignAndSwap) {
  LargeArray<uint64_t> small, large;
  small.assign(64, 7);
  large.assign(400000, UINT64_MAX);
  large[399999] = 1;
  small.swap(large);
  ASSERT_EQ(small.size(), 400000u);
  ASSERT_EQ(large.size(), 64u);
  EXPECT_EQ(small[0], UINT64_MAX);
  EXPECT_EQ(small[399999], 1u);
  for (uint64_t v : large) EXPECT_EQ(v, 7u);
  // Assign replaces the values, whatever was there.
  small.assign(3, 5);
  EXPECT_EQ(std::vector<uint64_t>(small.begin(), small.end()), (std::vector<uint64_t>{5, 5, 5}));
  large.push_back(8);
  EXPECT_EQ(large.size(), 65u);
  EXPECT_EQ(large[64], 8u);
}

TEST(LargeArray, RefusesSizesThatCannotFit) {
  LargeArray<Twelve> list;
  list.push_back(Nth(1));
  EXPECT_THROW(list.reserve(SIZE_MAX / sizeof(Twelve) + 1), std::bad_alloc);
  EXPECT_THROW(list.Extend(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(list.Extend(SIZE_MAX / sizeof(Twelve)), std::bad_alloc);
  // Nothing changed.
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], Nth(1));
}

}  // namespace
}  // namespace tos
