#pragma once
// The drive library (namespace drvKit): what callers include.
//
//   drvKit::DriveArray drives(drvKit::EDriveFamily(0xFF), true);
//   drives.init(drvKit::EDriveFamily(0x80FF));
//   for (int i = 0; i < drives.getCount(); ++i) {
//       drvKit::Drive& drive = drives[i];
//       if (drive.hasDisk()) { ... drive.getDisk().getIdentifier() ... }
//   }
//
// The backend that answers (real volumes or simulated drives) is installed once at start-up
// with InstallBackend (backend.h).

#include "drivekit/backend.h"
#include "drivekit/drive.h"
#include "drivekit/drive_array.h"
#include "drivekit/drvkit_text.h"
#include "drivekit/drvkit_types.h"
#include "drivekit/drvkit_ui.h"
