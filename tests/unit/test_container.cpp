// Tests of the container codec and the search for the marker line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "script/container.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Marker() { return std::string(script::kContainerMarker, script::kContainerMarkerLen); }

// The offset the scramble adds at position c, recovered from encoding a zero byte.
int MixAt(int c) {
  unsigned char e = script::EncodeByte(0, static_cast<unsigned char>(c));
  return static_cast<unsigned char>((e ^ c) - c);
}

TEST(Codec, MixValuesMatchTheFormat) {
  for (int c = 0; c <= 3; ++c) EXPECT_EQ(0, MixAt(c)) << c;
  EXPECT_EQ(1, MixAt(4));
  EXPECT_EQ(4, MixAt(8));
  EXPECT_EQ(12, MixAt(12));
  EXPECT_EQ(20, MixAt(16));
  EXPECT_EQ(57, MixAt(100));
  EXPECT_EQ(228, MixAt(200));
  EXPECT_EQ(235, MixAt(255));
  // One byte worked by hand: p = 'A' (65) at c = 100: (65 + 100 + 57) mod 256 = 222, xor 100.
  EXPECT_EQ(222 ^ 100, script::EncodeByte('A', 100));
}

TEST(Codec, DecodeUndoesEncodeForEveryByteAndPosition) {
  for (int c = 0; c < 256; ++c)
    for (int p = 0; p < 256; ++p)
      ASSERT_EQ(p, script::DecodeByte(script::EncodeByte(static_cast<unsigned char>(p),
                                                         static_cast<unsigned char>(c)),
                                      static_cast<unsigned char>(c)));
  Bytes text;
  for (int i = 0; i < 1000; ++i) text.push_back(static_cast<unsigned char>(i * 7 + 3));
  Bytes work(text);
  script::EncodeBytes(&work[0], work.size());
  EXPECT_NE(text, work);
  script::DecodeBytes(&work[0], work.size());
  EXPECT_EQ(text, work);
}

TEST(Codec, SameLineEncodesDifferentlyAtDifferentPositionsAndRepeatsAfter256) {
  std::string line = "Send, hello{enter}\n";  // 19 bytes
  Bytes text;
  for (int i = 0; i < 300; ++i) text.insert(text.end(), line.begin(), line.end());
  script::EncodeBytes(&text[0], text.size());
  Bytes first(text.begin(), text.begin() + 19);
  Bytes second(text.begin() + 19, text.begin() + 38);
  EXPECT_NE(first, second);
  // The counter wraps: 256 lines of 19 bytes later the position is the same again.
  Bytes again(text.begin() + 256 * 19, text.begin() + 257 * 19);
  EXPECT_EQ(first, again);
}

TEST(Container, RunnerCopyOfTheMarkerNeverStartsALine) {
  EXPECT_EQ(">>> Start of encoded Kestro script <<<", Marker());
  EXPECT_EQ(38u, strlen(script::kContainerMarker));
  EXPECT_NE('\n', script::kContainerMarker[-1]);
}

TEST(Container, FindsMarkerLineAndIgnoredLine) {
  Bytes data = B("MZ image\n" + Marker() + "\nignored text\nSCRIPT");
  script::ContainerInfo info;
  ASSERT_TRUE(script::FindContainer(&data[0], data.size(), &info));
  EXPECT_EQ(9u, info.marker);
  EXPECT_EQ(48u, info.ignored);
  EXPECT_EQ(12u, info.ignored_len);
  EXPECT_EQ(data.size() - 6, info.script);

  // At the very start of the data; the first of two markers counts.
  data = B(Marker() + "\n\n" + Marker() + "\n");
  ASSERT_TRUE(script::FindContainer(&data[0], data.size(), &info));
  EXPECT_EQ(0u, info.marker);
  EXPECT_EQ(0u, info.ignored_len);
  EXPECT_EQ(40u, info.script);

  // Nothing after the marker line, or an ignored line without line feed.
  data = B("x\n" + Marker() + "\n");
  ASSERT_TRUE(script::FindContainer(&data[0], data.size(), &info));
  EXPECT_EQ(data.size(), info.script);
  data = B("x\n" + Marker() + "\nignored");
  ASSERT_TRUE(script::FindContainer(&data[0], data.size(), &info));
  EXPECT_EQ(7u, info.ignored_len);
  EXPECT_EQ(data.size(), info.script);
}

TEST(Container, RejectsLookalikeMarkerLines) {
  const std::string lower = ">>> start of encoded kestro script <<<";
  const char* cases[] = {"",  // no data at all
                         "\r\n",
                         "x\n>>> Start of encoded Kestro script <<<\r\nign\nS",  // CR before LF
                         "x>>> Start of encoded Kestro script <<<\nign\nS",     // not at line start
                         "x\n>>> Start of encoded Kestro script <<< \nign\nS",  // trailing blank
                         "x\n>>> Start of encoded Kestro script <<<"};         // no line feed
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    Bytes data = B(cases[i]);
    script::ContainerInfo info;
    EXPECT_FALSE(script::FindContainer(data.empty() ? NULL : &data[0], data.size(), &info)) << i;
  }
  Bytes data = B("x\n" + lower + "\nign\n");
  script::ContainerInfo info;
  EXPECT_FALSE(script::FindContainer(&data[0], data.size(), &info));
}

}  // namespace
