#include "platform/win32/help_viewer_win32.h"

// clang-format off
// <shellapi.h> needs <windows.h> before it.
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "platform/win32/text.h"

namespace velt::platform {

namespace {

using win32::Wide;

// HtmlHelpW's commands: show the file's default topic; close every help window of the process.
constexpr UINT kDisplayTopic = 0x0000;
constexpr UINT kCloseAll = 0x0012;
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The help control's entry point, or null where hhctrl.ocx is not installed. The control stays
// loaded for the rest of the process: the help window it opens lives in it.
HtmlHelpFunction HtmlHelpEntry() {
  static const HtmlHelpFunction entry = [] {
    HMODULE control = LoadLibraryW(L"hhctrl.ocx");
    return control ? reinterpret_cast<HtmlHelpFunction>(
                         reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpW")))
                   : nullptr;
  }();
  return entry;
}

// Set once the control has been asked to show something (on the window thread).
bool helpControlUsed = false;

bool ShowInHelpControl(const std::wstring& helpFile) {
  HtmlHelpFunction htmlHelp = HtmlHelpEntry();
  helpControlUsed = true;
  // Owned by the window the command came from, which is the active one.
  return htmlHelp && htmlHelp(GetActiveWindow(), helpFile.c_str(), kDisplayTopic, 0) != nullptr;
}

bool OpenInShell(const std::wstring& document) {
  // Values above 32 mean the program was started.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(GetActiveWindow(), L"open", document.c_str(),
                                                 nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

Win32HelpViewer::Win32HelpViewer() : system_{ShowInHelpControl, OpenInShell} {}

Win32HelpViewer::~Win32HelpViewer() {
  // The control's windows go before the program does: left open at exit, they may take the
  // process down with them as the control unloads.
  if (helpControlUsed) {
    if (HtmlHelpFunction htmlHelp = HtmlHelpEntry()) htmlHelp(nullptr, nullptr, kCloseAll, 0);
  }
}

bool Win32HelpViewer::ShowHelp(const std::string& helpFile) {
  const std::wstring chm = Wide(helpFile);
  if (IsFile(chm) && system_.showHelpFile(chm)) {
    opened_ = helpFile;
    return true;
  }
  const std::string copy = HtmlCopyOf(helpFile);
  const std::wstring html = Wide(copy);
  if (!IsFile(html) || !system_.openDocument(html)) return false;
  opened_ = copy;
  return true;
}

}  // namespace velt::platform
