// How SICE files are decoded: by their mark, by the UTF-8 rule, or byte for
// byte as Windows-1252; what each character becomes; and that the line
// rules see the decoded text.
#include "data/sice_encoding.h"

#include <gtest/gtest.h>

#include "data/sice_text.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;
  SiceEncoding encoding;
  std::string text;  // Windows-1252
  uint64_t replaced;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class Decoding : public ::testing::TestWithParam<DecodeCase> {};

std::string Decoded(const std::string& path, size_t chunk, FileDecoding& decoding) {
  SiceStream stream(fs::Current().OpenRead(path), path, &decoding);
  std::string text, buffer(chunk, '\0');
  for (size_t n; (n = stream.Read(buffer.data(), chunk)) > 0;) text.append(buffer.data(), n);
  return text;
}

TEST_P(Decoding, GivesWindows1252WhateverTheReadSize) {
  const DecodeCase& c = GetParam();
  test::TempDir dir;
  test::WriteFile(dir.File("f.txt"), c.bytes);
  // The reader's reads and the file's (a file may hand out fewer bytes
  // than asked for) of any size.
  test::FaultyFileSystem files;
  fs::ScopedFileSystem scope(files);
  for (size_t fileChunk : {size_t{0}, size_t{1}}) {
    files.SetReadChunk(fileChunk);
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{1} << 16}) {
      SCOPED_TRACE(std::to_string(fileChunk) + " " + std::to_string(chunk));
      FileDecoding decoding;
      EXPECT_EQ(Decoded(dir.File("f.txt"), chunk, decoding), c.text);
      EXPECT_EQ(decoding.encoding, c.encoding);
      EXPECT_EQ(decoding.replacedCount, c.replaced);
    }
  }
}

const std::string kAscii(70000, 'a');  // past the first read of 64 KiB

INSTANTIATE_TEST_SUITE_P(
    Files, Decoding,
    ::testing::Values(
        DecodeCase{"empty", "", SiceEncoding::kWindows1252, "", 0},
        DecodeCase{"ascii", "0SICE\r\n1A\r\n", SiceEncoding::kWindows1252, "0SICE\r\n1A\r\n", 0},
        DecodeCase{"cp1252",
                   "1GARC\xCD"
                   "A \x80\x9F",
                   SiceEncoding::kWindows1252,
                   "1GARC\xCD"
                   "A \x80\x9F",
                   0},
        // A well-formed start does not make the file UTF-8: every byte counts.
        DecodeCase{"utf8 start, cp1252 later", "\xC3\xA1" + kAscii + "\xE1",
                   SiceEncoding::kWindows1252, "\xC3\xA1" + kAscii + "\xE1", 0},
        DecodeCase{"utf8",
                   "1GARC\xC3\x8D"
                   "A \xE2\x82\xAC",
                   SiceEncoding::kUtf8,
                   "1GARC\xCD"
                   "A \x80",
                   0},
        DecodeCase{"utf8 across reads", kAscii + "\xC3\xB1", SiceEncoding::kUtf8, kAscii + "\xF1",
                   0},
        DecodeCase{"utf8 surrogate is no utf8", "\xED\xA0\x80", SiceEncoding::kWindows1252,
                   "\xED\xA0\x80", 0},
        DecodeCase{"utf8 mark",
                   "\xEF\xBB\xBF"
                   "0S\xC3\xB1",
                   SiceEncoding::kUtf8Mark, "0S\xF1", 0},
        DecodeCase{"utf8 mark only", "\xEF\xBB\xBF", SiceEncoding::kUtf8Mark, "", 0},
        DecodeCase{"utf8 mark, bad bytes",
                   "\xEF\xBB\xBF"
                   "a\xE2\x82"
                   "b\xFF",
                   SiceEncoding::kUtf8Mark, "a?b?", 2},
        DecodeCase{"base letters", "\xC8\x98\xC8\x9B\xC4\x83\xC5\x82\xC5\x91\xE4\xB8\xAD",
                   SiceEncoding::kUtf8, "Stalo?", 6},
        DecodeCase{"utf16 le",
                   std::string("\xFF\xFE"
                               "1\0\xD1\0\n\0",
                               8),
                   SiceEncoding::kUtf16LeMark, "1\xD1\n", 0},
        DecodeCase{"utf16 be",
                   std::string("\xFE\xFF\0"
                               "1\0\xD1\x20\xAC",
                               8),
                   SiceEncoding::kUtf16BeMark, "1\xD1\x80", 0},
        DecodeCase{"utf16 pair, lone surrogates, odd byte",
                   std::string("\xFF\xFE\x3D\xD8\x00\xDE"
                               "a\0\x00\xD8"
                               "b\0\x00\xDC"
                               "c",
                               15),
                   SiceEncoding::kUtf16LeMark, "?a?b??", 4}));

TEST(DecodingNotes, EachReplacementWithItsLine) {
  test::TempDir dir;
  test::WriteFile(dir.File("f.txt"), "1Ana\r\n1\xC8\x98tefan\r\n\r\n1\xE4\xB8\xAD");
  FileDecoding decoding;
  EXPECT_EQ(Decoded(dir.File("f.txt"), 1 << 16, decoding), "1Ana\r\n1Stefan\r\n\r\n1?");
  ASSERT_EQ(decoding.replaced.size(), 2u);
  EXPECT_EQ(decoding.replaced[0].line, 2u);
  EXPECT_EQ(decoding.replaced[0].character, U'\u0218');
  EXPECT_EQ(decoding.replaced[0].became, 'S');
  EXPECT_EQ(decoding.replaced[1].line, 4u);
  EXPECT_EQ(decoding.replaced[1].became, '?');
}

TEST(DecodingNotes, LineRulesSeeTheDecodedText) {
  test::TempDir dir;
  // UTF-16: a Ctrl-Z ends LectorLineas' text and the mark is no part of
  // the first line; CR LF ends lines for both readers.
  std::u16string units =
      u"0SICE\r\n1AB\r\n\x1a"
      u"1C";
  std::string bytes = "\xFF\xFE";
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  test::WriteFile(dir.File("f.txt"), bytes);
  LectorLineas reader;
  FileDecoding decoding;
  reader.Open(dir.File("f.txt"), &decoding);
  std::vector<std::string> lines;
  while (!reader.AtEnd()) lines.emplace_back(reader.ReadLineView());
  reader.Close();
  EXPECT_EQ(lines, (std::vector<std::string>{"0SICE", "1AB"}));
  EXPECT_EQ(decoding.encoding, SiceEncoding::kUtf16LeMark);
  EXPECT_EQ(CargarLineas(dir.File("f.txt")), (std::vector<std::string>{"0SICE", "1AB",
                                                                       "\x1a"
                                                                       "1C"}));
}

}  // namespace
}  // namespace tos
