// The console's code pages on Windows: a console shows bytes in its own
// code page (850 on a western Windows), so names in UTF-8 would print as
// other letters. The console is the user's, so its code pages are put back
// when the program ends.
#include "names.hpp"

#ifdef _WIN32
#include <cstdlib>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace bmp4cshared {

#ifdef _WIN32
namespace {

UINT inputcodepage = 0, outputcodepage = 0; // 0: no console

void restoreconsole() {
  if (inputcodepage != 0) SetConsoleCP(inputcodepage);
  if (outputcodepage != 0) SetConsoleOutputCP(outputcodepage);
}

} // namespace

void useutf8console() {
  inputcodepage = GetConsoleCP();
  outputcodepage = GetConsoleOutputCP();
  if (inputcodepage == 0 && outputcodepage == 0) return;
  SetConsoleCP(CP_UTF8);
  SetConsoleOutputCP(CP_UTF8);
  std::atexit(restoreconsole);
}
#else
void useutf8console() {}
#endif

} // namespace bmp4cshared
