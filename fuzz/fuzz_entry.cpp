// The libFuzzer entry of one fuzzer program: QR_FUZZ_TARGET names the parser it drives. A fault
// that the entry reports (rather than a crash) ends the run the same way, with its text.
#include <cstdio>
#include <cstdlib>

#include "fuzz/harness/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QrFuzzTarget* target = qr_fuzz_find(QR_FUZZ_TARGET);
  if (!target) {
    std::fprintf(stderr, "qr-fuzz: no target named %s\n", QR_FUZZ_TARGET);
    std::abort();
  }
  if (const char* fault = target->run(data, size)) {
    std::fprintf(stderr, "qr-fuzz %s: %s\n", target->name, fault);
    std::abort();
  }
  return 0;
}
