// How the process's heap treats memory it has been given back.
#pragma once

// Large freed blocks stay with the process for the next command instead of going back to the
// system. Commands on a script of tens of megabytes (KATtify, De-KATtify, writing the texts back,
// undo) make and free buffers of its size; memory the system hands out again is zeroed page by
// page first, which made those commands cost more per megabyte the longer the script. Returns
// false when the allocator keeps its own policy; only speed differs then. Called once, first
// thing in main.
bool KeepFreedMemoryForReuse();
