// Fixed-width text fields, as records and tables hold them: NUL-terminated
// and zero-padded. Every text that goes into such a field goes through
// putField, which cuts it at the field's width (leaving room for the NUL)
// and clears the rest; fieldText reads one back without running past it.
#ifndef KESTREL_BASE_FIELDS_H
#define KESTREL_BASE_FIELDS_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace ksbase {

inline void putField(char* field, std::size_t width, std::string_view text) {
  if (width == 0) return;
  const std::size_t n = text.size() < width - 1 ? text.size() : width - 1;
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, width - n);
}

template <std::size_t N>
void putField(char (&field)[N], std::string_view text) {
  putField(field, N, text);
}

// A fixed field into another, read up to its NUL or its width.
inline void copyField(char* field, std::size_t width, const char* from, std::size_t fromWidth) {
  putField(field, width, std::string_view(from, from != nullptr ? strnlen(from, fromWidth) : 0));
}

template <std::size_t N, std::size_t M>
void copyField(char (&field)[N], const char (&from)[M]) {
  copyField(field, N, from, M);
}

inline std::string fieldText(const char* field, std::size_t width) {
  return std::string(field, strnlen(field, width));
}

template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
  return fieldText(field, N);
}

}  // namespace ksbase

#endif
