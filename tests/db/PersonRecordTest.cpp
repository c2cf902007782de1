#include <gtest/gtest.h>

#include "PersonRecord.h"

namespace {

TEST(PersonDisplayName, FirstRuleThatApplies) {
    EXPECT_EQ(PersonDisplayName("Mary", "O'Brien", "Acme"), "O'Brien, Mary");
    EXPECT_EQ(PersonDisplayName("", "O'Brien", "Acme"), "O'Brien");
    EXPECT_EQ(PersonDisplayName("Mary", "", "Acme"), "Mary");
    EXPECT_EQ(PersonDisplayName("", "", "Acme"), "Acme");
    EXPECT_EQ(PersonDisplayName("", "", ""), "");
}

TEST(PersonRecord, FieldsFollowTheTableColumns) {
    PersonRecord p;
    p[PersonRecord::FName] = "Mary";
    p[PersonRecord::LName] = "Smith";
    EXPECT_EQ(p.DisplayName(), "Smith, Mary");
    EXPECT_STREQ(PersonRecord::ColumnName(PersonRecord::Title), "Title");
    EXPECT_STREQ(PersonRecord::ColumnName(PersonRecord::Pager), "Pager");
    EXPECT_STREQ(PersonRecord::ColumnName(PersonRecord::WebPage), "WebPage");
    EXPECT_EQ(PersonRecord::FieldCount, 17);
}

}  // namespace
