// The Config.ini reader: names without regard to case, first occurrence wins, trimmed values cut
// at 2047 characters, integers in decimal or hexadecimal, and files that are not INI text at all.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/ini.h"
#include "test_support.h"

namespace {

IniFile Parsed(std::string_view text) {
  IniFile ini;
  ini.Parse(text);
  return ini;
}

}  // namespace

TEST(IniRead, NamesMatchWithoutRegardToCase) {
  const IniFile ini = Parsed("[Common]\nResourcesPath=Res\\\n[IMAGE12]\nFileName=a.png\n");
  EXPECT_EQ(ini.ReadString("common", "RESOURCESPATH", "x"), "Res\\");
  EXPECT_EQ(ini.ReadString("Image12", "filename", "x"), "a.png");
  EXPECT_TRUE(ini.HasSection("image12"));
  EXPECT_FALSE(ini.HasSection("Image1"));
  // A key of one section is not found in another.
  EXPECT_EQ(ini.ReadString("Image12", "ResourcesPath", "def"), "def");
}

TEST(IniRead, FirstOccurrenceWins) {
  const IniFile ini = Parsed(
      "[Common]\nStages=2\nstages=7\n"
      "[Stage1]\nName=first\n"
      "[common]\nStages=9\nDesignWidth=800\n");
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 2);
  EXPECT_EQ(ini.ReadString("Stage1", "Name", ""), "first");
  // Only the first section of a name is searched, as the profile readers do.
  EXPECT_EQ(ini.ReadInteger("Common", "DesignWidth", 1024), 1024);
}

TEST(IniRead, ValuesAreTrimmedAndCut) {
  const std::string long_value(3000, 'v');
  const IniFile ini = Parsed("[S]\r\n  Key  =  \t spaced value \t \r\nEmpty=\r\nEq=a=b\r\nLong=" + long_value +
                             "\r\nLongPadded=   " + std::string(2046, 'w') + "   x\r\n");
  EXPECT_EQ(ini.ReadString("S", "Key", ""), "spaced value");
  EXPECT_EQ(ini.ReadString("S", "Empty", "def"), "");  // present but empty is not missing
  EXPECT_EQ(ini.ReadString("S", "Eq", ""), "a=b");
  EXPECT_EQ(ini.ReadString("S", "Long", "").size(), 2047u);
  EXPECT_EQ(ini.ReadString("S", "LongPadded", ""), std::string(2046, 'w'));
}

TEST(IniRead, LinesOutsideSectionsAndGarbageAreIgnored) {
  const IniFile none = Parsed("Stages=9\nResourcesPath=X\n");
  EXPECT_EQ(none.ReadInteger("Common", "Stages", 4), 4);
  EXPECT_FALSE(none.HasSection("Common"));

  std::string binary = "\xEF\xBB\xBF[Common]\n";
  binary += std::string("\0\x01\xFF\xFE=\x80\n", 7);
  binary += "no equals sign here\n=novalue\n; Stages=1\n[\n]\n[Common\nStages = 12\n";
  binary += std::string(100000, 'k') + "=" + std::string(100000, 'v') + "\n";
  binary += "[Sound]\nStageDuration=$1F4";  // no newline at the end
  const IniFile ini = Parsed(binary);
  EXPECT_TRUE(ini.Loaded());
  // "[Common" without its bracket still opens section Common (a second one, so it is not searched).
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 4);
  EXPECT_EQ(ini.ReadString(std::string(100000, 'K'), std::string(100000, 'K'), "d"), "d");
  EXPECT_EQ(ini.ReadInteger("Sound", "StageDuration", 1000), 500);
  EXPECT_EQ(ini.ReadString("Common", "", "d"), "d");
}

TEST(IniRead, HugeLinesKeepOnlyTheFirst2047Characters) {
  const IniFile ini = Parsed("[Common]\nResourcesPath=" + std::string(100000, 'r') + "\n");
  EXPECT_EQ(ini.ReadString("Common", "ResourcesPath", ""), std::string(2047, 'r'));
}

TEST(IniRead, IntegersOrTheDefault) {
  const IniFile ini = Parsed(
      "[N]\ndec=42\nneg=-17\nplus=+5\ndollar=$10\nhex=0x10\nHEX=0XfF\nbad=12abc\nfloat=1.5\n"
      "word=four\nblank=\nspaced=  7  \n");
  EXPECT_EQ(ini.ReadInteger("N", "dec", 0), 42);
  EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -17);
  EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 5);
  EXPECT_EQ(ini.ReadInteger("N", "dollar", 0), 16);
  EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("N", "bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "float", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "word", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "blank", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "spaced", -1), 7);  // the value is trimmed first
  EXPECT_EQ(ini.ReadInteger("N", "missing", 33), 33);
}

