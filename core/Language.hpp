#pragma once

namespace quilvex {

// The command line speaks English, the window Japanese.
enum class Language { English, Japanese };

}  // namespace quilvex
