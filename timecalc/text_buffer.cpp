// CTextBuffer: exact-size growth, copies that tolerate a source inside the value itself, and the
// edge rules of its cuts.
#include "timecalc/text_buffer.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace timecalc {
namespace {

// What a value without an allocation points at, so that GetBuffer() is always a C string.
char g_emptyBytes[1] = {'\0'};

constexpr std::int32_t kMaxLength = std::numeric_limits<std::int32_t>::max() - 1;

char* AllocateBlock(std::int32_t capacity) {
  return new (std::nothrow) char[static_cast<std::size_t>(capacity) + 1];
}

}  // namespace

CTextBuffer::CTextBuffer() : m_data(g_emptyBytes), m_capacity(0), m_length(0) {
  const char nul = '\0';
  Assign(&nul, 1);
}

CTextBuffer::CTextBuffer(const char* s) : m_data(g_emptyBytes), m_capacity(0), m_length(0) {
  Assign(s, static_cast<std::int32_t>(std::strlen(s)));
}

CTextBuffer::CTextBuffer(const CTextBuffer& other)
    : m_data(g_emptyBytes), m_capacity(0), m_length(0) {
  Assign(other.m_data, other.m_length);
}

CTextBuffer::CTextBuffer(CTextBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, g_emptyBytes)),
      m_capacity(std::exchange(other.m_capacity, 0)),
      m_length(std::exchange(other.m_length, 0)) {}

CTextBuffer& CTextBuffer::operator=(const CTextBuffer& other) {
  if (this != &other) Assign(other.m_data, other.m_length);
  return *this;
}

CTextBuffer& CTextBuffer::operator=(CTextBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    m_data = std::exchange(other.m_data, g_emptyBytes);
    m_capacity = std::exchange(other.m_capacity, 0);
    m_length = std::exchange(other.m_length, 0);
  }
  return *this;
}

CTextBuffer::~CTextBuffer() { Release(); }

void CTextBuffer::Release() noexcept {
  if (m_data != g_emptyBytes) delete[] m_data;
  m_data = g_emptyBytes;
  m_capacity = 0;
  m_length = 0;
}

void CTextBuffer::Adopt(char* block, std::int32_t capacity, std::int32_t length) noexcept {
  Release();
  m_data = block;
  m_capacity = capacity;
  m_length = length;
  m_data[length] = '\0';
}

char CTextBuffer::GetAt(std::int32_t i) const { return i >= 0 && i < m_length ? m_data[i] : '\n'; }

bool CTextBuffer::Assign(const char* src, std::int32_t n) {
  if (n < 0) return true;
  if (n > kMaxLength) {
    Release();
    return false;
  }
  if (n == 0 || m_capacity < n) {
    // A fresh block of exactly n bytes. The source may lie inside the old block, so it is copied
    // before that block is freed.
    char* fresh = AllocateBlock(n);
    if (fresh == nullptr) {
      Release();
      return false;
    }
    if (n > 0) std::memcpy(fresh, src, static_cast<std::size_t>(n));
    Adopt(fresh, n, n);
    src = fresh;
  }
  // A lone NUL is how callers that pass a C string with its terminator spell the empty value.
  if (n == 1 && src[0] == '\0') n = 0;
  if (n > 0) std::memmove(m_data, src, static_cast<std::size_t>(n));
  m_length = n;
  m_data[n] = '\0';
  return true;
}

bool CTextBuffer::Append(const char* src, std::int32_t n) {
  if (n <= 0) return true;
  if (n > kMaxLength - m_length) {
    Release();
    return false;
  }
  const std::int32_t needed = m_length + n;
  if (needed > m_capacity) {
    // Exact growth, no growth factor. The source may lie inside the old block.
    char* fresh = AllocateBlock(needed);
    if (fresh == nullptr) {
      Release();
      return false;
    }
    std::memcpy(fresh, m_data, static_cast<std::size_t>(m_length));
    std::memcpy(fresh + m_length, src, static_cast<std::size_t>(n));
    Adopt(fresh, needed, needed);
    return true;
  }
  std::memmove(m_data + m_length, src, static_cast<std::size_t>(n));
  m_length = needed;
  m_data[needed] = '\0';
  return true;
}

CTextBuffer CTextBuffer::Left(std::int32_t n) const {
  CTextBuffer result;
  if (n >= 1) result.Assign(m_data, n < m_length ? n : m_length);
  return result;
}

CTextBuffer CTextBuffer::Mid(std::int32_t pos) const {
  CTextBuffer result;
  if (pos >= 0 && pos < m_length) result.Assign(m_data + pos, m_length - pos);
  return result;
}

CTextBuffer CTextBuffer::Mid(std::int32_t pos, std::int32_t count) const {
  CTextBuffer result;
  if (count >= 1 && pos >= 0 && pos < m_length) {
    const std::int32_t rest = m_length - pos;
    result.Assign(m_data + pos, count < rest ? count : rest);
  }
  return result;
}

std::int32_t CTextBuffer::FindChar(char c) const {
  if (m_length == 0) return -1;
  const void* hit = std::memchr(m_data, c, static_cast<std::size_t>(m_length));
  return hit == nullptr ? -1 : static_cast<std::int32_t>(static_cast<const char*>(hit) - m_data);
}

std::int32_t CTextBuffer::Find(const char* s) const {
  const std::size_t n = std::strlen(s);
  if (n == 0) return -1;
  const std::size_t pos = View().find(std::string_view(s, n));
  return pos == std::string_view::npos ? -1 : static_cast<std::int32_t>(pos);
}

CTextBuffer operator+(const CTextBuffer& a, const CTextBuffer& b) {
  CTextBuffer result(a);
  result.Append(b.m_data, b.m_length);
  return result;
}

}  // namespace timecalc
