// The world map, built into the library from the bitmap file beside this
// one (drawn by tools/graylinemap.py).
#include "picture.h"

#ifndef KESTREL_GRAYLINE_MAP
#error "KESTREL_GRAYLINE_MAP names the map's bitmap file"
#endif

__asm__(".pushsection .rodata\n"
        ".balign 16\n"
        ".globl ksgrayline_map_begin\n"
        ".hidden ksgrayline_map_begin\n"
        "ksgrayline_map_begin:\n"
        ".incbin \"" KESTREL_GRAYLINE_MAP "\"\n"
        ".globl ksgrayline_map_end\n"
        ".hidden ksgrayline_map_end\n"
        "ksgrayline_map_end:\n"
        ".popsection\n");

extern "C" const uint8_t ksgrayline_map_begin[];
extern "C" const uint8_t ksgrayline_map_end[];

namespace ksgrayline {

std::span<const uint8_t> mapResource() {
  return {ksgrayline_map_begin, static_cast<size_t>(ksgrayline_map_end - ksgrayline_map_begin)};
}

}  // namespace ksgrayline
