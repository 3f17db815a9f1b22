// Attribute values held compactly read back as the very bytes they were given, whatever
// those bytes are, from an arena or not, through copies, moves and single changes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/bulk_memory.h"
#include "shapes/attribute_list.h"
#include "shapes/sf_point.h"

using model::_attrValue;
using model::attribute_list;

namespace {

bool same_bytes(const _attrValue& a, const _attrValue& b) { return a.kind == b.kind && a.value == b.value; }

// Values of every sort a table or a document can give: the three kinds as made from table
// values, text beyond one byte a character, and areas and kinds that only a damaged or
// foreign document would hold.
_attrValue random_value(std::mt19937& random) {
    std::uniform_int_distribution<int> pick(0, 9), byte(0, 255), length(0, 60);
    std::u16string text(static_cast<std::size_t>(length(random)), u'a');
    switch (pick(random)) {
        case 0: return _attrValue{};
        case 1: return _attrValue::from_int(static_cast<std::int32_t>(random()));
        case 2: return _attrValue::from_double(std::uniform_real_distribution<double>(-1e6, 1e6)(random));
        case 3:
            for (char16_t& c : text) c = static_cast<char16_t>(u'0' + byte(random) % 200);
            return _attrValue::from_text(text);
        case 4:
            for (char16_t& c : text) c = static_cast<char16_t>(0x400 + byte(random));
            text.push_back(char16_t(0xD83D));  // half a pair, cut off at the limit or not
            return _attrValue::from_text(text);
        default: {
            _attrValue v;
            v.kind = pick(random) < 8 ? pick(random) % 4 : static_cast<std::int32_t>(random());
            const int filled = length(random);
            for (int i = 0; i < filled; ++i) v.value[static_cast<std::size_t>(byte(random) % 100)] = static_cast<std::uint8_t>(byte(random));
            return v;
        }
    }
}

}  // namespace

TEST(AttributeList, ValuesReadBackByteForByte) {
    std::mt19937 random(7);
    platform::bulk_resource arena;
    for (int round = 0; round < 400; ++round) {
        std::vector<_attrValue> values(static_cast<std::size_t>(random() % 8));
        for (_attrValue& v : values) v = random_value(random);
        attribute_list held, in_arena;
        held.assign(values.data(), static_cast<int>(values.size()));
        in_arena.assign(values.data(), static_cast<int>(values.size()), &arena);

        attribute_list copy = in_arena;        // a block of its own
        attribute_list moved = std::move(held);
        for (const attribute_list* list : {&in_arena, &copy, &moved}) {
            ASSERT_EQ(list->size(), static_cast<int>(values.size()));
            for (std::size_t i = 0; i < values.size(); ++i)
                ASSERT_TRUE(same_bytes(list->get(static_cast<int>(i)), values[i])) << round << " " << i;
            EXPECT_TRUE(same_bytes(list->get(static_cast<int>(values.size())), _attrValue{}));
            EXPECT_TRUE(same_bytes(list->get(-1), _attrValue{}));
        }
        if (values.empty()) continue;
        // One value changed, in an arena's list too; the others stay as they were.
        const std::size_t k = random() % values.size();
        values[k] = random_value(random);
        in_arena.set(static_cast<int>(k), values[k]);
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_TRUE(same_bytes(in_arena.get(static_cast<int>(i)), values[i])) << round << " " << i;
    }
}

TEST(AttributeList, ShapesSizeAndFillTheirValuesAsBefore) {
    model::CSFPoint point;
    EXPECT_EQ(point.get_attribute_count(), 0);
    point.SetAttributeCount(3);
    point.SetAttribute(1, _attrValue::from_text(u"Тверь"));
    point.SetAttribute(3, _attrValue::from_int(5));  // beyond the count: nothing
    point.SetAttributeCount(0);                      // not above zero: left as it is
    ASSERT_EQ(point.get_attribute_count(), 3);
    EXPECT_EQ(point.GetAttribute(0).kind, _attrValue::none);
    EXPECT_EQ(point.GetAttribute(1).get_text(), u"Тверь");
    model::CSFPoint copy = point;
    point.SetAttributeCount(2);
    EXPECT_EQ(point.get_attribute_count(), 2);
    EXPECT_EQ(point.GetAttribute(1).kind, _attrValue::none);
    EXPECT_EQ(copy.GetAttribute(1).get_text(), u"Тверь");
}
