// Tests of the PE header reading: where a certificate table lies, where the
// script data ends, and that malformed or cut headers never lead out of the bytes.
#include <gtest/gtest.h>

#include <string>

#include "script/pe_file.h"
#include "tests/unit/fake_pe.h"

namespace {

using fake_pe::Bytes;

// Copies into a buffer of exactly the file's size, so that the sanitizers
// catch any read past its end.
struct Exact {
  explicit Exact(const Bytes& b) : bytes(b) {}
  const unsigned char* data() const { return bytes.empty() ? NULL : &bytes[0]; }
  Bytes bytes;
};

bool Find(const Bytes& file, script::CertificateTable* table) {
  Exact copy(file);
  return script::FindCertificateTable(copy.data(), copy.bytes.size(), table);
}

size_t End(const Bytes& file) {
  Exact copy(file);
  return script::ScriptDataEnd(copy.data(), copy.bytes.size());
}

TEST(PeFile, FindsTheTableASigningToolAppends) {
  for (int plus = 0; plus < 2; ++plus) {
    Bytes image = fake_pe::Image(plus != 0);
    Bytes file = fake_pe::Signed(image);
    script::CertificateTable table;
    ASSERT_TRUE(Find(file, &table)) << plus;
    EXPECT_EQ(plus ? fake_pe::kEntry64 : fake_pe::kEntry32, table.entry);
    EXPECT_EQ((image.size() + 7) / 8 * 8, table.offset);
    EXPECT_EQ(file.size(), table.offset + table.size);
    EXPECT_TRUE(table.at_end);
    EXPECT_EQ(table.offset, End(file));

    EXPECT_FALSE(Find(image, &table));  // an empty entry: not signed
    EXPECT_EQ(image.size(), End(image));
  }
}

TEST(PeFile, TheTableMustEndTheFile) {
  Bytes file = fake_pe::Signed(fake_pe::Image());
  size_t offset = End(file);
  script::CertificateTable table;

  Bytes padded(file);
  padded.resize(file.size() + 7, 0);  // up to 7 zero bytes may trail it
  EXPECT_EQ(offset, End(padded));
  padded.push_back(0);  // 8 do not
  EXPECT_EQ(padded.size(), End(padded));

  Bytes appended(file);  // a script appended after signing is read to the end
  appended.push_back('x');
  EXPECT_TRUE(Find(appended, &table));
  EXPECT_FALSE(table.at_end);
  EXPECT_EQ(appended.size(), End(appended));

  Bytes cut(file.begin(), file.end() - 8);  // the table runs past the end
  EXPECT_TRUE(Find(cut, &table));
  EXPECT_FALSE(table.at_end);
  EXPECT_EQ(cut.size(), End(cut));
}

// WIN_CERTIFICATE revisions 1.0 and 2.0 are tables a signing tool writes; a
// table of any other revision is not taken for one, and the script runs to
// the end of the file. (The field is little-endian: 0x0001 is not 1.0.)
TEST(PeFile, OnlyCertificateRevisionsOneAndTwoAreTables) {
  Bytes file = fake_pe::Signed(fake_pe::Image());
  size_t offset = End(file);
  const struct {
    unsigned long revision;
    bool table;
  } rows[] = {{0x0100, true},  {0x0200, true},  {0x0000, false}, {0x0001, false},
              {0x0002, false}, {0x0101, false}, {0x0180, false}, {0x01FF, false},
              {0x0201, false}, {0x0300, false}, {0xFFFF, false}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    Bytes b(file);
    fake_pe::Put16(&b, offset + 4, rows[i].revision);
    script::CertificateTable table;
    ASSERT_TRUE(Find(b, &table)) << std::hex << rows[i].revision;
    EXPECT_EQ(rows[i].table, table.at_end) << std::hex << rows[i].revision;
    EXPECT_EQ(rows[i].table ? offset : b.size(), End(b)) << std::hex << rows[i].revision;
  }
}

TEST(PeFile, ImplausibleTablesAreNotSkipped) {
  Bytes file = fake_pe::Signed(fake_pe::Image());
  size_t offset = End(file);
  size_t entry = fake_pe::kEntry32;

  Bytes b(file);
  fake_pe::Put32(&b, offset, b.size());  // its length exceeds the table
  EXPECT_EQ(b.size(), End(b));
  b = file;
  fake_pe::Put32(&b, offset, 4);  // shorter than its own header
  EXPECT_EQ(b.size(), End(b));
  b = file;
  fake_pe::Put32(&b, entry, 0x40);  // a table inside the headers
  fake_pe::Put32(&b, entry + 4, b.size() - 0x40);
  EXPECT_EQ(b.size(), End(b));
  b = file;
  fake_pe::Put32(&b, entry, 0xFFFFFFF8);  // offset and size that overflow when added
  fake_pe::Put32(&b, entry + 4, 0x10);
  EXPECT_EQ(b.size(), End(b));
}

TEST(PeFile, MalformedHeadersMeanNoTable) {
  Bytes file = fake_pe::Signed(fake_pe::Image());
  script::CertificateTable table;
  struct Spoil {
    size_t at;
    unsigned long value;
    int width;
    const char* what;
  } spoils[] = {
      {0, 'X', 1, "no MZ"},
      {0x3C, 0xFFFFFFFF, 4, "e_lfanew far past the end"},
      {0x3C, static_cast<unsigned long>(file.size() - 10), 4, "e_lfanew near the end"},
      {fake_pe::kPeOffset + 2, 'X', 1, "no PE signature"},
      {fake_pe::kOptional, 0x107, 2, "unknown optional header magic"},
      {fake_pe::kOptional + 92, 4, 4, "only four data directories"},
      {fake_pe::kPeOffset + 4 + 16, 96 + 4 * 8 + 7, 2, "optional header ends inside entry 4"},
  };
  for (size_t i = 0; i < sizeof spoils / sizeof spoils[0]; ++i) {
    Bytes b(file);
    if (spoils[i].width == 1) b[spoils[i].at] = static_cast<unsigned char>(spoils[i].value);
    if (spoils[i].width == 2) fake_pe::Put16(&b, spoils[i].at, spoils[i].value);
    if (spoils[i].width == 4) fake_pe::Put32(&b, spoils[i].at, spoils[i].value);
    EXPECT_FALSE(Find(b, &table)) << spoils[i].what;
    EXPECT_EQ(b.size(), End(b)) << spoils[i].what;
  }
  EXPECT_EQ(0u, End(Bytes()));
  EXPECT_FALSE(script::FindCertificateTable(NULL, 0, &table));
}

// Every cut of a signed file, and every single byte of its headers set to
// each of a few values, must read only inside the bytes (the sanitizer build
// checks) and name an end inside them.
TEST(PeFile, TruncatedAndMutatedHeadersStayInBounds) {
  for (int plus = 0; plus < 2; ++plus) {
    Bytes file = fake_pe::Signed(fake_pe::Image(plus != 0), 40);
    for (size_t n = 0; n <= file.size(); ++n) {
      Bytes cut(file.begin(), file.begin() + n);
      EXPECT_LE(End(cut), n);
    }
    const unsigned char values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    for (size_t at = 0; at < 0x200; ++at) {
      for (size_t v = 0; v < sizeof values; ++v) {
        Bytes b(file);
        b[at] = values[v];
        size_t end = End(b);
        EXPECT_TRUE(end == b.size() || end == End(file)) << at << " " << v;
      }
    }
  }
}

}  // namespace
