// Reading a drop's files, from OLE or from WM_DROPFILES, without trusting what arrives.
#include "win32/drop_target.h"

#include <shlobj.h>

#include <cstring>

namespace win32 {
namespace {

FORMATETC FilesFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The NUL-terminated strings from `at`, up to the empty one that ends the list; nullopt when the
// block ends first.
template <typename Char>
std::optional<std::vector<std::basic_string<Char>>> ReadList(const BYTE* block, SIZE_T size,
                                                             SIZE_T at) {
  const SIZE_T count = (size - at) / sizeof(Char);
  if (count == 0) return std::nullopt;
  std::vector<Char> units(count);
  std::memcpy(units.data(), block + at, count * sizeof(Char));
  std::vector<std::basic_string<Char>> names;
  SIZE_T start = 0;
  for (SIZE_T i = 0; i < count; ++i) {
    if (units[i] != 0) continue;
    if (i == start) return names;
    names.emplace_back(units.data() + start, i - start);
    start = i + 1;
  }
  return std::nullopt;
}

std::u16string FromAnsi(const std::string& name) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::optional<std::vector<std::u16string>> ReadDropBlock(const BYTE* block, SIZE_T size) {
  if (size < sizeof(DROPFILES)) return std::nullopt;
  DROPFILES header;
  std::memcpy(&header, block, sizeof header);
  if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return std::nullopt;
  std::vector<std::u16string> paths;
  if (header.fWide) {
    const auto names = ReadList<wchar_t>(block, size, header.pFiles);
    if (!names) return std::nullopt;
    for (const std::wstring& name : *names) paths.emplace_back(name.begin(), name.end());
  } else {
    const auto names = ReadList<char>(block, size, header.pFiles);
    if (!names) return std::nullopt;
    for (const std::string& name : *names) paths.push_back(FromAnsi(name));
  }
  return paths;
}

}  // namespace

std::optional<std::vector<std::u16string>> ReadDropFiles(HGLOBAL memory) {
  // GlobalSize answers 0 for anything that is not a memory block of this process.
  const SIZE_T size = ::GlobalSize(memory);
  if (size == 0) return std::nullopt;
  const auto* block = static_cast<const BYTE*>(::GlobalLock(memory));
  if (!block) return std::nullopt;
  auto paths = ReadDropBlock(block, size);
  ::GlobalUnlock(memory);
  return paths;
}

std::optional<std::vector<std::u16string>> ReadDropFilesAt(const void* address) {
  MEMORY_BASIC_INFORMATION region;
  if (!::VirtualQuery(address, &region, sizeof region) || region.State != MEM_COMMIT) {
    return std::nullopt;
  }
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  if (!(region.Protect & kReadable) || (region.Protect & PAGE_GUARD)) return std::nullopt;
  const auto* block = static_cast<const BYTE*>(address);
  const auto* end = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
  return ReadDropBlock(block, static_cast<SIZE_T>(end - block));
}

HRESULT CDropTarget::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CDropTarget::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }

ULONG CDropTarget::Release() {
  const LONG references = ::InterlockedDecrement(&m_references);
  if (references == 0) delete this;
  return static_cast<ULONG>(references);
}

DWORD CDropTarget::Effect(DWORD allowed) const {
  return m_carriesFiles && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

HRESULT CDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  FORMATETC format = FilesFormat();
  m_carriesFiles = data && data->QueryGetData(&format) == S_OK;
  *effect = Effect(*effect);
  if (*effect != DROPEFFECT_NONE && m_onEnter) m_onEnter();
  return S_OK;
}

HRESULT CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  *effect = Effect(*effect);
  return S_OK;
}

HRESULT CDropTarget::DragLeave() {
  m_carriesFiles = false;
  return S_OK;
}

HRESULT CDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  *effect = Effect(*effect);
  m_carriesFiles = false;
  if (*effect == DROPEFFECT_NONE || !data) return S_OK;
  FORMATETC format = FilesFormat();
  STGMEDIUM medium{};
  if (data->GetData(&format, &medium) != S_OK) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  std::optional<std::vector<std::u16string>> paths;
  if (medium.tymed == TYMED_HGLOBAL) paths = ReadDropFiles(medium.hGlobal);
  ::ReleaseStgMedium(&medium);
  if (!paths) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  m_onDrop(std::move(*paths));
  return S_OK;
}

}  // namespace win32
