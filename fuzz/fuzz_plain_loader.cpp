// Feeds arbitrary bytes to the plain loader, in replace and in paste mode, and writes back
// whatever was read.

#include "LoaderRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LoadAndStoreBack(data, size, false);
  return 0;
}
