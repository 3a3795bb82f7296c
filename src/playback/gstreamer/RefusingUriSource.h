#pragma once

// A URI source that opens nothing. Registered for every scheme whose real
// source the player removes from the registry, it takes the place of a
// local-file (or any other non-web) source wherever GStreamer would make
// one from a URI, for instance for an HLS playlist entry, and fails at
// once. The pipeline sees it being added, so the failure is known to be a
// refused scheme.

#include <string>
#include <vector>

namespace tunara::gst {

inline constexpr const char* refusingSourceName = "tunararefusingsrc";

// Registers the element for these schemes (once per process).
void registerRefusingUriSource(std::vector<std::string> schemes);

} // namespace tunara::gst
