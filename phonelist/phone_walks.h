// Copying and deleting the tagged entries of the phone list window: a walk
// through the list in index order that acts on each tagged entry until all
// are done or the list ends.
#pragma once

#include <cstdint>

class TPhoneListView;

// Copies the tagged entries to the target list ("Copying..."). A duplicate
// there asks "%s already exists, would you like to overwrite it?" with
// Yes, No, Yes to All and No to All; any other failure is shown and ends
// the walk. Answers the number of entries copied.
int CopyTaggedEntries(TPhoneListView& list, int32_t target);
// Deletes the tagged entries with their notes ("Deleting..."); an entry
// another workstation holds says "Record in use." and the walk goes on,
// another failure is shown and ends it. The list then stands on its first
// visible entry of before (or the list's last) with the same row
// selected. Answers the number deleted.
int DeleteTaggedEntries(TPhoneListView& list);
