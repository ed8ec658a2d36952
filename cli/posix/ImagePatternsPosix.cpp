#include "ImagePatterns.h"

namespace ImagePatterns {

// What the shell left unexpanded names a file of that very name, or none.
void Expand(Options&) {}

} // namespace ImagePatterns
