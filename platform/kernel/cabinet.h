// Cabinet (CAB) files, as the device's own installation service unpacks them: every file of a
// cabinet is written into one device folder, through the device's file system.
#pragma once

#include "platform/kernel/win32_types.h"

namespace kernel {

// Unpacks every file of the cabinet at a device path into a device folder (created when
// missing; sub-folders named in the cabinet too). ERROR_SUCCESS; ERROR_FILE_NOT_FOUND for a
// missing cabinet; ERROR_BAD_FORMAT for one that is not a cabinet, is damaged (a checksum or
// its compressed data), or names a file outside the folder; ERROR_WRITE_FAULT when a file cannot
// be written. Files written before a failure stay.
DWORD ExtractCabinet(LPCWSTR cabinet, LPCWSTR folder);

}  // namespace kernel