TEST(IniParseInt, AcceptedForms) {
  EXPECT_EQ(Ini_Parse_Int("0"), 0);
  EXPECT_EQ(Ini_Parse_Int("-0"), 0);
  EXPECT_EQ(Ini_Parse_Int("  \t12"), 12);
  EXPECT_EQ(Ini_Parse_Int("000000000000000000000012"), 12);
  EXPECT_EQ(Ini_Parse_Int("2147483647"), INT32_MAX);
  EXPECT_EQ(Ini_Parse_Int("-2147483648"), INT32_MIN);
  EXPECT_EQ(Ini_Parse_Int("$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(Ini_Parse_Int("$80000000"), INT32_MIN);  // hexadecimal uses all 32 bits
  EXPECT_EQ(Ini_Parse_Int("$FFFFFFFF"), -1);
  EXPECT_EQ(Ini_Parse_Int("0x00000000000000FF"), 255);
  EXPECT_EQ(Ini_Parse_Int("-$10"), -16);
  EXPECT_EQ(Ini_Parse_Int("+0x1a"), 26);
  EXPECT_EQ(Ini_Parse_Int("$00FF00"), 0xFF00);
  EXPECT_EQ(Ini_Parse_Int("$abcdef"), 0xABCDEF);
  EXPECT_EQ(Ini_Parse_Int("0XABCDEF"), 0xABCDEF);
}

TEST(IniParseInt, RejectedForms) {
  for (const char *s : {"", " ", "-", "+", "$", "0x", "0X", "x10", "$-1", "--1", "+-1", "1 ", "1\t", "12a", "1e3",
                        "1.0", "0b101", "$G", "0x1g", "2147483648", "-2147483649", "$100000000",
                        "99999999999999999999", "0x1FFFFFFFF", "one", "\xFF"}) {
    EXPECT_FALSE(Ini_Parse_Int(s).has_value()) << "\"" << s << "\"";
  }
  EXPECT_FALSE(Ini_Parse_Int(std::string_view("1\0" "2", 3)).has_value());
}

TEST(IniFileLoad, MissingUnreadableAndOversizedFilesGiveDefaults) {
  TempDir dir;
  IniFile ini;
  EXPECT_FALSE(ini.Load(dir.path + "nothing.ini"));
  EXPECT_FALSE(ini.Loaded());
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 4);
  // A folder where the file should be.
  EXPECT_FALSE(ini.Load(dir.path));
  EXPECT_EQ(ini.ReadString("Common", "ResourcesPath", "d"), "d");

  dir.Write("Config.ini", "[Common]\r\nStages=3\r\n");
  ASSERT_TRUE(ini.Load(dir.path + "Config.ini"));
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 3);
  // Loading another file forgets the first.
  EXPECT_FALSE(ini.Load(dir.path + "nothing.ini"));
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 4);
  // Something far too big to be a configuration file is not read into memory.
  dir.Write("Big.ini", "[Common]\nStages=3\n" + std::string(5u << 20, ';'));
  EXPECT_FALSE(ini.Load(dir.path + "Big.ini"));
  EXPECT_EQ(ini.ReadInteger("Common", "Stages", 4), 4);
}

namespace {

// text as Notepad's "Unicode" (little endian) or "Unicode big endian" saves it.
std::string Utf16File(std::u16string_view text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : text) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += big_endian ? hi : lo;
    out += big_endian ? lo : hi;
  }
  return out;
}

}  // namespace

TEST(IniRead, FilesWrittenOnWindows) {
  // One pair of matching quotes goes; what they enclose stays as written.
  const IniFile quoted = Parsed(
      "[Stage1]\nName=\"Quoted Stage\"\nPath='Resources\\Level1\\'\nStages=\"5\"\nInner=\"  a 'b' \"\n"
      "Open=\"abc\nMixed='abc\"\nLone=\"\nEmpty=''\nMiddle=a\"b\"\n");
  EXPECT_EQ(quoted.ReadString("Stage1", "Name", ""), "Quoted Stage");
  EXPECT_EQ(quoted.ReadString("Stage1", "Path", ""), "Resources\\Level1\\");
  EXPECT_EQ(quoted.ReadInteger("Stage1", "Stages", 4), 5);
  EXPECT_EQ(quoted.ReadString("Stage1", "Inner", ""), "  a 'b' ");
  EXPECT_EQ(quoted.ReadString("Stage1", "Open", ""), "\"abc");
  EXPECT_EQ(quoted.ReadString("Stage1", "Mixed", ""), "'abc\"");
  EXPECT_EQ(quoted.ReadString("Stage1", "Lone", ""), "\"");
  EXPECT_EQ(quoted.ReadString("Stage1", "Empty", "def"), "");
  EXPECT_EQ(quoted.ReadString("Stage1", "Middle", ""), "a\"b\"");

  // CR alone ends a line, and so does a stray CR inside CR LF text.
  const IniFile cr = Parsed("[Common]\rStages=3\rResourcesPath=R\\\r\n[Stage1]\r\nName=One\rPath=P\r\n");
  EXPECT_EQ(cr.ReadInteger("Common", "Stages", 4), 3);
  EXPECT_EQ(cr.ReadString("Common", "ResourcesPath", ""), "R\\");
  EXPECT_EQ(cr.ReadString("Stage1", "Name", ""), "One");
  EXPECT_EQ(cr.ReadString("Stage1", "Path", ""), "P");

  // UTF-16 with a byte order mark, either byte order, read as UTF-8.
  for (bool big : {false, true}) {
    const IniFile u16 = Parsed(Utf16File(u"[Common]\r\nStages=2\r\n[Stage2]\r\nName=Caf\u00e9 \U0001F600\r\n", big));
    EXPECT_EQ(u16.ReadInteger("Common", "Stages", 4), 2) << big;
    EXPECT_EQ(u16.ReadString("stage2", "name", ""), "Caf\xC3\xA9 \xF0\x9F\x98\x80") << big;
  }
}

TEST(IniDisplayText, Utf8AsItIsAnythingElseAsWindows1252) {
  EXPECT_EQ(Ini_Display_Text("Plain"), "Plain");
  EXPECT_EQ(Ini_Display_Text("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(Ini_Display_Text("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(Ini_Display_Text("\x80 \x9F \xFF"), "\xE2\x82\xAC \xC5\xB8 \xC3\xBF");
  // Overlong forms and encoded surrogates are not UTF-8.
  EXPECT_EQ(Ini_Display_Text("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(Ini_Display_Text("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
}
