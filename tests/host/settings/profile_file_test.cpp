#include "host/profile_file.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/temp_folder.h"

namespace qgu::host {
namespace {

using qgu::testing::ReadBytes;
using qgu::testing::TempFolder;
using qgu::testing::WriteBytes;

TEST(ProfileDocument, FindsSectionsAndKeysLikeTheWindowsProfileFunctions) {
  const ProfileDocument profile = ProfileDocument::Parse(
      "Loose=before any section\n"
      "[General]\r\n"
      "; Zoom=9 is a comment\r\n"
      "  zoom =  3  \r\n"
      "Zoom=4\r\n"
      "Name=\"Quoted Value\"\r\n"
      "Half='open\r\n"
      "[ sound ]\n"
      "Rate=22050\n"
      "[General]\n"
      "Late=1\n");
  EXPECT_EQ(profile.Value("general", "ZOOM"), "3") << "names ignore case, first match wins";
  EXPECT_EQ(profile.Value("General", "Name"), "Quoted Value");
  EXPECT_EQ(profile.Value("General", "Half"), "'open");
  EXPECT_EQ(profile.Value("Sound", "Rate"), "22050");
  EXPECT_EQ(profile.Value("General", "Late"), std::nullopt) << "only the first section of a name is read";
  EXPECT_EQ(profile.Value("General", "Loose"), std::nullopt);
  EXPECT_EQ(profile.Value("Missing", "Zoom"), std::nullopt);
}

TEST(ProfileDocument, IntegersAndTextsFallBackToTheDefault) {
  const ProfileDocument profile = ProfileDocument::Parse(
      "[S]\nneg=-5\nspaced= 42 \nword=abc\nlead=12px\nhuge=99999999999\nempty=\nlong=" + std::string(259, 'x') +
      "\ntoolong=" + std::string(260, 'y') + "\n");
  const std::pair<const char*, int> integers[] = {{"neg", -5}, {"spaced", 42}, {"word", 7},
                                                  {"lead", 12}, {"huge", 2147483647}, {"missing", 7}};
  for (const auto& [key, value] : integers) EXPECT_EQ(profile.ReadInt("S", key, 7), value) << key;
  EXPECT_EQ(profile.ReadInt("T", "neg", 7), 7);

  std::string text = "unchanged";
  EXPECT_FALSE(profile.ReadText("S", "empty", text, 260));
  EXPECT_FALSE(profile.ReadText("S", "toolong", text, 260));
  EXPECT_FALSE(profile.ReadText("S", "missing", text, 260));
  EXPECT_EQ(text, "unchanged");
  EXPECT_TRUE(profile.ReadText("S", "long", text, 260));
  EXPECT_EQ(text.size(), 259u);
}

TEST(ProfileDocument, StructsNeedTheRightSizeAndChecksum) {
  const uint8_t data[] = {0x01, 0xAB, 0xFF};
  EXPECT_EQ(EncodeProfileStruct(data), "01ABFFAB");  // 0x01 + 0xAB + 0xFF = 0x1AB
  EXPECT_EQ(EncodeProfileStruct({}), "00");

  ProfileDocument profile;
  profile.WriteStruct("S", "good", data);
  profile.SetValue("S", "lower", "01abffab");
  profile.SetValue("S", "badsum", "01ABFFAC");
  profile.SetValue("S", "notHex", "01ABFGAB");
  std::array<uint8_t, 3> read{};
  EXPECT_TRUE(profile.ReadStruct("S", "good", read));
  EXPECT_EQ(read, (std::array<uint8_t, 3>{0x01, 0xAB, 0xFF}));
  EXPECT_TRUE(profile.ReadStruct("S", "lower", read));

  std::array<uint8_t, 3> untouched = {9, 9, 9};
  EXPECT_FALSE(profile.ReadStruct("S", "badsum", untouched));
  EXPECT_FALSE(profile.ReadStruct("S", "notHex", untouched));
  EXPECT_FALSE(profile.ReadStruct("S", "missing", untouched));
  std::array<uint8_t, 2> shorter{};
  std::array<uint8_t, 4> longer{};
  EXPECT_FALSE(profile.ReadStruct("S", "good", shorter));
  EXPECT_FALSE(profile.ReadStruct("S", "good", longer));
  EXPECT_EQ(untouched, (std::array<uint8_t, 3>{9, 9, 9}));
}

TEST(ProfileDocument, WritingAKeyKeepsTheRestOfTheFile) {
  ProfileDocument profile = ProfileDocument::Parse(
      "; settings kept by hand\n"
      "[General]\n"
      "Zoom=1\n"
      "Custom=keep me\n"
      "\n"
      "[Other]\n"
      "X=1\n");
  profile.WriteInt("general", "zoom", 2);
  profile.WriteInt("General", "NewKey", -3);
  profile.WriteInt("Fresh", "A", 5);
  EXPECT_EQ(profile.Serialize(),
            "; settings kept by hand\r\n"
            "[General]\r\n"
            "Zoom=2\r\n"
            "Custom=keep me\r\n"
            "NewKey=-3\r\n"
            "\r\n"
            "[Other]\r\n"
            "X=1\r\n"
            "[Fresh]\r\n"
            "A=5\r\n");
  EXPECT_FALSE(profile.WriteText("General", "Name", "two\nlines").ok());
  for (const char* text : {" padded ", "\"quoted\"", "'single'", "\"", "plain"}) {
    ASSERT_TRUE(profile.WriteText("Texts", "T", text).ok());
    std::string read;
    EXPECT_TRUE(profile.ReadText("Texts", "T", read, 260));
    EXPECT_EQ(read, text) << "a text reads back as written";
  }
  EXPECT_EQ(profile.Value("General", "Name"), std::nullopt);
}

TEST(ProfileFile, SelectThenReadAndWriteTheFileOnDisk) {
  TempFolder folder;
  ProfileFile profile;
  profile.Select(folder / "test.ini");
  EXPECT_EQ(profile.ReadInt("S", "K", 11), 11) << "a missing file reads as empty";
  ASSERT_TRUE(profile.WriteInt("S", "K", 12).ok());
  ASSERT_TRUE(profile.WriteText("S", "T", "text").ok());
  const uint8_t data[] = {1, 2};
  ASSERT_TRUE(profile.WriteStruct("S", "B", data).ok());
  EXPECT_EQ(ReadBytes(folder / "test.ini"), "[S]\r\nK=12\r\nT=text\r\nB=010203\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "test.ini.tmp"));

  WriteBytes(folder / "other.ini", "[S]\nK=99\n");
  profile.Select(folder / "other.ini");
  EXPECT_EQ(profile.ReadInt("S", "K", 0), 99);
  std::string text;
  EXPECT_FALSE(profile.ReadText("S", "T", text, 260));

  profile.Select(folder / "no such folder" / "x.ini");
  EXPECT_FALSE(profile.WriteInt("S", "K", 1).ok());
}

}  // namespace
}  // namespace qgu::host
