#include "toolserver/com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace qgu::com {
namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);

char* StorageOf(BSTR text) { return reinterpret_cast<char*>(text) - kPrefixBytes; }

}  // namespace

BSTR AllocBstr(std::u16string_view text) {
  const size_t bytes = text.size() * sizeof(OLECHAR);
  if (bytes > std::numeric_limits<uint32_t>::max() - kPrefixBytes - sizeof(OLECHAR)) return nullptr;
  char* storage = static_cast<char*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
  if (storage == nullptr) return nullptr;
  const auto length = static_cast<uint32_t>(bytes);
  std::memcpy(storage, &length, kPrefixBytes);
  if (bytes > 0) std::memcpy(storage + kPrefixBytes, text.data(), bytes);
  std::memset(storage + kPrefixBytes + bytes, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(storage + kPrefixBytes);
}

BSTR AllocBstr(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return AllocBstr(std::u16string_view(text));
}

void FreeBstr(BSTR text) {
  if (text != nullptr) std::free(StorageOf(text));
}

UINT BstrLength(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t bytes = 0;
  std::memcpy(&bytes, StorageOf(text), kPrefixBytes);
  return bytes / sizeof(OLECHAR);
}

BSTR AllocBstrUtf8(std::string_view utf8) { return AllocBstr(Utf16(utf8)); }

}  // namespace qgu::com
