// The one SaverState of the process.
#include "common/saver_state.h"

SaverState g_saver;
