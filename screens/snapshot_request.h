// Pages ask the application to write the settings snapshot once a change is confirmed; the
// snapshot file is the application's, so it names its writer before the first screen runs. A page
// run without an application (alone, in a test) asks nobody.
#pragma once

using SnapshotWriter = bool (*)();

void SetSnapshotWriter(SnapshotWriter writer);
// Asks the application's writer; false when there is none or it failed.
bool RequestSnapshot();
