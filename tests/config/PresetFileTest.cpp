// The preset file as bytes, and the names a typed answer turns into.
#include "config/PresetFile.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

std::string le16(std::size_t v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }
std::string le32(std::uint32_t v) { return le16(v & 0xffff) + le16(v >> 16); }

// The record laid out by hand, field after field.
std::string handMade(const std::string& display, const std::string& file, const std::vector<std::string>& commands,
                     std::uint16_t dimensions = 1, std::uint32_t lowerBound = 0)
{
    std::string out = le16(display.size()) + display + le16(file.size()) + file + le16(dimensions)
        + le32(static_cast<std::uint32_t>(commands.size())) + le32(lowerBound);
    for (const std::string& c : commands)
        out += le16(c.size()) + c;
    return out;
}

} // namespace

TEST(PresetFile, IsTheRecordByteForByteAndReadsBack)
{
    const PresetRecord record{"Big Map Cycle", "Big_Map_Cycle", {"say hello||2000", "NOP||5000", "map_restart||3000"}};
    const auto bytes = encodePreset(record);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, handMade(record.DisplayName, record.FileName, record.Commands));

    const PresetReadResult read = decodePreset(*bytes);
    ASSERT_TRUE(read.record) << read.error;
    EXPECT_EQ(read.record->DisplayName, record.DisplayName);
    EXPECT_EQ(read.record->FileName, record.FileName);
    EXPECT_EQ(read.record->Commands, record.Commands);
}

TEST(PresetFile, ZeroEntriesAndLongestStringsFitTheFormat)
{
    const PresetRecord empty{"Empty", "Empty", {}};
    ASSERT_TRUE(encodePreset(empty));
    EXPECT_EQ(encodePreset(empty)->size(), 14u + 5 + 5);
    auto read = decodePreset(*encodePreset(empty));
    ASSERT_TRUE(read.record);
    EXPECT_TRUE(read.record->Commands.empty());

    const std::string longest(kMaxPresetString, 'x');
    const PresetRecord big{longest, "big", {longest, "b||1"}};
    const auto bytes = encodePreset(big);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 2), "\xff\xff");
    read = decodePreset(*bytes);
    ASSERT_TRUE(read.record) << read.error;
    EXPECT_EQ(read.record->Commands.at(0), longest);

    // One byte more cannot be written as its length: refused, not cut.
    const std::string tooLong(kMaxPresetString + 1, 'x');
    EXPECT_FALSE(encodePreset({tooLong, "n", {"a||1"}}));
    EXPECT_FALSE(encodePreset({"n", "n", {"a||1", tooLong}}));
}

TEST(PresetFile, BytesThatAreNotARecordAreRefusedWithAReason)
{
    const std::string good = handMade("Name", "Name", {"say hi||1000", "NOP||500"});
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"one byte", "\x04"},
        {"display name past the end", le16(40) + "Name"},
        {"file name past the end", le16(1) + "N" + le16(300) + "abc"},
        {"cut inside the header", good.substr(0, 4 + 8 + 3)},
        {"two dimensions", handMade("N", "N", {"a||1"}, 2)},
        {"lower bound 1", handMade("N", "N", {"a||1"}, 1, 1)},
        {"count in the millions", handMade("N", "N", {}).substr(0, 8) + le32(5'000'000) + le32(0) + le16(1) + "a"},
        {"count past 2^31", handMade("N", "N", {}).substr(0, 8) + le32(0xffffffffu) + le32(0)},
        {"entry past the end", good.substr(0, good.size() - 3)},
        {"a byte after the record", good + "x"},
        {"text file", "map q3dm17\r\nmap q3dm6\r\n"},
    };
    for (const auto& c : cases) {
        const PresetReadResult read = decodePreset(c.bytes);
        EXPECT_FALSE(read.record) << c.what;
        EXPECT_FALSE(read.error.empty()) << c.what;
    }
}

TEST(PresetFile, TypedNamesLoseTheCharactersFileNamesCannotHold)
{
    const struct {
        const char* typed;
        const char* file;
    } cases[] = {
        {"Big Map Cycle", "Big_Map_Cycle"},   {"CTF: maps/night?", "CTF_mapsnight"},
        {"a\\b\"c*d<e>f|g", "abcdefg"},       {"/\\:?\"*<>|", ""}, // saved as the file ".pst"
        {"  two  blanks ", "__two__blanks_"}, {"caf\xe9 ~ #1", "caf\xe9_~_#1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SanitizePresetName(c.typed), c.file) << c.typed;
}
