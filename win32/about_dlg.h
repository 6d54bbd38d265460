// The about box: program name and version, our copyright notice and the home page address in a
// field that can be selected and copied but not changed.
#pragma once

#include <windows.h>

#include <string>

#include "win32/dialog.h"

// Our own placeholder address; .example names are reserved and belong to no one.
inline constexpr char16_t kTallimoHomePage[] = u"https://tallimo.example";

class CAboutDlg : public win32::CDialog {
 public:
  explicit CAboutDlg(HWND parent);

 protected:
  BOOL OnInitDialog() override;

 private:
  void DoDataExchange();

  std::u16string m_homePage;
};
