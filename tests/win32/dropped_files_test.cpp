// Files dropped on the main dialog: an HDROP with wide paths in WM_DROPFILES, and the OLE drop
// target that reads the same list from a data object. The drop's lines join the list as a line of
// their own and one undo step, names in any script and of any length arrive whole, and a drop
// handle that is not what it claims to be gives nothing and breaks nothing. The lines themselves
// are the drop session's (tests/drops).
#include <gtest/gtest.h>
#include <windows.h>
// Builds on the types that windows.h declares.
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "drops/measuring_process.h"
#include "res/resource.h"
#include "tests/wave/wave_writer.h"
#include "tests/win32/dialog_driver.h"
#include "win32/drop_target.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

namespace fs = std::filesystem;
using win32_test::ItemText;
using win32_test::Pump;

enum class Kind { kWave, kText };

struct DroppedFile {
  const char16_t* name;
  Kind kind;
  int seconds = 0;
};

class DropTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests are named "Case/..."
    m_dir = fs::path(testing::TempDir()) / ("tallimo-drop-" + name);
    RemoveTree(LR"(\\?\)" + m_dir.native());
    fs::create_directories(m_dir);
  }
  void TearDown() override { RemoveTree(LR"(\\?\)" + m_dir.native()); }

  // remove_all cannot walk paths of 260 characters and more on Windows; Win32 can, given the
  // \\?\ form.
  static void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::DeleteFileW(child.c_str());
        }
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
  }

  // Makes the file and gives its full path as the drop carries it.
  std::u16string Make(const DroppedFile& file) const {
    const fs::path path = m_dir / fs::path(std::u16string(file.name));
    switch (file.kind) {
      case Kind::kWave: {
        // 8-bit mono at 8000 Hz: 8000 bytes a second.
        const auto bytes = static_cast<std::uint64_t>(file.seconds) * 8000;
        wave_test::WriteWave(path, wave_test::Header({wave_test::Fmt(1, 8000, 8)}, bytes), bytes);
        break;
      }
      case Kind::kText:
        std::ofstream(path) << "notes";
        break;
    }
    return std::u16string(win32::Utf16(path.native()));
  }

  fs::path m_dir;
};

// Drops the files and waits for their lines to land.
void Drop(const CTallimoDlg& dialog, const std::vector<std::u16string>& paths) {
  HWND window = dialog.GetSafeHwnd();
  ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(win32_test::MakeDrop(paths)), 0);
  EXPECT_TRUE(win32_test::PumpUntil(window, [&dialog] { return !dialog.IsMeasuring(); }))
      << "the drop never landed";
}

HWND TimeEdit(HWND dialog) { return ::GetDlgItem(dialog, res::kIdcTimeEdit); }

struct DropCase {
  const char* name;
  const char16_t* before;
  std::vector<DroppedFile> files;
  const char16_t* after;
  const char16_t* totalAll;
};

void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DropCaseTest : public DropTest, public testing::WithParamInterface<DropCase> {};

