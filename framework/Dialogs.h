// The framework's platform dialogs, one family per header: the running-dialog base, the common
// dialogs' hook core, find and replace, and the file dialogs.
#pragma once

#include "framework/PlatformDialog.h"
#include "framework/CommonDialog.h"
#include "framework/FindDialog.h"
#include "framework/FileDialog.h"
