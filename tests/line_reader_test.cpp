// SPDX-License-Identifier: Apache-2.0
// Cutting a byte stream into text lines, from a regular file and from a pipe
// that hands the same bytes over in small pieces.
#include "textio/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/unit_support.h"

namespace {

using Lines = std::vector<std::string>;

struct LineCase {
  std::string name;
  std::string input;
  Lines expected;
};

// Every line up to the end; once ended, the reader stays at the end.
Lines read_lines(platform::Handle h) {
  LineReader r;
  r.handle = h;
  Lines lines;
  std::string_view line;
  NoLine why = NoLine::read_error;
  platform::ErrorCode error;
  while (next_line(r, &line, &why, &error)) lines.emplace_back(line);
  EXPECT_EQ(why, NoLine::end);
  EXPECT_EQ(r.lines, lines.size()) << "lines counted; a Ctrl-Z line is none";
  why = NoLine::read_error;
  EXPECT_FALSE(next_line(r, &line, &why, &error)) << "a line after the end";
  EXPECT_EQ(why, NoLine::end);
  release_reader(r);
  return lines;
}

Lines read_from_file(const std::string& input) {
  ScratchFile file(input);
  return read_lines(file.handle());
}

// The writer thread hands the bytes over in pieces, each read before the
// next is written, so the reader sees many short reads before the end.
Lines read_from_pipe(const std::string& input) {
  Pipe pipe = piece_pipe();
  size_t piece = std::max<size_t>(1, input.size() / 40);
  std::thread writer([&] {
    for (size_t at = 0; at < input.size(); at += piece) {
      if (hand_over(pipe, input.substr(at, piece))) continue;
      ADD_FAILURE() << "the piece at " << at << " was not taken";
      break;
    }
    platform::ErrorCode error;
    platform::close_handle(pipe.write, &error);
    pipe.write = platform::kNoHandle;
  });
  Lines lines = read_lines(pipe.read);
  // Drain what follows an early end so the writer never meets a closed pipe.
  char sink[4096];
  size_t got;
  platform::ErrorCode error;
  while (platform::read_some(pipe.read, sink, sizeof sink, &got, &error) && got > 0) {
  }
  writer.join();
  close_pipe(pipe);
  return lines;
}

// Lines of 99 characters and a final line without terminator, `total` bytes.
LineCase final_line_at_size(size_t total) {
  LineCase c{"UnterminatedFinalLineFileSize" + std::to_string(total), "", {}};
  for (char ch = 'a'; total - c.input.size() > 100; ch = ch == 'z' ? 'a' : ch + 1) {
    c.expected.emplace_back(99, ch);
    c.input += c.expected.back() + "\n";
  }
  c.expected.emplace_back(total - c.input.size(), 'Z');
  c.input += c.expected.back();
  return c;
}

// One line of `n` bytes without terminator, then nothing.
LineCase single_line(size_t n) {
  std::string line(n, 'q');
  line[0] = 'A';
  line[n - 1] = 'B';
  return {"SingleUnterminatedLine" + std::to_string(n), line, {line}};
}

std::vector<LineCase> line_cases() {
  std::string big(100000, 'x');
  for (size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>('a' + i % 26);
  std::string exact(8192, 'e');
  std::vector<LineCase> cases = {
      {"LfEnds", "ab\ncd\n", {"ab", "cd"}},
      {"CrLfEndsReadLikeLf", "ab\r\ncd\r\n", {"ab", "cd"}},
      {"MixedEnds", "ab\r\ncd\nef\r\n", {"ab", "cd", "ef"}},
      {"LoneCrStaysInLine", "a\rb\nc\n", {"a\rb", "c"}},
      {"CrOnlyEndsAreOneLine", "l1\rl2\rl3", {"l1\rl2\rl3"}},
      {"CrOnlyEndsFinalCrIsTerminator", "l1\rl2\rl3\r", {"l1\rl2\rl3"}},
      {"CrCrLfKeepsOneCr", "a\r\r\nb\r\r\n", {"a\r", "b\r"}},
      {"FinalLineWithoutTerminator", "ab\ncd", {"ab", "cd"}},
      {"FinalLineWithoutTerminatorEndsInCr", "ab\ncd\r", {"ab", "cd"}},
      {"EmptyInput", "", {}},
      {"EmptyLines", "\n\r\nx\n\n", {"", "", "x", ""}},
      {"OnlyCr", "\r", {""}},
      {"CtrlZLineEndsInput", "a\n\x1a\nb\n", {"a"}},
      {"CtrlZLineWithCrLfEndsInput", "a\r\n\x1a\r\nb\r\n", {"a"}},
      {"CtrlZAtEndWithoutTerminator", "a\n\x1a", {"a"}},
      {"CtrlZFirstLine", "\x1a\nfoo\n", {}},
      {"CtrlZAfterTextIsOrdinary", "A\x1a\nB\n", {"A\x1a", "B"}},
      {"CtrlZBeforeTextIsOrdinary", "\x1a" "A\n", {"\x1a" "A"}},
      {"TwoCtrlZIsOrdinary", "\x1a\x1a\n", {"\x1a\x1a"}},
      {"CtrlZThenCrCrIsOrdinary", "\x1a\r\r\nx\n", {"\x1a\r", "x"}},
      {"NulTabCommaHighBytesUnchanged", std::string("a\0b\tc,\xff\n\0\n", 10),
       {std::string("a\0b\tc,\xff", 7), std::string("\0", 1)}},
      {"HundredThousandByteLine", "s\n" + big + "\r\nt", {"s", big, "t"}},
      {"LineFillingFirstBufferThenMore", exact + "\nnext\n", {exact, "next"}},
      {"LfExactlyAtBufferEnd", exact.substr(1) + "\nnext", {exact.substr(1), "next"}},
      single_line(8192),
      single_line(16384),
      single_line(8191),
      single_line(8193),
  };
  for (size_t size : {8191, 8192, 8193, 16384}) cases.push_back(final_line_at_size(size));
  return cases;
}

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LineReading : public testing::TestWithParam<LineCase> {};

TEST_P(LineReading, FromRegularFile) { EXPECT_EQ(read_from_file(GetParam().input), GetParam().expected); }

TEST_P(LineReading, FromPipeInSmallPieces) { EXPECT_EQ(read_from_pipe(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Inputs, LineReading, testing::ValuesIn(line_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(LineReader, ReadErrorIsReported) {
  ScratchFile write_only("text\n", true);
  char byte;
  size_t got;
  platform::ErrorCode refused = 0, error = 0;
  ASSERT_FALSE(platform::read_some(write_only.handle(), &byte, 1, &got, &refused));
  LineReader r;
  r.handle = write_only.handle();
  std::string_view line;
  NoLine why = NoLine::end;
  EXPECT_FALSE(next_line(r, &line, &why, &error));
  EXPECT_EQ(why, NoLine::read_error);
  EXPECT_EQ(error, refused);
  release_reader(r);
}

}  // namespace
