#pragma once
// The drive library's protect and unprotect dialogs. They are windows, so the user interface
// implements this interface and hands it to the pages that offer protection; the library's
// portable part only says what the dialogs do.

#include <string>

#include "drivekit/drive.h"
#include "drivekit/drvkit_types.h"

namespace drvKit {

class DrvKitUI {
  public:
    virtual ~DrvKitUI() = default;

    // Asks the user how to protect the disk in drive (with or without a password; the choice of
    // a password is offered when offerPassword is true) and protects it with setProtect.
    // Returns kErrNone, or why the disk was not protected (the user cancelled: 995).
    virtual EError protect(Drive& drive, bool offerPassword) = 0;

    // Lifts the protection of the disk in drive with setProtect, asking for the password when
    // the disk has one and askPassword is true. temporarily: the caller restores the protection
    // later with the state and password handed back through previousState and password (either
    // may be null when the caller does not want it).
    virtual EError unprotect(Drive& drive, bool temporarily, bool askPassword,
                             std::string* password, EProtectState* previousState) = 0;
};

}  // namespace drvKit
