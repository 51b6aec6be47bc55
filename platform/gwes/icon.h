// Icons. An icon loaded from a module's resources is shared: loading the same group icon again
// gives the same handle, and it lives as long as the process (nothing to destroy).
#pragma once

#include "platform/gwes/gwes_types.h"

// The group icon `name` of `instance` (null: the program's own); null (with
// ERROR_RESOURCE_NAME_NOT_FOUND) when the module has no such icon group.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
