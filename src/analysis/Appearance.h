#pragma once

namespace corvale {

// The two looks of the analysis window, compared by value.
enum class Appearance { VibrantLight, VibrantDark };

} // namespace corvale
