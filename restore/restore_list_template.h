// Dialog template 129 of the restoration list dialog, as data.
#pragma once

#include "framework/dialog_template.h"

// Built on first use, so that a registration during static initialisation in any other file
// finds it complete.
const DialogTemplate& RestoreListTemplate();
