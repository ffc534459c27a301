// How a caller's message becomes a record: header, text, call site, line end.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "utils/log_format.h"
#include "utils/log_manager.h"
#include "utils/log_printf.h"
#include "utils/tests/log_fakes.h"

namespace logq {
namespace {

using testing::FakeClock;
using testing::FakeConsole;
using testing::kMarch2At0905;

class LogRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager.setOutFile(kMainLoggerId, false);  // console only
    ASSERT_TRUE(manager.start());
  }
  void TearDown() override { clock.setManual(false); }
  // Everything submitted so far has reached the console once stop() returns.
  std::string printed() {
    manager.stop();
    return console.all();
  }

  FakeClock clock{kMarch2At0905};
  FakeConsole console;
  LogManager manager{testing::fakeEnvironment(clock, console)};
};

// The documented example, byte for byte: two blanks after the nine-character
// tag, the base name of the source file and the line, then CR LF.
TEST_F(LogRecordTest, ExampleRecordBytes) {
  ASSERT_TRUE(logFormat(manager, kMainLoggerId, LOG_WARN, "src\\app/main", 42, "disk %s", "full"));
  EXPECT_NE(printed().find("2024-03-02 09:05:03.007 LOG_WARN  disk full main:42\r\n"), std::string::npos);
}

// A file argument without separators is appended whole; an empty one still
// gives the blank, the colon and the line; no file appends nothing.
TEST_F(LogRecordTest, SourceFileForms) {
  logFormat(manager, kMainLoggerId, LOG_ERROR, "main", 1, "a");
  logFormat(manager, kMainLoggerId, LOG_ERROR, "", 2, "b");
  logFormat(manager, kMainLoggerId, LOG_ERROR, nullptr, 3, "c");
  const std::string text = printed();
  EXPECT_NE(text.find("LOG_ERROR a main:1\r\n"), std::string::npos);
  EXPECT_NE(text.find("LOG_ERROR b :2\r\n"), std::string::npos);
  EXPECT_NE(text.find("LOG_ERROR c\r\n"), std::string::npos);
}

// A text longer than the space left is cut, and the record still ends with
// CR LF inside the 8192 bytes, with length 8191.
TEST_F(LogRecordTest, OverlongTextEndsInsideTheBuffer) {
  clock.setManual(true);
  clock.advancePoll();  // the writer sleeps and will not take the record away while we look
  LogRecord* record = manager.makeRecord(kMainLoggerId, LOG_ERROR);
  appendFormat(*record, "%s", std::string(9000, 'x').c_str());
  EXPECT_EQ(record->length, kContentSize);
  ASSERT_TRUE(manager.submitRecord(record, "main", 7));
  EXPECT_EQ(record->length, 8191);  // still ours to read: the writer is polled, not signalled
  EXPECT_EQ(std::string(record->content + 8188, 3), std::string("x\r\n"));
  EXPECT_EQ(record->content[8191], '\0');
}

// Text style cuts each piece and keeps the content terminated.
TEST_F(LogRecordTest, TextStyleCutsAndTerminates) {
  LogRecord* record = manager.makeRecord(kMainLoggerId, LOG_ERROR);
  const int header = record->length;
  appendText(*record, "id=");
  appendNumber(*record, -17);
  EXPECT_EQ(std::string(record->content + header, static_cast<std::size_t>(record->length - header)), "id=-17");
  appendText(*record, std::string(9000, 'y'));
  EXPECT_EQ(record->length, kContentSize - 1);
  EXPECT_EQ(record->content[kContentSize - 1], '\0');
  manager.freeRecord(record);
}

// Levels map to their tags; the colours follow the level, and records below
// LOG_INFO go to standard output uncoloured.
TEST_F(LogRecordTest, LevelTagsAndColours) {
  EXPECT_STREQ(levelTag(LOG_INFO), "LOG_INFO ");
  EXPECT_STREQ(levelTag(LOG_FATAL), "LOG_FATAL");
  manager.setLevel(kMainLoggerId, LOG_TRACE);
  logFormat(manager, kMainLoggerId, LOG_TRACE, "f", 1, "quiet");
  logFormat(manager, kMainLoggerId, LOG_ERROR, "f", 1, "loud");
  printed();
  EXPECT_NE(console.plain().find("LOG_TRACE quiet f:1"), std::string::npos);
  EXPECT_NE(console.coloured().find("<4>2024-03-02 09:05:03.007 LOG_ERROR loud"), std::string::npos);
}

