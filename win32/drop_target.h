// Files dragged onto the window arrive through OLE: the drag source hands over a data object, and
// the window reads the CF_HDROP list out of it during the drop. Unlike WM_DROPFILES this also
// tells the source that the drop will copy, so that the pointer shows the copy sign while dragging.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

// The paths in a DROPFILES block, wide or ANSI, in its order. The block is read only within the
// size that the memory handle itself reports: a handle that is not valid memory of this process,
// offsets outside the block or a list without its end give nullopt rather than a crash.
std::optional<std::vector<std::u16string>> ReadDropFiles(HGLOBAL memory);

// The same from a block at a plain address, as a program that writes a drop into this process's
// memory posts it: read only within the committed, readable memory from `address` on; nullopt for
// an address that is not such memory of this process.
std::optional<std::vector<std::u16string>> ReadDropFilesAt(const void* address);

class CDropTarget final : public IDropTarget {
 public:
  using OnDrop = std::function<void(std::vector<std::u16string> paths)>;
  using OnEnter = std::function<void()>;

  // Made with one reference, which the owner gives back with Release. `onEnter` is told when
  // files are dragged in, before they may be dropped.
  explicit CDropTarget(OnDrop onDrop, OnEnter onEnter = nullptr)
      : m_onDrop(std::move(onDrop)), m_onEnter(std::move(onEnter)) {}
  CDropTarget(const CDropTarget&) = delete;
  CDropTarget& operator=(const CDropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  ~CDropTarget() = default;
  // Copy, never move: a file manager deletes the source of a move once the drop is accepted.
  DWORD Effect(DWORD allowed) const;

  OnDrop m_onDrop;
  OnEnter m_onEnter;
  LONG m_references = 1;
  bool m_carriesFiles = false;  // the drag in progress carries a list of files
};

}  // namespace win32
