// How the index module records a failed write: kept apart from errors.h so
// that only the index and the error state know of it.
#pragma once

#include "storage/errors.h"

// An index write or flush that failed, with the system's reason, so that a
// full disk is named in the message as it is for a record write.
void IdxSetWriteFailure(SystemReason reason);
