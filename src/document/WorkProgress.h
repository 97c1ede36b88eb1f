#pragma once

#include <cstdint>
#include <functional>

// Long work (reading or writing a whole drawing, drawing its picture) tells how far it has
// come: nDone of nTotal, in units of its own. Answering false asks the work to stop where
// it safely can; work that cannot stop halfway goes on to its end.
using WorkProgress = std::function<bool(std::int64_t nDone, std::int64_t nTotal)>;
