// SPDX-License-Identifier: Apache-2.0
// Child for the spawn helper's own tests: writes each argument in brackets, a
// line each, then its standard input (or the error reading it) to standard
// output, and its current folder to standard error. "exit HEX" as the only
// arguments ends it with that exit code instead.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void put(DWORD stream, const std::string& s) {
  DWORD n = 0;
  WriteFile(GetStdHandle(stream), s.data(), static_cast<DWORD>(s.size()), &n, nullptr);
}

std::string standard_input() {
  std::string bytes = "stdin:";
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buf, sizeof buf, &n, nullptr)) {
    if (n == 0) return bytes;
    bytes.append(buf, n);
  }
  return bytes + " error " + std::to_string(GetLastError());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "exit") ExitProcess(std::strtoul(argv[2], nullptr, 16));
  for (int i = 1; i < argc; ++i) put(STD_OUTPUT_HANDLE, "[" + std::string(argv[i]) + "]\n");
  put(STD_OUTPUT_HANDLE, standard_input());
  char cwd[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  put(STD_ERROR_HANDLE, std::string(cwd, n));
  return 0;
}
