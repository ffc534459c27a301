#include "utils/cache_prefetch.h"

#ifdef LOGQ_X86_PREFETCHW
#include <cpuid.h>

namespace logq {

// CPUID 0x80000001, ECX bit 8.
bool processorHasPrefetchW() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx) != 0 && (ecx & (1u << 8)) != 0;
}

}  // namespace logq
#endif
