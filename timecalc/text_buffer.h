// CTextBuffer: the small byte string that time lists are cut up with.
//
// Bytes are opaque: no characters, code pages or case. Its edge rules are deliberate and callers
// rely on them: reading past the end yields a line feed, cuts outside the text yield the empty
// value, and a negative count to Assign changes nothing. Every growth allocates exactly what is
// needed. Allocation failure is reported by Assign and Append and leaves the value empty.
#pragma once

#include <cstdint>
#include <string_view>

namespace timecalc {

class CTextBuffer {
 public:
  // The empty value; it already owns an allocation of capacity 1.
  CTextBuffer();
  // The bytes of a NUL-terminated string.
  explicit CTextBuffer(const char* s);
  CTextBuffer(const CTextBuffer& other);
  CTextBuffer(CTextBuffer&& other) noexcept;
  CTextBuffer& operator=(const CTextBuffer& other);
  CTextBuffer& operator=(CTextBuffer&& other) noexcept;
  ~CTextBuffer();

  std::int32_t GetLength() const { return m_length; }
  std::int32_t GetCapacity() const { return m_capacity; }
  // The bytes, always followed by a NUL.
  const char* GetBuffer() const { return m_data; }
  std::string_view View() const { return {m_data, static_cast<std::size_t>(m_length)}; }

  // The byte at i, or a line feed for any index outside the text.
  char GetAt(std::int32_t i) const;

  // Replaces the contents by n bytes of src; n < 0 leaves the value unchanged and succeeds, and a
  // single NUL byte stores the empty value. src may point into this value.
  bool Assign(const char* src, std::int32_t n);
  // Adds n bytes of src at the end. src may point into this value.
  bool Append(const char* src, std::int32_t n);

  // The first min(n, length) bytes; empty when n < 1.
  CTextBuffer Left(std::int32_t n) const;
  // From pos to the end; empty when pos is outside [0, length].
  CTextBuffer Mid(std::int32_t pos) const;
  // min(count, length - pos) bytes from pos; empty when count < 1 or pos is outside [0, length].
  CTextBuffer Mid(std::int32_t pos, std::int32_t count) const;

  // Index of the first byte equal to c, or -1.
  std::int32_t FindChar(char c) const;
  // Lowest index at which the NUL-terminated s occurs, or -1; an empty s never matches.
  std::int32_t Find(const char* s) const;

  friend CTextBuffer operator+(const CTextBuffer& a, const CTextBuffer& b);

 private:
  // Drops the allocation and leaves the valid empty value without one.
  void Release() noexcept;
  // Takes over a block of capacity + 1 bytes whose first length bytes are the new contents.
  void Adopt(char* block, std::int32_t capacity, std::int32_t length) noexcept;

  char* m_data;
  std::int32_t m_capacity;
  std::int32_t m_length;
};

}  // namespace timecalc
