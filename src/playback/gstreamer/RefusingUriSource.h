#pragma once

// A URI source that opens nothing. Registered for every non-web scheme some
// installed source handles, at a rank above all of them, it takes the place
// of a local-file (or any other non-web) source wherever GStreamer makes one
// from a URI, for instance for an HLS playlist entry, and fails at once. The
// pipeline sees it being added, so the failure is known to be a refused
// scheme.

#include <string>
#include <vector>

namespace tunara::gst {

inline constexpr const char* refusingSourceName = "tunararefusingsrc";

// Registers the element for these schemes at this rank (once per process).
void registerRefusingUriSource(std::vector<std::string> schemes, unsigned rank);

} // namespace tunara::gst
