// Writes Kelvotin's example files: a settings file and two processing files
// of a 500 kV two-source system, one asynchronous run and one stable swing.
//   make_transients [folder]     (default: examples)
#include <cstdio>
#include <string>

#include "common/rtl_file.h"
#include "tools/transient_gen.h"

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "examples";
  try {
    kv::WriteFileAtomically(dir + "/ust.txt", kv::transients::ExampleSettingsText());
    kv::WriteFileAtomically(dir + "/async.txt", kv::transients::AsyncExampleText());
    kv::WriteFileAtomically(dir + "/swing.txt", kv::transients::SwingExampleText());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_transients: %s\n", e.what());
    return 1;
  }
  std::printf("ust.txt, async.txt, swing.txt written to %s\n", dir.c_str());
  return 0;
}
