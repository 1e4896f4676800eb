#include "addressbook/model/group_list.h"

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {
Entry named(const char* name) {
    return makeEntry({{Field::FirstName, name}});
}
std::string nameAt(const GroupList& list, int position) {
    return std::string(list.find(position)->get(Field::FirstName));
}
}  // namespace

TEST(GroupList, InsertingAtPositionOneKeepsNewestFirst) {
    GroupList list;
    EXPECT_TRUE(list.insert(1, named("A")));
    EXPECT_TRUE(list.insert(1, named("B")));
    EXPECT_TRUE(list.insert(1, named("C")));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(nameAt(list, 1), "C");
    EXPECT_EQ(nameAt(list, 2), "B");
    EXPECT_EQ(nameAt(list, 3), "A");
}

TEST(GroupList, InsertAndRemoveAnywhere) {
    GroupList list;
    list.insert(1, named("A"));
    EXPECT_TRUE(list.insert(2, named("Z")));  // count + 1: the back
    EXPECT_TRUE(list.insert(2, named("M")));
    EXPECT_FALSE(list.insert(5, named("X")));
    EXPECT_FALSE(list.insert(0, named("X")));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(nameAt(list, 1), "A");
    EXPECT_EQ(nameAt(list, 2), "M");
    EXPECT_EQ(nameAt(list, 3), "Z");
    EXPECT_TRUE(list.remove(2));
    EXPECT_EQ(nameAt(list, 2), "Z");
    EXPECT_FALSE(list.remove(3));
    EXPECT_TRUE(list.remove(1));
    EXPECT_TRUE(list.remove(1));
    EXPECT_FALSE(list.remove(1));  // empty
    EXPECT_EQ(list.count(), 0);
}

TEST(GroupList, InvalidGetLeavesTheDestinationAlone) {
    GroupList list;
    list.insert(1, named("A"));
    Entry out = named("unchanged");
    EXPECT_FALSE(list.get(0, out));
    EXPECT_FALSE(list.get(2, out));
    EXPECT_EQ(out.get(Field::FirstName), "unchanged");
    EXPECT_TRUE(list.get(1, out));
    EXPECT_EQ(out.get(Field::FirstName), "A");
    // `get` copies: changing the copy leaves the list alone.
    out.set(Field::FirstName, "B");
    EXPECT_EQ(nameAt(list, 1), "A");
}
