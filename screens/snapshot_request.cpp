#include "screens/snapshot_request.h"

#include "platform/afx/winapp.h"

void RequestSnapshotSave() {
  if (auto* keeper = dynamic_cast<CSnapshotKeeper*>(AfxGetApp())) keeper->SaveSettingsSnapshot();
}
