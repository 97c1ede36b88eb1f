// Feeds arbitrary bytes to the scanning loader (256-byte blocks, the last magic wins), in
// replace and in paste mode, and writes back whatever was read.

#include "LoaderRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LoadAndStoreBack(data, size, true);
  return 0;
}