TEST_P(DropCaseTest, AddsOneLinePerFile) {
  std::vector<std::u16string> paths;
  for (const DroppedFile& file : GetParam().files) paths.push_back(Make(file));
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [&dialog, &paths](HWND window) {
    win32::SetText(TimeEdit(window), GetParam().before);
    Pump(window);
    Drop(dialog, paths);
    EXPECT_EQ(win32::GetText(TimeEdit(window)), GetParam().after);
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), GetParam().totalAll);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Drops, DropCaseTest,
    testing::Values(
        DropCase{"WaveOnAnEmptyList",
                 u"",
                 {{u"a.wav", Kind::kWave, 10}},
                 u"0:00.10[a.wav]\r\n",
                 u"0:00.10"},
        DropCase{"UpperCaseWave",
                 u"0:00.10[a.wav]\r\n",
                 {{u"c.WAV", Kind::kWave, 65}},
                 u"0:00.10[a.wav]\r\n0:01.05[c.WAV]\r\n",
                 u"0:01.15"},
        DropCase{"AfterAnUnterminatedLastLine",
                 u"1:00.00",
                 {{u"a.wav", Kind::kWave, 205}},
                 u"1:00.00\r\n0:03.25[a.wav]\r\n",
                 u"1:03.25"},
        DropCase{"ThreeFilesInTheOrderOfTheDrop",
                 u"",
                 {{u"x.wav", Kind::kWave, 1}, {u"y.txt", Kind::kText}, {u"z.wav", Kind::kWave, 2}},
                 u"0:00.01[x.wav]\r\n0:00.00[y.txt]\r\n0:00.02[z.wav]\r\n",
                 u"0:00.03"},
        DropCase{"NameOutsideTheAnsiCodePage",
                 u"",
                 {{u"\u30c6\u30b9\u30c8\U0001F3B5.wav", Kind::kWave, 5}},
                 u"0:00.05[\u30c6\u30b9\u30c8\U0001F3B5.wav]\r\n",
                 u"0:00.05"}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(DropTest, WholeDropIsOneUndoStepAndLeavesTheCaretAfterItWithNothingSelected) {
  const std::vector<std::u16string> paths = {Make({u"a.wav", Kind::kWave, 10}),
                                             Make({u"b.wav", Kind::kWave, 20})};
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [&dialog, &paths](HWND window) {
    HWND edit = TimeEdit(window);
    win32_test::Type(window, edit, u"1:00.00");
    win32::SetSel(edit, 0, 4);
    Pump(window);
    ASSERT_EQ(ItemText(window, res::kIdcTotalSel), u"1:00.00");
    Drop(dialog, paths);
    const std::u16string after = u"1:00.00\r\n0:00.10[a.wav]\r\n0:00.20[b.wav]\r\n";
    EXPECT_EQ(win32::GetText(edit), after);
    const auto end = static_cast<DWORD>(after.size());
    EXPECT_EQ(win32::GetSel(edit), (win32::Selection{end, end}));
    EXPECT_EQ(ItemText(window, res::kIdcTotalSel), u"0:00.00");
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:00.30");
    ::SendMessageW(edit, EM_UNDO, 0, 0);
    Pump(window);
    EXPECT_EQ(win32::GetText(edit), u"1:00.00");
    EXPECT_EQ(ItemText(window, res::kIdcTotalAll), u"1:00.00");
  });
}

// Drop handlers once read names into 260-character buffers; deeper paths came out cut.
TEST_F(DropTest, PathsLongerThan260CharactersArriveWhole) {
  fs::path folder = m_dir;
  for (const char part : {'a', 'b', 'c', 'd', 'e'}) folder /= std::string(60, part);
  fs::create_directories(folder);
  const fs::path file = folder / "long name.wav";
  wave_test::WriteWave(file, wave_test::Header({wave_test::Fmt(1, 8000, 8)}, 80000), 80000);
  ASSERT_GT(file.native().size(), 300u);
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [&dialog, &file](HWND window) {
    Drop(dialog, {std::u16string(win32::Utf16(file.native()))});
    EXPECT_EQ(win32::GetText(TimeEdit(window)), u"0:00.10[long name.wav]\r\n");
  });
}

TEST_F(DropTest, DropHandleThatIsNotAnHdropOfThisProcessIsIgnored) {
  CTallimoDlg dialog;
  win32_test::RunModal(dialog, [&dialog](HWND window) {
    // What a drop posted by another process may carry: an address of that process, here one that
    // is not mapped in this one, or one of memory that holds no drop block; and no handle at all.
    void* gone = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ::VirtualFree(gone, 0, MEM_RELEASE);
    static char notADrop[64] = {};
    for (void* handle : {gone, static_cast<void*>(notADrop + 8), static_cast<void*>(nullptr)}) {
      ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
    }
    Pump(window);
    EXPECT_FALSE(dialog.IsMeasuring());
    EXPECT_EQ(win32::GetText(TimeEdit(window)), u"");
  });
}

// Without tallimo-measure.exe the files show as not measured, and the title says why until a drop
// is measured again.
TEST_F(DropTest, TitleSaysWhenTheMeasuringProgramIsMissing) {
  const std::vector<std::u16string> paths = {Make({u"a.wav", Kind::kWave, 10})};
  CTallimoDlg dialog(nullptr, std::make_unique<drops::MeasuringProcess>(m_dir / L"missing.exe"));
  win32_test::RunModal(dialog, [&dialog, &paths](HWND window) {
    const std::u16string caption = win32::GetText(window);
    Drop(dialog, paths);
    EXPECT_EQ(win32::GetText(TimeEdit(window)), u"?:??.??[a.wav]\r\n");
    EXPECT_EQ(win32::GetText(window),
              win32_test::Text(u"Tallimo - 長さを測れないファイルがありました",
                               u"Tallimo - some files could not be measured"));
    EXPECT_NE(win32::GetText(window), caption);
  });
}

// A DROPFILES block as a drag source builds it: `pFiles`, the wide flag, and the list's bytes.
HGLOBAL MakeBlock(DWORD pFiles, bool wide, const std::string& list) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* block = static_cast<BYTE*>(::GlobalLock(memory));
  DROPFILES header{};
  header.pFiles = pFiles;
  header.fWide = wide;
  std::memcpy(block, &header, sizeof header);
  std::memcpy(block + sizeof header, list.data(), list.size());
  ::GlobalUnlock(memory);
  return memory;
}

