#include "gateway/gmime_ptr.h"

#include <mutex>

void GMimeReady() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

std::string MemStreamBytes(GMimeStream* stream) {
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  if (!bytes) return {};
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}
