#include <gtest/gtest.h>

#include <cstdint>

#include "module/LayerKey.h"
#include "module/LayerList.h"

namespace {

// Bit by bit, without a table: reflected CRC-32 steps, except that each
// byte's shift copies the sign bit down (arithmetic) and there is no final
// inversion.
std::int32_t BitwiseNameHash(const std::string& name) {
    std::uint32_t reg = 0xFFFFFFFFU;
    for (unsigned char ch : name) {
        std::uint32_t entry = (static_cast<std::uint32_t>(std::toupper(ch)) ^ reg) & 0xFFU;
        for (int bit = 0; bit < 8; ++bit) {
            entry = (entry & 1U) ? 0xEDB88320U ^ (entry >> 1) : entry >> 1;
        }
        const std::uint32_t sign = (reg & 0x80000000U) ? 0xFF000000U : 0U;
        reg = ((reg >> 8) | sign) ^ entry;
    }
    return static_cast<std::int32_t>(reg);
}

}  // namespace

TEST(NameHash, EmptyNameAndLetterCase) {
    EXPECT_EQ(NameHash(""), -1);
    EXPECT_EQ(NameHash("plotrex_module"), NameHash("PLOTREX_MODULE"));
    EXPECT_EQ(NameHash("Etr_Properties"), NameHash("ETR_PROPERTIES"));
    EXPECT_NE(NameHash("A"), NameHash("B"));
}

TEST(NameHash, ShiftsArithmeticallyWithoutFinalInversion) {
    // The standard CRC-32 of "A" is 0xD3D99E8B; the arithmetic shift keeps the
    // top byte set and the missing inversion flips the rest.
    EXPECT_EQ(static_cast<std::uint32_t>(NameHash("A")), 0xD3D99E8BU ^ 0x00FFFFFFU);
    for (const char* name : {"PLOTREX_MODULE", "ETR_PROPERTIES", "x", "layer 12", "\xE9t\xE9"}) {
        EXPECT_EQ(NameHash(name), BitwiseNameHash(name)) << name;
    }
}

TEST(LayerKey, TextFormRoundTripsAndRejectsTextsWithoutMark) {
    LayerKey key("PLOTREX_MODULE", "ETR_PROPERTIES");
    EXPECT_EQ(key.ToText(), "PLOTREX_MODULE?ETR_PROPERTIES");

    LayerKey parsed;
    ASSERT_TRUE(parsed.FromText("PLOTREX_MODULE?ETR_PROPERTIES"));
    EXPECT_EQ(parsed, key);
    EXPECT_EQ(parsed.GetLayerName(), "ETR_PROPERTIES");

    LayerKey split;
    ASSERT_TRUE(split.FromText("A?B?C"));
    EXPECT_EQ(split.GetModuleName(), "A");
    EXPECT_EQ(split.GetLayerName(), "B?C");

    LayerKey untouched("M", "L");
    EXPECT_FALSE(untouched.FromText(""));
    EXPECT_FALSE(untouched.FromText("no mark"));
    EXPECT_EQ(untouched.GetModuleName(), "M");
}

TEST(LayerKey, HashesFollowTheNamesAndKeysCompareBySum) {
    LayerKey key;
    EXPECT_EQ(key.GetModuleHash(), -1);
    EXPECT_EQ(key.GetLayerHash(), -1);
    key.SetModuleName("PLOTREX_MODULE");
    EXPECT_EQ(key.GetModuleHash(), NameHash("PLOTREX_MODULE"));
    EXPECT_TRUE(key.MatchesModule("plotrex_module"));
    EXPECT_FALSE(key.MatchesModule("OTHER"));

    // Case differences vanish in the hashes, so the keys are equal.
    EXPECT_EQ(LayerKey("m", "layer"), LayerKey("M", "LAYER"));
    const LayerKey a("M", "A"), b("M", "B");
    EXPECT_NE(a, b);
    EXPECT_TRUE((a < b) != (b < a));

    const LayerKeyIndexed indexed(a, 0);
    EXPECT_EQ(indexed.GetIndex(), 0);
    EXPECT_EQ(indexed.GetLayerName(), "A");
    EXPECT_EQ(LayerKeyIndexed().GetIndex(), -1);
}

TEST(LayerList, AddSortsAndDropsEqualKeys) {
    LayerList list;
    const LayerKey a("M", "A"), b("M", "B"), c("M", "C");
    list.Add(c);
    list.Add(a);
    list.Add(b);
    list.Add(LayerKey("m", "a"));  // equal to a
    ASSERT_EQ(list.Size(), 3U);
    for (std::size_t i = 1; i < list.Size(); ++i) {
        EXPECT_LT(list.Keys()[i - 1], list.Keys()[i]);
    }
    EXPECT_TRUE(list.Contains(b));

    // Append keeps order and duplicates.
    LayerList raw;
    raw.Append(c);
    raw.Append(c);
    EXPECT_EQ(raw.Size(), 2U);

    LayerList merged;
    merged.AddAll(raw);
    merged.AddAll(list);
    EXPECT_EQ(merged.Size(), 3U);
}

TEST(LayerList, RemoveAllErasesOneEqualKeyPerKey) {
    LayerList list;
    const LayerKey a("M", "A"), b("M", "B");
    list.Append(a);
    list.Append(a);
    list.Append(b);
    LayerList remove;
    remove.Append(a);
    list.RemoveAll(remove);
    ASSERT_EQ(list.Size(), 2U);
    EXPECT_TRUE(list.Contains(a));
    EXPECT_TRUE(list.Contains(b));
}

TEST(LayerList, CursorWalksOnceAndRewinds) {
    LayerList list;
    LayerKey out;
    EXPECT_FALSE(list.Next(out));
    list.Add(LayerKey("M", "A"));
    list.Add(LayerKey("M", "B"));
    int seen = 0;
    while (list.Next(out)) {
        ++seen;
    }
    EXPECT_EQ(seen, 2);
    EXPECT_FALSE(list.Next(out));

    LayerList copy;
    copy.Assign(list);  // the cursor comes along, at the end
    EXPECT_FALSE(copy.Next(out));
    copy.Rewind();
    EXPECT_TRUE(copy.Next(out));
    EXPECT_EQ(out, list.Keys()[0]);

    list.Clear();
    EXPECT_TRUE(list.Empty());
}
