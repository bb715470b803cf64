#pragma once

namespace vel {

// Names the calling thread as the system shows it (top, /proc, a crash
// dump's gdb), so that what each thread of the program costs can be told
// apart. At most 15 characters are kept.
void NameThisThread(const char* name);

}  // namespace vel
