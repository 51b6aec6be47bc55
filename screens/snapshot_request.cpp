#include "screens/snapshot_request.h"

namespace {
SnapshotWriter g_snapshotWriter = nullptr;
}  // namespace

void SetSnapshotWriter(SnapshotWriter writer) { g_snapshotWriter = writer; }

bool RequestSnapshot() { return g_snapshotWriter != nullptr && g_snapshotWriter(); }
