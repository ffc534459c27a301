// One pass over the command block.
#pragma once

#include <atomic>

#include "linkwarden/command_block.h"
#include "linkwarden/request_handlers.h"

namespace linkwarden {

// Serves each pending request once, in the order driver, DNS, route. A request
// is acknowledged (`pending` back to 0) only after its handler returned,
// whatever the outcome; `environmentClean` then tells whether that request
// undid rather than did something.
void runPass(CommandBlock& block, RequestHandlers& handlers, std::atomic<bool>& environmentClean);

}  // namespace linkwarden
