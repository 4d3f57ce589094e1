#include <gtest/gtest.h>

#include "ini.h"

namespace {

using control::IniText;

TEST(IniText, UnchangedTextIsKeptByteForByte) {
  const std::string cases[] = {
      "",
      "[A]\r\nx=1\r\n",
      "; comment\n[A]\nx = 1 \n\n  junk line\n[B]\r\ny=2",
      "\xEF\xBB\xBF[A]\rk=v\r",
  };
  for (const auto& text : cases) {
    IniText ini(text);
    EXPECT_EQ(ini.Text(), text);
  }
}

TEST(IniText, SettingTheSameValueLeavesTheLineAlone) {
  IniText ini("[A]\r\nKey =  v  \r\n");
  ini.Set("a", "KEY", "v");
  EXPECT_EQ(ini.Text(), "[A]\r\nKey =  v  \r\n");
}

TEST(IniText, GetMatchesSectionAndKeyWithoutCaseAndTrimsBlanks) {
  IniText ini("[Common]\nEditor =  notepad.exe \n[Other]\nEditor=x\n");
  EXPECT_EQ(ini.Get("COMMON", "editor"), "notepad.exe");
  EXPECT_EQ(ini.Get("other", "Editor"), "x");
  EXPECT_FALSE(ini.Get("Common", "Browser"));
  EXPECT_FALSE(ini.Get("Missing", "Editor"));
}

TEST(IniText, ChangedValueIsReplacedInPlace) {
  IniText ini("[A]\nx=1\ny=2\n");
  ini.Set("A", "x", "9");
  EXPECT_EQ(ini.Text(), "[A]\nx=9\ny=2\n");
}

TEST(IniText, NewKeyGoesAfterTheLastLineOfItsSection) {
  IniText ini("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.Set("A", "z", "3");
  EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(IniText, NewSectionGoesToTheEndWithTheFilesLineEnding) {
  IniText ini("[A]\nx=1");
  ini.Set("B", "y", "2");
  EXPECT_EQ(ini.Text(), "[A]\nx=1\n[B]\ny=2\n");
  IniText empty("");
  empty.Set("C", "k", "");
  EXPECT_EQ(empty.Text(), "[C]\r\nk=\r\n");
}

TEST(IniText, ValueMayContainEqualsSigns) {
  IniText ini("[A]\nx=a=b\n");
  EXPECT_EQ(ini.Get("A", "x"), "a=b");
}

}  // namespace
