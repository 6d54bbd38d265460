// How long a leading ID3v2 tag is, which the container reader skips before FFmpeg sees the file.
// Archives and documents are tested as whole files with the container reader.
#include "media/file_sniff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Id3v2TagBytes, CountsHeaderSyncsafeBodyAndFooter) {
  struct Case {
    const char* what;
    std::string header;
    std::int64_t bytes;
  };
  const Case cases[] = {
      {"v2.3, body of 0x7F", std::string("ID3\x03\x00\x00\x00\x00\x00\x7F", 10), 10 + 127},
      {"syncsafe: 7 bits a byte", std::string("ID3\x04\x00\x00\x00\x00\x01\x00", 10), 10 + 128},
      {"largest body", std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10), 10 + 0x0FFFFFFF},
      {"v2.4 footer adds 10", std::string("ID3\x04\x00\x10\x00\x00\x00\x05", 10), 20 + 5},
      {"footer flag means nothing before v2.4", std::string("ID3\x03\x00\x10\x00\x00\x00\x05", 10),
       10 + 5},
      {"v2.2", std::string("ID3\x02\x00\x00\x00\x00\x00\x05", 10), 10 + 5},
      {"a size byte with its top bit set", std::string("ID3\x03\x00\x00\x00\x00\x80\x00", 10), 0},
      {"unknown version", std::string("ID3\x05\x00\x00\x00\x00\x00\x05", 10), 0},
      {"revision 0xFF", std::string("ID3\x03\xFF\x00\x00\x00\x00\x05", 10), 0},
      {"shorter than a header", std::string("ID3\x03\x00\x00\x00\x00\x00", 9), 0},
      {"no tag", std::string("\xFF\xFB\x90\x00\x00\x00\x00\x00\x00\x00", 10), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(media::Id3v2TagBytes(Bytes(c.header)), c.bytes) << c.what;
}

}  // namespace
