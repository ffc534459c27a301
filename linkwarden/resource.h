// Resource identifiers of the tool.
#pragma once

#define IDD_SESSION_GUARD 129
