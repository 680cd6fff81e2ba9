// The libFuzzer entry point of one fuzz target; DESKPOST_FUZZ_RUN names the
// harness function (fuzz/harness.h) the target is built around. A harness
// that reports a fault aborts, so libFuzzer saves the input like a crash.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = DESKPOST_FUZZ_RUN(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "deskpost fuzz: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
