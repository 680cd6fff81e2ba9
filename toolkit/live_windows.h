// The count of live window objects (dialogs and field bindings). Every one
// made is counted until it is destroyed; when the program ends the count
// must be 0, otherwise a window object leaked and the consistency check
// reports it.
#pragma once

// Number of window objects alive now.
int LiveWindowCount();

// A member that counts its owner as a live window object.
class LiveWindow {
 public:
  LiveWindow();
  ~LiveWindow();
  LiveWindow(const LiveWindow&);
  LiveWindow& operator=(const LiveWindow&) = default;
};

// The end-of-program check: reports a failed consistency check when window
// objects are still alive, and answers whether the count was 0.
bool CheckNoLiveWindows();
