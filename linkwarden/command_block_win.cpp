// The command block's route pattern is the platform's forward row: check
// that our portable copy matches it field for field.
#include <windows.h>
#include <iphlpapi.h>

#include <cstddef>

#include "linkwarden/command_block.h"

namespace linkwarden {

static_assert(sizeof(ForwardRow) == sizeof(MIB_IPFORWARDROW));
#define LINKWARDEN_SAME_OFFSET(field) \
  static_assert(offsetof(ForwardRow, field) == offsetof(MIB_IPFORWARDROW, field), #field)
LINKWARDEN_SAME_OFFSET(dwForwardDest);
LINKWARDEN_SAME_OFFSET(dwForwardMask);
LINKWARDEN_SAME_OFFSET(dwForwardPolicy);
LINKWARDEN_SAME_OFFSET(dwForwardNextHop);
LINKWARDEN_SAME_OFFSET(dwForwardIfIndex);
LINKWARDEN_SAME_OFFSET(dwForwardType);
LINKWARDEN_SAME_OFFSET(dwForwardProto);
LINKWARDEN_SAME_OFFSET(dwForwardAge);
LINKWARDEN_SAME_OFFSET(dwForwardNextHopAS);
LINKWARDEN_SAME_OFFSET(dwForwardMetric1);
LINKWARDEN_SAME_OFFSET(dwForwardMetric2);
LINKWARDEN_SAME_OFFSET(dwForwardMetric3);
LINKWARDEN_SAME_OFFSET(dwForwardMetric4);
LINKWARDEN_SAME_OFFSET(dwForwardMetric5);
#undef LINKWARDEN_SAME_OFFSET

}  // namespace linkwarden
