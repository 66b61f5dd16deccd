// How every long job (spectrum, export, measurements, channel math, sample summaries) tells how
// far it has come and learns that it should stop. Called on the job's own thread; the caller decides
// what to do with the figures (a window hands them over to its own thread, the command line prints).
#pragma once

#include <cstdint>
#include <functional>

namespace varnilog {

// done of total units of work; returning false asks the job to stop and return as soon as it can. An
// empty function lets the job run to the end.
using WorkProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

} // namespace varnilog
