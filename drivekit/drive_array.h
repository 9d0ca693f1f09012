#pragma once
// The drives of the machine that belong to a set of families, in drive-letter order.

#include <vector>

#include "drivekit/drive.h"
#include "drivekit/drvkit_types.h"

namespace drvKit {

class DriveArray {
  public:
    // families: what init() lists when called without families. corvantDrivesOnly: list only
    // the maker's drives; false lists the machine's other drives too, whatever their family.
    DriveArray(EDriveFamily families, bool corvantDrivesOnly);

    // Fills the array again with the drives whose family is one of families (A: to Z:); a
    // machine without such drives, or without a drive library, gives an empty array.
    [[nodiscard]] EError init(EDriveFamily families);
    [[nodiscard]] EError init() { return init(families_); }

    int getCount() const { return static_cast<int>(drives_.size()); }
    // The drive at index; an index outside 0 .. getCount() - 1 gives a drive that does not exist
    // (no disk, no letter), never undefined behaviour.
    Drive& operator[](int index);
    const Drive& operator[](int index) const;

  private:
    EDriveFamily families_;
    bool corvantDrivesOnly_;
    std::vector<Drive> drives_;
    Drive outside_;  // what an index outside the array gives; reset at every such access
};

}  // namespace drvKit