std::string WideBytes(std::u16string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(ReadDropFiles, ReadsOnlyWithinTheBlock) {
  using Paths = std::vector<std::u16string>;
  struct Case {
    const char* name;
    DWORD pFiles;
    bool wide;
    std::string list;
    std::optional<Paths> paths;
  };
  const Case cases[] = {
      {"wide", sizeof(DROPFILES), true, WideBytes(std::u16string(u"C:\\a.mp3\0D:\\\u66f2\0\0", 15)),
       Paths{u"C:\\a.mp3", u"D:\\\u66f2"}},
      {"ansi", sizeof(DROPFILES), false, std::string("C:\\a.wav\0\0", 10), Paths{u"C:\\a.wav"}},
      {"no files", sizeof(DROPFILES), true, WideBytes(std::u16string(u"\0", 1)), Paths{}},
      {"list outside the block", 4096, true, WideBytes(std::u16string(u"a\0\0", 3)), std::nullopt},
      {"list inside the header", 4, true, WideBytes(std::u16string(u"a\0\0", 3)), std::nullopt},
  };
  for (const Case& c : cases) {
    HGLOBAL memory = MakeBlock(c.pFiles, c.wide, c.list);
    EXPECT_EQ(win32::ReadDropFiles(memory), c.paths) << c.name;
    ::GlobalFree(memory);
  }
}

// A block that a program wrote into this process's memory, read up to where that memory ends.
TEST(ReadDropFiles, StopsWhereTheReadableMemoryEnds) {
  constexpr SIZE_T kPage = 4096;
  auto* pages = static_cast<BYTE*>(::VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(::VirtualAlloc(pages, kPage, MEM_COMMIT, PAGE_READWRITE), nullptr);
  const std::u16string name = u"C:\\a.mp3";  // no end: the page ends first
  BYTE* block = pages + kPage - sizeof(DROPFILES) - name.size() * 2;
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block, &header, sizeof header);
  std::memcpy(block + sizeof header, name.data(), name.size() * 2);
  EXPECT_EQ(win32::ReadDropFilesAt(block), std::nullopt);
  std::memset(block + sizeof header + (name.size() - 2) * 2, 0, 4);
  EXPECT_EQ(win32::ReadDropFilesAt(block), std::vector<std::u16string>{u"C:\\a.m"});
  ::VirtualFree(pages, 0, MEM_RELEASE);
}

// A data object as a drag source hands it over: CF_HDROP when it carries files, else only text.
class DataObject final : public IDataObject {
 public:
  explicit DataObject(std::optional<std::vector<std::u16string>> files)
      : m_files(std::move(files)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = win32_test::MakeDrop(*m_files);
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return m_files && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::optional<std::vector<std::u16string>> m_files;
};

TEST(DropTarget, TakesFilesAsACopyAndNothingElse) {
  using Paths = std::vector<std::u16string>;
  struct Case {
    const char* name;
    std::optional<Paths> files;
    DWORD allowed;
    DWORD effect;
  };
  const Case cases[] = {
      {"files, copy or move", Paths{u"C:\\a.mp3", u"C:\\Album"}, DROPEFFECT_COPY | DROPEFFECT_MOVE,
       DROPEFFECT_COPY},
      {"files, move only", Paths{u"C:\\a.mp3"}, DROPEFFECT_MOVE, DROPEFFECT_NONE},
      {"text only", std::nullopt, DROPEFFECT_COPY, DROPEFFECT_NONE},
  };
  for (const Case& c : cases) {
    std::vector<Paths> dropped;
    auto* target = new win32::CDropTarget([&](Paths paths) { dropped.push_back(paths); });
    DataObject data(c.files);
    DWORD effect = c.allowed;
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, c.effect) << c.name << ": entering";
    effect = c.allowed;
    target->DragOver(MK_LBUTTON, {1, 1}, &effect);
    EXPECT_EQ(effect, c.effect) << c.name << ": moving";
    effect = c.allowed;
    EXPECT_EQ(target->Drop(&data, 0, {1, 1}, &effect), S_OK);
    EXPECT_EQ(effect, c.effect) << c.name << ": dropping";
    EXPECT_EQ(dropped,
              c.effect == DROPEFFECT_COPY ? std::vector<Paths>{*c.files} : std::vector<Paths>{})
        << c.name;
    EXPECT_EQ(target->Release(), 0u);
  }
}

}  // namespace
