#pragma once
// Control identifiers of the main window, so that its controls can be found
// (GetDlgItem) by the program and by tests driving it from outside.

namespace ostrivel {

enum ControlId : int {
  kIdPgc1 = 100,
  kIdTs1 = 101,
  kIdTs2 = 102,
  kIdLbl1 = 103,
  kIdLbl2 = 104,
  kIdBtnOpen = 105,
  kIdBtnSave = 106,
  kIdEdtDir = 107,
  kIdEdtTitle = 108,
  kIdPnl1 = 109,
};

inline constexpr const wchar_t* kFormClassName = L"TForm1";
inline constexpr const wchar_t* kPageClassName = L"TTabSheet";
inline constexpr const wchar_t* kPanelClassName = L"TPanel";

}  // namespace ostrivel
