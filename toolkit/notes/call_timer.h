// The call timer belongs to the note editor, which the message windows and
// the phone list share: both live in toolkit/notes/.
#pragma once

#include "toolkit/notes/call_timer.h"
