#include "tests/support/wine.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velt::test {

bool UnderWine() {
#ifdef _WIN32
  // Wine's ntdll exports a function of its own that Windows's lacks.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace velt::test
