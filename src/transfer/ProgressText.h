#pragma once

#include <cstdint>
#include <string>

namespace quibrant::transfer {

// Nearest whole number, a half going to the even neighbour (2.5 gives 2, 3.5
// gives 4), whatever the processor's rounding mode happens to be.
double roundHalfEven(double value);

// The progress frame's caption: "Descargados K de T KBytes. (P%)", K being the
// progress value in KiB (single precision), T the announced length in KiB and
// P the percentage (both double precision). Written into `text`, whose storage
// is reused, as it runs once per piece of the body.
void formatProgressText(float progressValue, std::int32_t contentLength, std::string& text);

}  // namespace quibrant::transfer
