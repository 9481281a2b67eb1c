#include <gtest/gtest.h>

#include "dashboard/values/values_image.h"
#include "dashboard/values/values_image_builder.h"
#include "dashboard/values/values_image_check.h"

namespace kvr {
namespace {

TEST(ValuesImageTest, BuilderMakesAFullImageWithTheSumOfPositionsOneTo2239) {
    const std::string text = ValuesImageBuilder().setByte(0, 0xAB).setRpmLabel(0, "500").text();
    ASSERT_EQ(text.size(), 2243u);
    EXPECT_EQ(text[0], ')');
    unsigned sum = 0;
    for (int i = 0; i < 2239; ++i) sum += static_cast<unsigned char>(text[i]);
    EXPECT_EQ(std::stoul(text.substr(2239), nullptr, 16), sum % 65536);
}

TEST(ValuesImageTest, BytesAndWordsReadHexadecimalPairsInEitherCase) {
    std::string text = ValuesImageBuilder().setByte(5, 0x3C).setWord(472, 0x1234).text();
    text[2 * 6 + 1] = 'a';  // byte 6 written in lower case
    text[2 * 6 + 2] = 'f';
    const ValuesImage image(text);
    EXPECT_EQ(image.ImageByte(5), 0x3C);
    EXPECT_EQ(image.ImageByte(6), 0xAF);
    EXPECT_EQ(image.ImageWord(472), 0x1234);
    EXPECT_EQ(image.ImageByte(1024), std::nullopt);
    EXPECT_EQ(image.ImageByte(-1), std::nullopt);
}

TEST(ValuesImageTest, RpmLabelsKeepLeadingSpacesAndIndicesPastTheTableReadEmpty) {
    const std::string text = ValuesImageBuilder().setRpmLabel(0, "500").setRpmLabel(37, "9750").text();
    const ValuesImage image(text);
    EXPECT_EQ(image.RpmLabel(0), "  500");
    EXPECT_EQ(image.RpmLabel(37), " 9750");
    EXPECT_EQ(image.RpmLabel(38), "");  // would otherwise show checksum digits
    EXPECT_EQ(image.RpmLabel(255), "");
}

TEST(ValuesImageTest, PositionsPastTheEndOfAShortImageReadAsAbsent) {
    const std::string full = ValuesImageBuilder().setByte(998, 0x11).setByte(999, 0x22).setRpmLabel(0, "500").text();
    const std::string shortText = full.substr(0, 2000);  // ends inside byte 999's pair
    const ValuesImage image(shortText);
    EXPECT_EQ(image.ImageByte(998), 0x11);
    EXPECT_EQ(image.ImageByte(999), std::nullopt);
    EXPECT_EQ(image.ImageWord(998), std::nullopt);
    EXPECT_EQ(image.RpmLabel(0), "");
    EXPECT_EQ(image.badPositionOfByte(999), 0);
    EXPECT_EQ(ValuesImage(full.substr(0, 2052)).RpmLabel(0), "  5");
}

TEST(ValuesImageTest, NonHexPairIsUnreadableAndNamesItsFirstBadCharacter) {
    const std::string text = ValuesImageBuilder().setPair(53, "1G").setPair(54, "$1").text();
    const ValuesImage image(text);
    EXPECT_EQ(image.ImageByte(53), std::nullopt);
    EXPECT_EQ(image.badPositionOfByte(53), 109);
    EXPECT_EQ(image.badPositionOfByte(54), 110);
    EXPECT_EQ(image.badPositionOfByte(52), 0);
}

TEST(ValuesImageCheckTest, BinaryBytesAndShortLinesAreNotAnImage) {
    const std::string image = ValuesImageBuilder().text();
    EXPECT_EQ(valuesImageProblem(image), "");
    EXPECT_EQ(valuesImageProblem(image.substr(0, 2000)), "") << "the least the dashboard decodes";
    EXPECT_EQ(valuesImageProblem(image.substr(0, 1999)),
              "line 1 has 1999 characters, a values image has 2243 (at least 2000)");
    EXPECT_EQ(valuesImageProblem(""), "line 1 has 0 characters, a values image has 2243 (at least 2000)");

    std::string tabbed = image;
    tabbed[2100] = '\t';
    EXPECT_EQ(valuesImageProblem(tabbed), "") << "a tab is text";
    std::string deleted = image;
    deleted[2100] = '\x7f';
    EXPECT_EQ(valuesImageProblem(deleted), "it holds binary data (byte 2101 of line 1 is 0x7F)");
    EXPECT_EQ(valuesImageProblem(image + '\r'), "it holds binary data (byte 2244 of line 1 is 0x0D)");
    // Notes are the user's; a NUL in them speaks for binary only when line 1 is no image either.
    EXPECT_EQ(valuesImageProblem(image, {std::string("a\0b", 3)}), "");
    EXPECT_EQ(valuesImageProblem("@(#", {"text", std::string("a\0b", 3)}),
              "it holds binary data (byte 2 of line 3 is 0x00)");
}

}  // namespace
}  // namespace kvr
