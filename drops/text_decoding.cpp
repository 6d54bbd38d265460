// UTF-8 checked byte by byte, since the bytes come from files anyone may have written.
#include "drops/text_decoding.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

namespace drops {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

void AppendUtf8(std::string& out, char32_t value) {
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (value >> 6)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (value >> 12)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (value >> 18)));
    out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

std::u16string Utf8Text(std::string_view bytes, bool* valid) {
  std::u16string text;
  text.reserve(bytes.size());
  bool allValid = true;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    // The length of the sequence, and the smallest value it may stand for (no overlong forms).
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    char32_t value = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
    int read = 1;
    for (; length > 1 && read < length && i + read < bytes.size(); ++read) {
      const auto next = static_cast<unsigned char>(bytes[i + read]);
      if ((next & 0xC0) != 0x80) break;
      value = (value << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0 || read != length || value < kSmallest[length] || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      text.push_back(kReplacement);
      allValid = false;
      i += 1;
      continue;
    }
    if (value >= 0x10000) {
      text.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(value));
    }
    i += static_cast<std::size_t>(length);
  }
  if (valid) *valid = allValid;
  return text;
}

bool IsUtf8(std::string_view bytes) {
  // Most lines are ASCII: no need to decode them.
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return true;
  bool valid = false;
  Utf8Text(bytes, &valid);
  return valid;
}

std::u16string CodePageText(std::string_view bytes) {
#ifdef _WIN32
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::u16string(bytes.size(), kReplacement);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
#else
  // Latin-1 is the first 256 code points of Unicode.
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
  return text;
#endif
}

bool StartsWithNoCase(std::string_view text, std::string_view lower) {
  return text.size() >= lower.size() &&
         std::equal(lower.begin(), lower.end(), text.begin(), [](char a, char b) {
           return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b + ('a' - 'A')) : b);
         });
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

std::string Utf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t value = text[i];
    if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    AppendUtf8(out, value);
  }
  return out;
}

}  // namespace drops
