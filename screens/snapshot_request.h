// The settings pages confirm values that the settings snapshot keeps (the backlight level, the
// suspend time-out); they then ask the application to write the snapshot. The application that
// keeps the snapshot implements CSnapshotKeeper.
#pragma once

class CSnapshotKeeper {
 public:
  virtual ~CSnapshotKeeper() = default;
  virtual void SaveSettingsSnapshot() = 0;
};

// Asks the running application to write the settings snapshot; nothing happens when it keeps none.
void RequestSnapshotSave();
