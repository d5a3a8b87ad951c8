#include "base/text_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qarvex {
namespace {

TEST(TextList, KeepsEveryTextInOrderIncludingEmptyOnes) {
  std::vector<std::string> texts{"MATCH (n) RETURN n", "", "x", std::string(1000, 'y'), ""};
  TextList list(texts);
  ASSERT_EQ(list.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(list[i], texts[i]) << i;
  list.emplace_back("last");
  EXPECT_EQ(list[texts.size()], "last");
  EXPECT_EQ(list[texts.size() - 1], "");
  EXPECT_TRUE(TextList().empty());
}

}  // namespace
}  // namespace qarvex