// When standard output is not a console, coloured levels are not printed at all.
TEST(LogConsole, NotAConsolePrintsOnlyPlainLevels) {
  FakeClock clock{kMarch2At0905};
  FakeConsole console{false};
  LogManager manager{testing::fakeEnvironment(clock, console)};
  manager.setOutFile(kMainLoggerId, false);
  manager.setLevel(kMainLoggerId, LOG_TRACE);
  ASSERT_TRUE(manager.start());
  logFormat(manager, kMainLoggerId, LOG_DEBUG, "f", 1, "debug text");
  logFormat(manager, kMainLoggerId, LOG_WARN, "f", 1, "warn text");
  manager.stop();
  EXPECT_NE(console.all().find("debug text"), std::string::npos);
  EXPECT_EQ(console.all().find("warn text"), std::string::npos);
}

}  // namespace
}  // namespace logq

namespace logq {
namespace {

// The call site is cut at the end of the buffer and the text stays terminated;
// negative line numbers keep their sign.
TEST(LogCallSite, CutAtTheEndAndSigned) {
  LogRecord record{};
  record.length = 0;
  appendCallSite(record, "a/b\\c.cpp", -12);
  EXPECT_EQ(std::string(record.content, static_cast<std::size_t>(record.length)), " c.cpp:-12");

  record.length = kContentSize - 4;
  appendCallSite(record, "file", 7);
  EXPECT_EQ(record.length, kContentSize - 1);
  EXPECT_EQ(std::string(record.content + kContentSize - 4, 3), " fi");
  EXPECT_EQ(record.content[kContentSize - 1], '\0');
}

}  // namespace
}  // namespace logq

namespace logq {
namespace {

int formatted(char* out, std::size_t size, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const int n = formatText(out, size, format, args);
  va_end(args);
  return n;
}

// The record printf makes vsnprintf's text and length, byte for byte, also
// when the buffer is too small: the conversions it formats itself and those
// it leaves to the library.
TEST(LogPrintf, SameTextAsTheLibrary) {
  const auto same = [](std::size_t size, const char* format, auto... args) {
    char mine[96];
    char library[96];
    std::memset(mine, 'Z', sizeof mine);
    std::memset(library, 'Z', sizeof library);
    const int a = formatted(mine, size, format, args...);
    const int b = std::snprintf(library, size, format, args...);
    EXPECT_EQ(a, b) << format;
    EXPECT_EQ(std::string(mine, sizeof mine), std::string(library, sizeof library)) << format;
  };
  for (std::size_t size : {std::size_t{96}, std::size_t{0}, std::size_t{1}, std::size_t{4}}) {
    same(size, "plain text");
    same(size, "%d|%i|%5d|%-5d|%05d|%+d|% d", INT_MIN, 0, -42, 42, -42, 0, 7);
    same(size, "%.0d|%.3d|%08.3d|%-+6.2d|%0*d", 0, 7, 7, 3, 6, -9);
    same(size, "%x|%#x|%#X|%X|%#o|%#o|%#.3o|%o|%#.0o", 255u, 255u, 0u, 0xABCDu, 0u, 8u, 8u, 0u, 0u);
    same(size, "%lu|%ld|%lld|%llu|%hhd|%hu|%hd", ULONG_MAX, LONG_MIN, LLONG_MIN, ULLONG_MAX, 300, 70000, -70000);
    same(size, "%zu|%zd|%jd|%ju|%td", std::size_t{12345}, std::ptrdiff_t{-5}, std::intmax_t{-77}, std::uintmax_t{77},
         std::ptrdiff_t{-1});
    same(size, "%c|%-3c|%3c|%s|%.2s|%5.1s|%-6s|%.*s|%*s", 'A', 'b', 'c', "abc", "abc", "xyz", "ab", 2, "abcdef", -4, "q");
    same(size, "%*d|%.*d|%%|100%%", -5, 3, -1, 5);
    // Left to the library: floating point, '0' with a string.
    same(size, "%f|%.2e|%g|%05s", 1.5, 12345.678, 0.1, "s");
    same(size, "bench message %08d: the quick brown fox", 42);
  }
}

}  // namespace
}  // namespace logq
