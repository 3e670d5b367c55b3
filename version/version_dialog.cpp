#include "version/version_dialog.h"

frmShowVersion::frmShowVersion(plat::Platform &) {}
